#include "common/mail_message.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"

namespace lorvane {
namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsPrintableAscii(const std::string& text) {
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) return false;
    }
    return true;
}

std::string Base64(const std::string& bytes) {
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// A display name as a quoted string, or encoded words outside ASCII.
std::string DisplayName(const std::string& name) {
    if (!IsPrintableAscii(name)) return EncodeHeaderText(name);
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// Returns printable ASCII `text` folded before blanks so that its lines,
// after `used` characters of the first, stay within 78 characters where
// its words allow. Unfolding gives `text` back.
std::string FoldAtBlanks(const std::string& text, std::size_t used) {
    std::string out;
    std::size_t lineLength = used;
    for (std::size_t i = 0; i < text.size();) {
        // The next word with the blanks before it.
        std::size_t end = i;
        while (end < text.size() && text[end] == ' ') ++end;
        while (end < text.size() && text[end] != ' ') ++end;
        const bool foldable = i > 0 && text[i] == ' ' && end > i + 1 && text[end - 1] != ' ';
        if (foldable && lineLength + (end - i) > 78) {
            out += "\r\n";
            lineLength = 0;
        }
        out.append(text, i, end - i);
        lineLength += end - i;
        i = end;
    }
    return out;
}

// Returns the longest run of `text` without a blank.
std::size_t LongestWord(const std::string& text) {
    std::size_t longest = 0, run = 0;
    for (const char c : text) {
        run = c == ' ' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// Encoded words of `text` in `charset`, on lines of their own: at most 36
// bytes each, so that a line with a header's name stays within 78
// characters.
std::string EncodedWords(const std::string& text, const std::string& charset) {
    const bool utf8 = charset == "utf-8";
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size()) {
            const std::size_t length = utf8 ? std::max<std::size_t>(Utf8Length(text, end), 1) : 1;
            if (end + length - i > 36) break;
            end += length;
        }
        if (!out.empty()) out += "\r\n ";
        out += "=?" + charset + "?B?" + Base64(text.substr(i, end - i)) + "?=";
        i = end;
    }
    return out;
}

// Returns the text an HTML body shows, for readers of plain text: line
// breaks for <br>, <hr>, paragraphs and divisions, a link's address (not a
// mailto: one) after its text, other
// tags dropped and the common entities decoded.
std::string HtmlAsPlainText(const std::string& html) {
    std::string text, href;
    // The text is never longer than the HTML: reserved once, a digest of
    // thousands of articles is not copied as it grows.
    text.reserve(html.size());
    std::size_t linkStart = std::string::npos;
    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            const std::size_t close = html.find('>', i);
            if (close == std::string::npos) {
                text.append(html, i, std::string::npos);
                break;
            }
            const std::string tag = AsciiLower(html.substr(i + 1, close - i - 1));
            const std::string name = tag.substr(0, tag.find_first_of(" /\t\r\n", 1));
            if (name == "br" || name == "p" || name == "/p" || name == "hr" || name == "div" || name == "/div") {
                text += '\n';
            } else if (name == "a") {
                const std::size_t at = tag.find("href=\"");
                const std::size_t end = at == std::string::npos ? at : tag.find('"', at + 6);
                // The address as written, not lowered.
                href = end == std::string::npos ? "" : html.substr(i + 1 + at + 6, end - at - 6);
                linkStart = text.size();
            } else if (name == "/a") {
                // A mailto: link's address is a whole message: it makes no
                // sense as text.
                if (!href.empty() && href.rfind("mailto:", 0) != 0 && linkStart != std::string::npos &&
                    text.substr(linkStart) != href)
                    text += " <" + href + ">";
                href.clear();
                linkStart = std::string::npos;
            }
            i = close + 1;
            continue;
        }
        if (c == '&') {
            static const std::pair<const char*, char> kEntities[] = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&nbsp;", ' '}};
            bool decoded = false;
            for (const auto& [entity, character] : kEntities) {
                if (html.compare(i, std::strlen(entity), entity) == 0) {
                    text += character;
                    i += std::strlen(entity);
                    decoded = true;
                    break;
                }
            }
            if (decoded) continue;
        }
        text += c;
        ++i;
    }
    return text;
}

std::string AddressList(const MailMessage& message, int kind) {
    std::string list;
    for (const MailAddressee& addressee : message.addressees) {
        if (addressee.kind != kind) continue;
        if (!list.empty()) list += ",\r\n ";
        if (!addressee.displayName.empty()) list += DisplayName(addressee.displayName) + " ";
        list += "<" + addressee.address + ">";
    }
    return list;
}

}  // namespace

