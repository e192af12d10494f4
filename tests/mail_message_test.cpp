// Composing a mail message: headers, encodings and what is refused.
#include <gtest/gtest.h>

#include "common/mail_delivery.h"
#include "common/mail_message.h"

namespace lorvane {
namespace {

// Undoes quoted-printable as a receiver does: soft breaks vanish, hard
// ones become line feeds, =XX becomes its byte.
std::string DecodeQuotedPrintable(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            out += '\n';
            ++i;
        } else if (text[i] == '=') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

MailMessage Sample(const std::string& body, bool html) {
    MailMessage message;
    message.sender = "reader@example.org";
    message.addressees = {{"Lorvane!", "friend@example.org", 0}};
    message.subject = MailSubject(kPeriodicResultsMail);
    message.body = body;
    message.html = html;
    return message;
}

std::string Headers(const std::string& message) {
    return message.substr(0, message.find("\r\n\r\n") + 2);
}

std::string Body(const std::string& message) {
    return message.substr(message.find("\r\n\r\n") + 4);
}

TEST(MailMessage, Headers) {
    const std::string text = ComposeMailMessage(Sample("<b>x</b>", true), "Tue, 08 Dec 2026 07:30:00 +0000",
                                                "<1.2@example.org>");
    EXPECT_EQ(Headers(text),
              "From: reader@example.org\r\n"
              "To: \"Lorvane!\" <friend@example.org>\r\n"
              "Subject: Lorvane! Periodic Search Results\r\n"
              "Date: Tue, 08 Dec 2026 07:30:00 +0000\r\n"
              "Message-ID: <1.2@example.org>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/html; charset=us-ascii\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n");
    MailMessage plain = Sample("caf\xc3\xa9\n", false);
    EXPECT_NE(ComposeMailMessage(plain, "d", "<m>").find("Content-Type: text/plain; charset=utf-8\r\n"),
              std::string::npos);
    plain.body = "caf\xe9";
    EXPECT_NE(ComposeMailMessage(plain, "d", "<m>").find("charset=windows-1252\r\n"), std::string::npos);
}

TEST(MailMessage, Subjects) {
    EXPECT_STREQ(MailSubject(1), "Lorvane! Periodic Search Results");
    for (MailKind kind : {0, 2, 3, -1}) EXPECT_STREQ(MailSubject(kind), "Lorvane! Colleague Article Alert");
    EXPECT_EQ(EncodeHeaderText("Lorvane! Periodic Search Results"), "Lorvane! Periodic Search Results");
    EXPECT_EQ(EncodeHeaderText("Caf\xc3\xa9"), "=?utf-8?B?Q2Fmw6k=?=");
    const std::string folded = EncodeHeaderText(std::string(40, 'a') + "\xc3\xa9" + std::string(40, 'b'));
    EXPECT_NE(folded.find("?=\r\n =?utf-8?B?"), std::string::npos) << folded;
}

TEST(MailMessage, LongSingleLineBodyDecodesExactly) {
    std::string digest = "<span> <p>";
    while (digest.size() < 200 * 1024)
        digest += "1. Smith JA. <b> Title = 50% \xc3\xa9t\xc3\xa9\t</b> <a href=\"http://x/?a=1&b=2\">x</a> ";
    const std::string text = ComposeMailMessage(Sample(digest, true), "d", "<m>");
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        ASSERT_LE(end - start, 76u);
        start = end + 2;
    }
    EXPECT_EQ(DecodeQuotedPrintable(Body(text)), digest);
}

TEST(MailMessage, TextBodiesKeepTheirLines) {
    const std::string digest = "\nResults:\n\n1. x  \nThank you.\n";
    const std::string body = Body(ComposeMailMessage(Sample(digest, false), "d", "<m>"));
    EXPECT_EQ(body, "\r\nResults:\r\n\r\n1. x =20\r\nThank you.\r\n");
    EXPECT_EQ(DecodeQuotedPrintable(body), digest);
    EXPECT_EQ(Body(ComposeMailMessage(Sample("", false), "d", "<m>")), "");
    EXPECT_EQ(DecodeQuotedPrintable(QuotedPrintable(".\nFrom here\r\n=")), ".\nFrom here\n=");
}

TEST(MailMessage, UnsafeAddresses) {
    EXPECT_TRUE(IsSafeAddress("reader@example.org"));
    EXPECT_FALSE(IsSafeAddress(""));
    EXPECT_FALSE(IsSafeAddress("reader@example.org\r\nBcc: all@example.org"));
    EXPECT_FALSE(IsSafeAddress("reader@example.org\n"));
    EXPECT_FALSE(IsSafeAddress("a\tb@example.org"));
    EXPECT_FALSE(IsSafeAddress("-oQ/tmp/x@example.org"));  // would read as an option
}

}  // namespace
}  // namespace lorvane
