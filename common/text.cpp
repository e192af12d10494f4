#include "common/text.h"

#include <algorithm>
#include <limits>

namespace lorvane {

std::string ReplaceChar(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t found = text.find(what, start);
        if (found == std::string::npos) break;
        out.append(text, start, found - start);
        out += with;
        start = found + what.size();
    }
    out.append(text, start, std::string::npos);
    return out;
}

std::string RemoveAll(const std::string& text, const std::string& what) {
    return ReplaceAll(text, what, "");
}

std::int32_t ReadLikeAtoi(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max() + 1LL) break;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

}  // namespace lorvane
