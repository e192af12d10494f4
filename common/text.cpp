#include "common/text.h"

#include <algorithm>
#include <cstdio>
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

namespace lorvane {

const char kHexDigits[] = "0123456789ABCDEF";
const char kPubmedHost[] = "www.ncbi.nlm.nih.gov";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::string& text, const std::string& separator) {
    std::string joined;
    for (std::string line : SplitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) joined += (joined.empty() ? "" : separator) + line;
    }
    return joined;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) c = AsciiLower(c);
    return text;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendHexByte(unsigned char byte, std::string& out) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

namespace {

// The code point of the valid UTF-8 sequence of `length` bytes at `text[i]`.
unsigned CodePointAt(const std::string& text, std::size_t i, std::size_t length) {
    static const unsigned kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    unsigned value = static_cast<unsigned char>(text[i]) & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return value;
}

// Whether a code point beyond ASCII is shown escaped: a C1 control, or a
// mark that changes the direction of the text around it.
bool IsHiddenControl(unsigned point) {
    return (point >= 0x80 && point <= 0x9F) || point == 0x061C || point == 0x200E || point == 0x200F ||
           (point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned minimum = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) length = 2, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0) length = 3, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0) length = 4, minimum = 0x10000;
    else return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    const unsigned value = CodePointAt(text, i, length);
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

std::string ShowControls(const std::string& text, bool keepLineEnds) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const unsigned char byte = static_cast<unsigned char>(c);
        const std::size_t length = Utf8Length(text, i);
        if (length > 1) {
            const unsigned point = CodePointAt(text, i, length);
            if (IsHiddenControl(point)) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", point);
                out += escaped;
            } else {
                out.append(text, i, length);
            }
            i += length;
            continue;
        }
        ++i;
        if ((byte >= 0x20 && byte < 0x7F) || (keepLineEnds && c == '\n')) {
            out += c;
        } else if (c == '\r' || c == '\n' || c == '\t') {
            out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
        } else {
            out += "\\x";
            AppendHexByte(byte, out);
        }
    }
    return out;
}

std::string ElideMiddle(const std::string& text, std::size_t maxBytes) {
    const char kMark[] = " ... ";
    if (text.size() <= maxBytes || maxBytes < sizeof kMark) return text.substr(0, std::min(text.size(), maxBytes));
    auto inside = [&text](std::size_t at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
    const std::size_t keep = maxBytes - (sizeof kMark - 1);
    std::size_t head = keep / 2, tail = text.size() - (keep - keep / 2);
    while (head > 0 && inside(head)) --head;               // cut before a character,
    while (tail < text.size() && inside(tail)) ++tail;     // and resume after one
    return text.substr(0, head) + kMark + text.substr(tail);
}

std::string CleanText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD, the replacement character
        } else if (length > 1) {
            out.append(text, i, length);
        } else if (byte == '\t') {
            out += ' ';
        } else if (byte >= 0x20 ? byte != 0x7F : byte == '\n' || byte == '\r') {
            out += static_cast<char>(byte);
        }
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::string PercentEncode(const std::string& text, bool (*encode)(unsigned char byte)) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (encode(byte)) {
            out += '%';
            AppendHexByte(byte, out);
        } else {
            out += c;
        }
    }
    return out;
}

std::string PubmedAbstractLink(const std::string& pmid) {
    return std::string("http://") + kPubmedHost +
           "/entrez/query.fcgi?cmd=Retrieve&db=pubmed&dopt=Abstract&list_uids=" + pmid;
}

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace lorvane
