// Composing a mail message: headers, encodings and what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "common/composed_mail.h"
#include "common/mail_delivery.h"
#include "common/mail_message.h"
#include "support/scratch.h"

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

// Returns the body of the part of `type` of a multipart message.
std::string Part(const std::string& message, const std::string& type) {
    const std::size_t start = message.find("\r\n\r\n", message.find("Content-Type: " + type)) + 4;
    return message.substr(start, message.find("\r\n--=_Lorvane_alternative", start) - start);
}

// Returns the longest line of `text`, CR LF ends not counted.
std::size_t LongestLine(const std::string& text) {
    std::size_t longest = 0;
    for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        longest = std::max(longest, end - start);
    }
    return longest;
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
              "Content-Type: multipart/alternative; boundary=\"=_Lorvane_alternative\"\r\n");
    EXPECT_EQ(Body(text),
              "--=_Lorvane_alternative\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\nx=\r\n\r\n"
              "--=_Lorvane_alternative\r\n"
              "Content-Type: text/html; charset=us-ascii\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n<b>x</b>=\r\n\r\n"
              "--=_Lorvane_alternative--\r\n");
    MailMessage plain = Sample("caf\xc3\xa9\n", false);
    EXPECT_NE(ComposeMailMessage(plain, "d", "<m>").find("Content-Type: text/plain; charset=utf-8\r\n"),
              std::string::npos);
    plain.body = "caf\xe9";
    EXPECT_NE(ComposeMailMessage(plain, "d", "<m>").find("charset=windows-1252\r\n"), std::string::npos);

    // Dates in English whatever the locale, with the zone as an offset.
    const std::regex date("(Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|"
                          "Sep|Oct|Nov|Dec) 20[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] ([-+][0-9]{4})");
    std::smatch match;
    for (const auto& [zone, offsets] : {std::pair<const char*, const char*>{"UTC0", "+0000"},
                                        {"EST5EDT,M3.2.0,M11.1.0", "-0500 -0400"},
                                        {"IST-5:30", "+0530"}}) {
        test::SetTimeZone(zone);
        const std::string dateText = MailDate();
        ASSERT_TRUE(std::regex_match(dateText, match, date)) << zone << ": " << dateText;
        EXPECT_NE(std::string(offsets).find(match[3].str()), std::string::npos) << zone << ": " << dateText;
    }
    test::SetTimeZone("UTC0");
    EXPECT_NE(NewMessageId("reader@example.org"), NewMessageId("reader@example.org"));
    const std::string id = NewMessageId("reader@example.org");
    EXPECT_EQ(id.substr(id.size() - 21), ".lorvane@example.org>") << id;
}

TEST(MailMessage, Subjects) {
    EXPECT_STREQ(MailSubject(1), "Lorvane! Periodic Search Results");
    for (MailKind kind : {0, 2, 3, -1}) EXPECT_STREQ(MailSubject(kind), "Lorvane! Colleague Article Alert");
    EXPECT_EQ(EncodeHeaderText("Lorvane! Periodic Search Results"), "Lorvane! Periodic Search Results");
    EXPECT_EQ(EncodeHeaderText("Caf\xc3\xa9"), "=?utf-8?B?Q2Fmw6k=?=");
    const std::string folded = EncodeHeaderText(std::string(40, 'a') + "\xc3\xa9" + std::string(40, 'b'));
    EXPECT_NE(folded.find("?=\r\n =?utf-8?B?"), std::string::npos) << folded;

    // Long subjects: words fold at blanks and unfold to the subject; a word
    // longer than a line goes as encoded words. No line passes 998 octets.
    MailMessage message = Sample("x", false);
    std::string words;
    while (words.size() < 3000) words += "word" + std::to_string(words.size()) + " ";
    for (const std::string& subject : {words + " end", std::string(3000, 'x'), "  " + words}) {
        message.subject = subject;
        const std::string headers = Headers(ComposeMailMessage(message, "d", "<m>"));
        EXPECT_LE(LongestLine(headers), 78u);
        std::string unfolded = headers.substr(headers.find("Subject: ") + 9);
        unfolded.erase(unfolded.find("\r\nDate:"));
        for (std::size_t at; (at = unfolded.find("\r\n")) != std::string::npos;) unfolded.erase(at, 2);
        if (subject[0] != 'x') EXPECT_EQ(unfolded, subject);
        else EXPECT_EQ(unfolded.rfind("=?us-ascii?B?", 0), 0u) << unfolded.substr(0, 80);
    }
}

TEST(MailMessage, LongSingleLineBodyDecodesExactly) {
    std::string digest = "<span> <p>";
    while (digest.size() < 200 * 1024)
        digest += "1. Smith JA. <b> Title = 50% \xc3\xa9t\xc3\xa9\t</b> <a href=\"http://x/?a=1&b=2\">x</a> ";
    const std::string text = ComposeMailMessage(Sample(digest, true), "d", "<m>");
    EXPECT_LE(LongestLine(text), 76u);
    EXPECT_EQ(DecodeQuotedPrintable(Part(text, "text/html")), digest);
    const std::string plain = DecodeQuotedPrintable(Part(text, "text/plain"));
    EXPECT_EQ(plain.find(" \n1. Smith JA.  Title = 50% \xc3\xa9t\xc3\xa9\t x <http://x/?a=1&b=2> 1. Smith"), 0u)
        << plain.substr(0, 100);
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
    EXPECT_TRUE(IsSafeAddress(std::string(242, 'a') + "@example.org"));
    EXPECT_FALSE(IsSafeAddress(std::string(243, 'a') + "@example.org"));  // no line to hold it
    // What a person means to receive mail at: local@domain.
    for (const char* good : {"reader@example.org", "a.b+c@mail.example.co.uk", "x@y.z"})
        EXPECT_TRUE(IsMailAddress(good)) << good;
    for (const char* bad : {"anna.berg", "@example.org", "anna@", "anna@localhost", "anna@.org", "anna@org.",
                            "a@b@example.org", "anna berg@example.org", "anna@example.org ", "-a@example.org"})
        EXPECT_FALSE(IsMailAddress(bad)) << bad;
    EXPECT_FALSE(IsMailAddress(std::string(243, 'a') + "@example.org"));
}

}  // namespace
}  // namespace lorvane
