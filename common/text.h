// Small text operations that the rules of both programs are written in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Returns the pieces of `text` between line feeds, in order, empty ones
// included; a line feed at the very end starts no further piece.
std::vector<std::string> SplitLines(const std::string& text);

// Returns the non-empty lines of `text` (a carriage return before a line
// feed dropped) joined by `separator`: a program's multi-line message as
// one line.
std::string JoinLines(const std::string& text, const std::string& separator);

// Returns `c`, or its lower-case letter for "A" to "Z".
char AsciiLower(char c);

// Returns `text` with "A" to "Z" turned into "a" to "z"; other bytes stay.
std::string AsciiLower(std::string text);

// Returns `text` without the blanks and tabs at either end.
std::string Trimmed(const std::string& text);

// Upper-case hexadecimal digits, indexed by value.
extern const char kHexDigits[];

// Returns the value of hexadecimal digit `c` (either case), or -1.
int HexDigitValue(char c);

// Appends `byte` as two upper-case hexadecimal digits to `out`.
void AppendHexByte(unsigned char byte, std::string& out);

// Returns `text` with its control characters shown escaped, so that a value
// echoed in a line cannot end it, forge another or turn its text around:
// "\r", "\n", "\t", "\xNN" for other C0 controls, DEL and each byte that is
// not valid UTF-8, "\uNNNN" for C1 controls and the bidirectional marks,
// embeddings, overrides and isolates. With `keepLineEnds`, line feeds stay.
std::string ShowControls(const std::string& text, bool keepLineEnds = false);

// Returns `text` cut to at most `maxBytes` by leaving out its middle, marked
// " ... ", so that its start and its end (often what to do) stay; never
// inside a UTF-8 sequence.
std::string ElideMiddle(const std::string& text, std::size_t maxBytes);

// Returns the length of the UTF-8 sequence that starts at `text[i]`, 0 when
// no valid one does (a stray byte, an overlong form, a surrogate, a cut).
std::size_t Utf8Length(const std::string& text, std::size_t i);

// Returns `text` cleaned for a mail and the files made from it: valid
// UTF-8, each invalid byte replaced where it stands by U+FFFD, a tab as a
// space, and every other control character but line ends (C0, DEL)
// dropped.
std::string CleanText(const std::string& text);

// Host of the PubMed web site that the abstract links name.
extern const char kPubmedHost[];

// Returns `text` with every byte for which `encode` is true written as
// "%" and two upper-case hexadecimal digits, the others as they are.
std::string PercentEncode(const std::string& text, bool (*encode)(unsigned char byte));

// Returns the address of PubMed's abstract page of article `pmid` (a
// decimal identifier), over plain HTTP as the mails have always linked it.
// Returns `count` with the noun that fits it: "1 query", "3 queries".
std::string Counted(int count, const char* one, const char* many);

std::string PubmedAbstractLink(const std::string& pmid);

}  // namespace lorvane
