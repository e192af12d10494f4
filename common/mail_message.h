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

struct MailMessage {
    std::string sender;
    std::vector<MailAddressee> addressees;
    std::string subject;
    std::string body;
    bool html = false;
};

// Returns whether `address` can stand in a header and on a command line:
// not empty, no control characters (a line break would inject headers),
// not beginning with "-".
bool IsSafeAddress(const std::string& address);

// Returns the charset that names the bytes of `text`: "us-ascii", "utf-8"
// for valid UTF-8, and "windows-1252" for any other 8-bit text.
std::string TextCharset(const std::string& text);

// Returns `text` in quoted-printable, lines at most 76 characters, line
// feeds (and CR LF pairs) as CR LF line breaks; it decodes to `text` with
// CR LF for its line feeds.
std::string QuotedPrintable(const std::string& text);

// Returns a header value: `text` itself when it is printable ASCII, else
// encoded words in the text's charset.
std::string EncodeHeaderText(const std::string& text);

// Returns the whole message with CR LF line ends: From, To (and Cc),
// Subject, Date, Message-ID, MIME-Version, Content-Type with the charset,
// Content-Transfer-Encoding quoted-printable, then the encoded body. No
// line is longer than 998 octets. The addresses must be safe.
std::string ComposeMailMessage(const MailMessage& message, const std::string& date,
                               const std::string& messageId);

}  // namespace lorvane