bool IsSafeAddress(const std::string& address) {
    if (address.empty() || address.size() > kMaxAddressLength || address[0] == '-') return false;
    for (const char c : address) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

bool IsMailAddress(const std::string& address) {
    const std::size_t at = address.find('@');
    if (!IsSafeAddress(address) || at == 0 || at == std::string::npos ||
        address.find('@', at + 1) != std::string::npos || address.find(' ') != std::string::npos)
        return false;
    const std::size_t dot = address.find('.', at + 2);
    return dot != std::string::npos && dot + 1 < address.size();
}

std::string TextCharset(const std::string& text) {
    if (IsAscii(text)) return "us-ascii";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) return "windows-1252";
        i += length;
    }
    return "utf-8";
}

std::string QuotedPrintable(const std::string& text) {
    std::string out;
    AppendQuotedPrintable(text, out);
    return out;
}

void AppendQuotedPrintable(const std::string& text, std::string& out) {
    out.reserve(out.size() + text.size() + text.size() / 8);
    std::size_t lineLength = 0;
    auto put = [&](const char* token, std::size_t length) {
        if (lineLength + length > 75) {
            out += "=\r\n";
            lineLength = 0;
        }
        out.append(token, length);
        lineLength += length;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool lineEnd = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (lineEnd) {
            if (c == '\r') ++i;
            out += "\r\n";
            lineLength = 0;
            continue;
        }
        const bool beforeLineEnd = i + 1 == text.size() || text[i + 1] == '\n' ||
                                   (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n');
        const bool literal = (c >= 33 && c <= 126 && c != '=') ||
                             ((c == ' ' || c == '\t') && !beforeLineEnd);
        if (literal) {
            put(&text[i], 1);
        } else {
            const char escaped[] = {'=', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
            put(escaped, 3);
        }
    }
    // A text that does not end in a line break ends in a soft one, so
    // that decoding adds nothing.
    if (!text.empty() && text.back() != '\n') out += "=\r\n";
}

std::string EncodeHeaderText(const std::string& text, std::size_t used) {
    // A word too long for any line goes as encoded words, which split it.
    if (IsPrintableAscii(text) && used + LongestWord(text) < 990) return FoldAtBlanks(text, used);
    return EncodedWords(text, TextCharset(text));
}

std::string ComposeMailMessage(const MailMessage& message, const std::string& date,
                               const std::string& messageId) {
    std::string out;
    // The parts in quoted-printable, the HTML one with its text beside it.
    out.reserve(4096 + message.body.size() * (message.html ? 5 : 9) / 4);
    out += "From: " + message.sender + "\r\n";
    out += "To: " + AddressList(message, 0) + "\r\n";
    const std::string cc = AddressList(message, 1);
    if (!cc.empty()) out += "Cc: " + cc + "\r\n";
    out += "Subject: " + EncodeHeaderText(message.subject, 9) + "\r\n";
    out += "Date: " + date + "\r\n";
    out += "Message-ID: " + messageId + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    // Each part goes straight into the message: a digest of many
    // thousand articles is not copied more than it must be.
    auto part = [&out](const char* type, const std::string& body) {
        out += std::string("Content-Type: ") + type + "; charset=" + TextCharset(body) + "\r\n" +
               "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
        AppendQuotedPrintable(body, out);
    };
    const std::string mixed = "=_Lorvane_mixed";
    if (!message.attachments.empty()) {
        out += "Content-Type: multipart/mixed; boundary=\"" + mixed + "\"\r\n\r\n";
        out += "--" + mixed + "\r\n";
    }
    if (!message.html) {
        part("text/plain", message.body);
    } else {
        // Readers of plain text get the digest as text first; the others
        // show the HTML. "=_" never stands in quoted-printable text or in
        // base64, so the boundaries cannot occur in a part.
        const std::string boundary = "=_Lorvane_alternative";
        out += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n\r\n";
        out += "--" + boundary + "\r\n";
        part("text/plain", HtmlAsPlainText(message.body));
        out += "\r\n--" + boundary + "\r\n";
        part("text/html", message.body);
        out += "\r\n--" + boundary + "--\r\n";
    }
    if (message.attachments.empty()) return out;
    for (const MailAttachment& attachment : message.attachments) {
        out += "\r\n--" + mixed + "\r\nContent-Type: " + attachment.contentType + "; name=\"" +
               attachment.name + "\"\r\nContent-Disposition: attachment; filename=\"" + attachment.name +
               "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
        const std::string encoded = Base64(attachment.data);
        for (std::size_t at = 0; at < encoded.size(); at += 76) out += encoded.substr(at, 76) + "\r\n";
    }
    out += "\r\n--" + mixed + "--\r\n";
    return out;
}

}  // namespace lorvane
