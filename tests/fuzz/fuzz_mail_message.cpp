// A digest of any bytes as a mail: the composed message has no line over
// 998 octets, and its body (of HTML, its HTML part) decodes back to the
// digest. The same bytes as a failure in the run log: bounded lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/mail_message.h"
#include "common/run_log.h"
#include "common/text.h"

namespace {

// Decodes quoted-printable text with CR LF line breaks back to the text
// with line feeds.
std::string DecodeQuotedPrintable(const std::string& encoded) {
    std::string text;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '=' && i + 2 < encoded.size() && encoded[i + 1] == '\r' && encoded[i + 2] == '\n') {
            i += 2;  // a soft line break
        } else if (c == '=' && i + 2 < encoded.size()) {
            text += static_cast<char>(lorvane::HexDigitValue(encoded[i + 1]) * 16 +
                                      lorvane::HexDigitValue(encoded[i + 2]));
            i += 2;
        } else if (c == '\r' && i + 1 < encoded.size() && encoded[i + 1] == '\n') {
            text += '\n';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    lorvane::MailMessage message;
    message.sender = "reader@example.org";
    message.addressees.push_back({"Lorvane!", "reader@example.org", 0});
    message.subject = text.substr(0, 200);
    message.body = text;
    message.html = size % 2 == 0;
    const std::string mail = lorvane::ComposeMailMessage(message, "Tue, 1 Jan 2008 00:00:00 +0000", "<1@x>");
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = mail.find("\r\n", start);
        if ((end == std::string::npos ? mail.size() : end) - start > 998) std::abort();
        if (end == std::string::npos) break;
        start = end + 2;
    }
    const std::size_t body = mail.find("\r\n\r\n");
    if (body == std::string::npos) std::abort();
    // Line feeds travel as CR LF: the decoded body is the digest with its
    // CR LF pairs taken as line feeds.
    const std::string expected = lorvane::ReplaceAll(text, "\r\n", "\n");
    std::string encoded = mail.substr(body + 4);
    if (message.html) {
        // The HTML is the second part of the alternative; "=_" never
        // stands in quoted-printable text, so the boundary is found.
        const std::string boundary = "\r\n--=_Lorvane_alternative";
        const std::size_t part = mail.find(boundary + "\r\nContent-Type: text/html", body);
        const std::size_t start = part == std::string::npos ? part : mail.find("\r\n\r\n", part);
        const std::size_t end = mail.rfind(boundary + "--\r\n");
        if (start == std::string::npos || end == std::string::npos || end < start + 4) std::abort();
        encoded = mail.substr(start + 4, end - start - 4);
    }
    if (DecodeQuotedPrintable(encoded) != expected) std::abort();

    // As a run's failure: log lines within their bound, no control shown
    // raw, and a log within its own that keeps the entry whole.
    const std::string entry = lorvane::RunLogEntry("2026-12-08T07:30:02", text.substr(0, 100), {text});
    for (const std::string& line : lorvane::SplitLines(entry))
        if (line.size() > lorvane::kRunLogLineBytes || lorvane::ShowControls(line) != line) std::abort();
    const std::string log = lorvane::AppendRunLogEntry(text, entry, 4096);
    if (log.size() > (entry.size() > 4096 ? entry.size() : 4096) || log.rfind(entry) != log.size() - entry.size())
        std::abort();
    return 0;
}
