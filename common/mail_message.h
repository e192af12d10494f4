// An e-mail message as RFC 5322 / MIME text.
#pragma once

#include <string>
#include <vector>

namespace lorvane {

struct MailAddressee {
    std::string displayName;
    std::string address;
    int kind = 0;  // 0 To, 1 Cc, 2 Bcc (Bcc is not written in the headers)
};

// A file that goes with a message, as its bytes.
struct MailAttachment {
    std::string name;         // the file name the reader sees: letters, digits, "-", "_", "."
    std::string contentType;  // "application/x-research-info-systems"
    std::string data;
};

struct MailMessage {
    std::string sender;
    std::vector<MailAddressee> addressees;
    std::string subject;
    std::string body;
    bool html = false;
    std::vector<MailAttachment> attachments;
};

// Longest address taken (a mail path holds at most 256 octets with its
// angle brackets).
constexpr std::size_t kMaxAddressLength = 254;

// Returns whether `address` can stand in a header and on a command line:
// not empty, at most kMaxAddressLength bytes, no control characters (a
// line break would inject headers), not beginning with "-".
bool IsSafeAddress(const std::string& address);

// Returns whether `address` has the shape local@domain that a person
// means to receive mail at: safe as above, one "@" with text before it, a
// domain after it that holds a dot between two of its characters, and no
// blank anywhere.
bool IsMailAddress(const std::string& address);

// Returns the charset that names the bytes of `text`: "us-ascii", "utf-8"
// for valid UTF-8, and "windows-1252" for any other 8-bit text.
std::string TextCharset(const std::string& text);

// Returns `text` in quoted-printable, lines at most 76 characters, line
// feeds (and CR LF pairs) as CR LF line breaks; it decodes to `text` with
// CR LF for its line feeds.
std::string QuotedPrintable(const std::string& text);
// Appends QuotedPrintable(`text`) to `out`.
void AppendQuotedPrintable(const std::string& text, std::string& out);

// Returns a header value whose first line already holds `used`
// characters: printable ASCII `text` folded at blanks (lines within 78
// characters where its words allow), else, or when a word would not fit in
// a line of 998 octets, encoded words in the text's charset, one per line.
std::string EncodeHeaderText(const std::string& text, std::size_t used = 0);

// Returns the whole message with CR LF line ends: From, To (and Cc),
// Subject, Date, Message-ID, MIME-Version, then the body in
// quoted-printable with its Content-Type and charset: plain text as one
// part, HTML as multipart/alternative of the text it shows (text/plain,
// first) and the HTML itself. With attachments, that is the first part of
// a multipart/mixed message, and each attachment follows in base64. No
// line is longer than 998 octets. The addresses must be safe.
std::string ComposeMailMessage(const MailMessage& message, const std::string& date,
                               const std::string& messageId);

}  // namespace lorvane
