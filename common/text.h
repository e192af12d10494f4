// Small text operations that the rules of both programs are written in.
#pragma once

#include <cstdint>
#include <string>

namespace lorvane {

// Returns `text` with every occurrence of character `from` replaced by `to`.
std::string ReplaceChar(std::string text, char from, char to);

// Returns `text` with every occurrence of `what` replaced by `with`,
// scanning left to right without overlap. An empty `what` changes nothing.
std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with);

// Returns `text` with every occurrence of `what` removed, as ReplaceAll.
std::string RemoveAll(const std::string& text, const std::string& what);

// Reads a decimal number the way atoi does: leading white space skipped,
// an optional sign, digits up to the first other character; 0 without a
// number. Values beyond 32 bits are held at the nearest limit.
std::int32_t ReadLikeAtoi(const std::string& text);

// Returns `text` with "&", "<" and ">" written as HTML entities.
std::string HtmlEscape(const std::string& text);

}  // namespace lorvane
