#include "common/curl_support.h"

namespace lorvane {

std::string DescribeCurlError(CURLcode code, const char* detail) {
    std::string text = curl_easy_strerror(code);
    if (detail && *detail) text += std::string(": ") + detail;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace lorvane
