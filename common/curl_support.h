// Owners of libcurl's handles, and its errors as text.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace lorvane {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, SlistDeleter>;

// Returns libcurl's text for `code`, with the detail libcurl left in
// `detail` (its error buffer; may be null or empty), as one line.
std::string DescribeCurlError(CURLcode code, const char* detail);

}  // namespace lorvane
