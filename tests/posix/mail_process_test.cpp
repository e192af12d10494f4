// Mail through a real sendmail (msmtp) to an SMTP sink on 127.0.0.1: the
// digest of a run with hits, failed deliveries, and the colleague alert.
#include <sys/stat.h>

#include "common/mail_delivery.h"
#include "common/mail_oauth.h"
#include "runner/article_entries.h"
#include "platform/posix/child_process.h"
#include "posix/tessory_fixture.h"
#include "support/captured_console.h"

namespace lorvane {
namespace {

const char kCitation[] =
    "%A J. A. Smith\n%A B. Doe\n%T  Molecular basis of X. \n%D 2007\n%0 Journal Article\n"
    "%J  J Biol Chem\n%V 282\n%P 9475-81\n";

const char kPrompt[] = "Please enter your colleague's e-mail address:\n";

using MailRun = TessoryProcess;

TEST_F(MailRun, NoHitsNoMail) {
    test::StandIn standIn(R"({"esearch": {}})");
    Configure("Weekly", "HTML", {"nothing"});
    const test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(result.out, kHtmlEmptyDigest);
    EXPECT_TRUE(m_sink->Messages().empty());
}

TEST_F(MailRun, RefusedDeliveryIsReportedAndTheRunGoesOn) {
    test::StandIn standIn(R"({"esearch": {"q": {"ids": [17284678]}},
                              "default_efetch": {"file": "medline_17284678.txt"}})");
    Configure("Weekly", "Text", {"q"}, "refused@example.org");
    const test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(result.exitCode, 6);
    EXPECT_EQ(result.out.find("Message delivered!"), std::string::npos) << result.out;
    const std::string firstLine = result.out.substr(0, result.out.find('\n'));
    EXPECT_NE(firstLine.find("sendmail exited with status"), std::string::npos) << firstLine;
    EXPECT_NE(firstLine.find("refused@example.org"), std::string::npos) << firstLine;
    EXPECT_EQ(result.out.substr(firstLine.size() + 1), DebugCopy());
    EXPECT_TRUE(m_sink->Messages().empty());
    // The log says why, once, in the run's line.
    const std::string log = RunLog();
    EXPECT_NE(log.find(" 1 query searched, 1 article listed, digest not delivered: "), std::string::npos) << log;
    EXPECT_EQ(log.find("sendmail exited with status 65"), log.rfind("sendmail exited with status 65")) << log;
}

TEST_F(MailRun, ColleagueAlert) {
    Configure("Off", "Text");  // neither affects the colleague alert
    std::ofstream(m_work + "/17284678.enw") << kCitation;
    const test::ProcessResult result =
        Run({"\"" + m_work + "/17284678.enw\""}, "", "  colleague@example.org and the rest\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, std::string(kPrompt) + "Message delivered!\n");
    EXPECT_EQ(DebugCopy(), "<missing>");

    const std::vector<test::ReceivedMail> mails = m_sink->Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].envelope,
              "{\"from\": \"reader@example.org\", \"to\": [\"colleague@example.org\"]}");
    EXPECT_EQ(mails[0].headers.at("Subject"), "Lorvane! Colleague Article Alert");
    EXPECT_EQ(mails[0].headers.at("To"), "Lorvane! <colleague@example.org>");
    EXPECT_EQ(mails[0].headers.at("Content-Type"), "multipart/alternative; boundary=\"=_Lorvane_alternative\"");
    EXPECT_EQ(mails[0].headers.at("Alternatives"), "text/plain text/html");
    EXPECT_EQ(mails[0].headers.at("Charset"), "us-ascii");
    // Readers of plain text see the same message, links after their text.
    EXPECT_EQ(mails[0].plain,
              "Dear colleague,\n\nI wanted to tell about this newly published article:\n\nJ. A. Smith, "
              "B. Doe,  Molecular basis of X.  (2007) J Biol Chem 282 9475-81\nPMID: 17284678 <http://"
              "www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=pubmed&dopt=Abstract&list_uids="
              "17284678>\n\ncolleague@example.org\n\nThank you for using Lorvane!");
    EXPECT_EQ(mails[0].body,
              "<html><body>Dear colleague,<br><br>I wanted to tell about this newly published "
              "article:<br><br>J. A. Smith, B. Doe, <b> Molecular basis of X. </b> (2007)<i> J Biol "
              "Chem</i> <b>282</b> 9475-81<br>PMID: <a href=\"http://www.ncbi.nlm.nih.gov/entrez/"
              "query.fcgi?cmd=Retrieve&db=pubmed&dopt=Abstract&list_uids=17284678\">17284678</a>"
              "<br><br>colleague@example.org<br><hr>Thank you for using Lorvane!</body></html>");
}

TEST_F(MailRun, ColleagueAlertFromAFileWithoutPages) {
    Configure("Daily", "HTML");
    // An author's line as the runner writes it for initials outside ASCII.
    ArticleRecord record;
    record.authors = "M\xC3\xBCller-\xC5\x81ukasiewicz \xC3\x96";
    std::ofstream(m_work + "/42.enw") << CitationText(record).substr(0, CitationText(record).find('\n') + 1)
                                      << "%T A title\n%D 2008\n\n%J Not read\n";
    const test::ProcessResult result = Run({m_work + "/42.enw"}, "", "friend@example.org");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, std::string(kPrompt) + "Message delivered!\n");
    const std::vector<test::ReceivedMail> mails = m_sink->Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].headers.at("Charset"), "utf-8");
    EXPECT_EQ(mails[0].body,
              "<html><body>Dear colleague,<br><br>I wanted to tell about this newly published "
              "article:<br><br>\xC3\x96. M\xC3\xBCller-\xC5\x81ukasiewicz, <b>A title</b> (2008)<br>PMID: <a href=\"http://www.ncbi.nlm.nih.gov/"
              "entrez/query.fcgi?cmd=Retrieve&db=pubmed&dopt=Abstract&list_uids=42\">42</a><br><br>"
              "friend@example.org<br><hr>Thank you for using Lorvane!</body></html>");
}

TEST_F(MailRun, ColleagueAlertWithoutFileOrAddressMailsNothing) {
    Configure("Weekly", "HTML");
    // A citation file that is not there: named, with no prompt.
    test::ProcessResult result = Run({m_work + "/404.enw"}, "", "colleague@example.org\n");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tessory: cannot read the citation file " + m_work +
                              "/404.enw: No such file or directory\n");

    std::ofstream(m_work + "/1.enw") << kCitation;
    result = Run({m_work + "/1.enw"}, "", "");  // standard input ends at once
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, std::string(kPrompt) + "No address was typed; nothing was sent.\n");
    result = Run({m_work + "/1.enw"}, "", "refused@example.org");
    EXPECT_EQ(result.exitCode, 6);
    EXPECT_TRUE(m_sink->Messages().empty());
}

// The user's own outgoing server: submission over TLS with AUTH, and every
// way it can refuse, each reported in one line and never as delivered.
TEST_F(MailRun, SubmissionThroughTheUsersOwnServer) {
    test::StandIn standIn(R"({"esearch": {"q": {"ids": [17284678]}},
                              "default_efetch": {"file": "medline_17284678.txt"}})");
    test::SubmissionServer server(m_home + "/smtp", "starttls", "reader", "s3cret pass");
    const std::string port = std::to_string(server.port());
    Configure("Weekly", "Text", {"q"});
    Store({{"MailServer", "localhost"}, {"MailPort", port}, {"MailUser", "reader"},
           {"MailCAFile", server.caFile()}});
    const std::string passwordFile = m_home + "/config/Lorvane/mail-password";
    auto password = [&](const std::string& text, mode_t mode) {
        std::ofstream(passwordFile, std::ios::trunc) << text;
        chmod(passwordFile.c_str(), mode);
    };
    auto firstLine = [](const std::string& out) { return out.substr(0, out.find('\n')); };

    password("s3cret pass\n", 0600);
    test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(result.out, "Message delivered!\n" + DebugCopy());
    std::vector<test::ReceivedMail> mails = server.Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].envelope, "{\"from\": \"reader@example.org\", \"to\": [\"reader@example.org\"], "
                                 "\"tls\": true, \"login\": \"reader\"}");
    EXPECT_EQ(mails[0].body, DebugCopy());
    EXPECT_TRUE(m_sink->Messages().empty());  // not through sendmail

    // The colleague alert goes the same way.
    std::ofstream(m_work + "/1.enw") << kCitation;
    result = Run({m_work + "/1.enw"}, "", "friend@example.org\n");
    EXPECT_EQ(result.out, std::string(kPrompt) + "Message delivered!\n");
    ASSERT_EQ(server.Messages().size(), 2u);

    const std::string where = "the mail server localhost:" + port;
    password("wrong\n", 0600);
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out),
              where + " answered: 535 5.7.8 Authentication credentials invalid; the user name or password is wrong");
    password("s3cret pass", 0644);
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out),
              "Mail not sent: " + passwordFile + " can be read or written by others: make it private "
              "(chmod 600 " + passwordFile + ")");
    // A keyring's command instead of the file: its first line.
    Store({{"MailPasswordCommand", "printf 's3cret pass\\nsecond line'"}});
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out), "Message delivered!");
    Store({{"Email", "refused@example.org"}});
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out),
              where + " answered: 550 5.1.1 <refused@example.org>: Recipient address rejected");
    // A server that goes silent after the message holds the run no longer
    // than the delivery's bound, its goodbye included.
    Store({{"Email", "silent@example.org"}});
    result = Run({}, standIn.url(), "", {{"LORVANE_MAIL_TIME_LIMIT", "3"}});
    EXPECT_EQ(firstLine(result.out), where + " did not finish the delivery within 3 seconds");
    EXPECT_EQ(result.exitCode, 6);
    Store({{"Email", "reader@example.org"}});
    EXPECT_EQ(server.Messages().size(), 3u);

    // A server that offers no TLS is not sent to; one that is gone fails
    // in bounded time.
    test::SubmissionServer plain(m_home + "/plain", "plain", "", "");
    Store({{"MailPort", std::to_string(plain.port())}});
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out),
              "the mail server localhost:" + std::to_string(plain.port()) +
                  " does not offer STARTTLS; the message is not sent unencrypted");
    EXPECT_TRUE(plain.Messages().empty());
    const std::string closed = test::ClosedPortUrl();
    const std::string closedPort = closed.substr(closed.rfind(':') + 1);
    Store({{"MailPort", closedPort}});
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out)
                  .rfind("cannot send through the mail server localhost:" + closedPort + ": ", 0),
              0u);

    // smtps: TLS from the first byte, on its own port.
    test::SubmissionServer smtps(m_home + "/smtps", "tls", "reader", "s3cret pass");
    Store({{"MailPort", std::to_string(smtps.port())}, {"MailSecurity", "TLS"}, {"MailCAFile", smtps.caFile()}});
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out), "Message delivered!");
    ASSERT_EQ(smtps.Messages().size(), 1u);
    EXPECT_NE(smtps.Messages()[0].envelope.find("\"tls\": true, \"login\": \"reader\""), std::string::npos);
}

TEST_F(MailRun, OAuthTokensFromACommandOrAMicrosoftSignIn) {
    test::StandIn standIn(R"({"esearch": {"q": {"ids": [17284678]}},
                              "default_efetch": {"file": "medline_17284678.txt"}})");
    const std::string user = "reader@contoso.example";
    test::SubmissionServer server(m_home + "/smtp", "starttls", user, "unused", {"--token", "at-"});
    test::OAuthStandIn signIn(m_home + "/oauth", user);
    Configure("Weekly", "Text", {"q"});
    Store({{"MailServer", "localhost"}, {"MailPort", std::to_string(server.port())}, {"MailUser", user},
           {"MailCAFile", server.caFile()}, {"MailAuth", "OAuth2"}, {"MailOAuthProvider", "Command"},
           {"MailTokenCommand", "printf 'at-from-command\\nsecond line'"}});
    const std::map<std::string, std::string> service = {{"LORVANE_OAUTH_URL", signIn.url()}};
    auto firstLine = [](const std::string& out) { return out.substr(0, out.find('\n')); };
    // A command's token, sent with XOAUTH2, and found nowhere else.
    test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(firstLine(result.out), "Message delivered!");
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_NE(server.Messages()[0].envelope.find("\"login\": \"" + user + "\""), std::string::npos);
    for (const std::string& seen : {result.out, result.err, RunLog(), DebugCopy()})
        EXPECT_EQ(seen.find("at-from-command"), std::string::npos);
    Store({{"MailTokenCommand", "echo at-never; echo keyring locked >&2; exit 3"}});
    result = Run({}, standIn.url());
    EXPECT_EQ(firstLine(result.out), "Mail not sent: the mail token command failed: it exited with status 3: "
                                     "keyring locked");
    EXPECT_EQ(result.exitCode, 6);

    // Microsoft: no client ID, no sign-in; with one, a device code on the
    // terminal, then the sign-in kept privately.
    Store({{"MailOAuthProvider", "Microsoft"}});
    result = Run({"--sign-in"}, "", "", service);
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_NE(result.err.find("a client ID is needed"), std::string::npos) << result.err;
    Store({{"MailOAuthClientId", "client-123"}});
    result = Run({"--sign-in"}, "", "", service);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "To sign in " + user + ", open https://microsoft.com/devicelogin and enter the code "
                          "ABCD-EFGH.\nSigned in as " + user + ".\n");
    const std::string tokenFile = m_home + "/config/Lorvane/mail-oauth";
    EXPECT_EQ(test::ReadFileOr(tokenFile), "rt-1");
    EXPECT_EQ(std::filesystem::status(tokenFile).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // Each run gets a fresh access token; the rotated refresh token replaces the old.
    for (const char* kept : {"rt-2", "rt-3"}) {
        EXPECT_EQ(firstLine(Run({}, standIn.url(), "", service).out), "Message delivered!");
        EXPECT_EQ(test::ReadFileOr(tokenFile), kept);
    }
    EXPECT_EQ(signIn.Requests().at(0), "/organizations/oauth2/v2.0/devicecode client_id=client-123 "
                                       "scope=https://outlook.office.com/SMTP.Send offline_access openid profile");
    // A new sign-in that is not one keeps the stored one, and says so.
    for (const std::string& next : {std::string("null"), std::string(R"({"x": "[["})"), '"' + std::string(70000, 'r') + '"'}) {
        signIn.Next(R"({"refresh_token": )" + next + "}");
        result = Run({}, standIn.url(), "", service);
        EXPECT_EQ(firstLine(result.out), "Message delivered!");
        EXPECT_NE(result.err.find("; the stored one is kept"), std::string::npos) << result.err;
        EXPECT_EQ(test::ReadFileOr(tokenFile), "rt-3");
    }
    signIn.Next(R"({"interval": 2147483647})");  // a wait of decades between polls: asked again within a minute
    MailServerSettings direct;
    direct.oauthUrl = signIn.url();
    direct.oauthClientId = "client-123";
    DeviceSignIn asked;
    EXPECT_TRUE(StartDeviceSignIn(direct, asked).ok() && asked.intervalSeconds == 60);
    signIn.Next(R"({"status": 500})");  // no error code: its HTTP status
    EXPECT_EQ(firstLine(Run({}, standIn.url(), "", service).out), "Mail not sent: no access token: HTTP 500, no error code");
    // A revoked sign-in says what to do, and the digest counts as not delivered.
    signIn.Revoke();
    result = Run({}, standIn.url(), "", service);
    EXPECT_EQ(firstLine(result.out), "Mail not sent: sign in again: invalid_grant (AADSTS70000: The refresh token "
                                     "was revoked.)");
    EXPECT_EQ(result.exitCode, 6);

    // A server that no longer takes passwords: its words, and what to do.
    test::SubmissionServer noPasswords(m_home + "/basic", "starttls", user, "pw", {"--no-passwords"});
    Store({{"MailAuth", "Password"}, {"MailPort", std::to_string(noPasswords.port())},
           {"MailCAFile", noPasswords.caFile()}, {"MailPasswordCommand", "echo pw"}});
    EXPECT_EQ(firstLine(Run({}, standIn.url()).out),
              "the mail server localhost:" + std::to_string(noPasswords.port()) +
                  " answered: 535 5.7.139 Authentication unsuccessful, basic authentication is disabled.; this "
                  "server no longer takes passwords: choose Sign in (MailAuth=OAuth2)");
}

TEST(ChildProcess, ATimeLimitStopsAProgramThatNeverEndsNotOneThatLeftAChild) {
    // As a sendmail that hangs would: it holds its output open and waits.
    ChildOptions options;
    options.timeLimitSeconds = 1;
    ChildResult result;
    std::string error;
    EXPECT_FALSE(RunChild("/bin/sh", {"-c", "sleep 60 & sleep 60"}, "", result, error, options));
    EXPECT_NE(error.find("did not finish within 1 seconds"), std::string::npos) << error;
    // As a sendmail that delivers in the background: done when it exits,
    // with what it wrote, although its child holds the outputs open.
    options.timeLimitSeconds = 2;
    ASSERT_TRUE(RunChild("/bin/sh", {"-c", "cat >/dev/null; sleep 5 & echo queued; exit 3"}, "message", result,
                         error, options)) << error;
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "queued\n");
}

TEST(MailTransport, RefusedAddressStopsTheMessage) {
    const std::string out = TryDeliverMail(CreateSystemMailTransport,
                                           LorvaneMessage("reader@example.org",
                                                          "friend@example.org\r\nBcc: all@example.org",
                                                          MailSubject(kColleagueAlertMail), "body", true))
                                .report;
    EXPECT_EQ(out.find("Mail not sent: adding the recipient refused"), 0u) << out;
    EXPECT_EQ(out.find("Message delivered!"), std::string::npos);
    MailMessage nobody = LorvaneMessage("reader@example.org", "x@example.org", "s", "body", false);
    nobody.addressees.clear();  // fails, says why
    EXPECT_EQ(TryDeliverMail(CreateSystemMailTransport, nobody).reason, "the message has no sender or no recipient");
}

TEST(FindProgram, PathThenFallbacks) {
    const std::string dir = test::MakeScratchDirectory();
    std::filesystem::create_directories(dir + "/a");
    std::filesystem::create_directories(dir + "/b");
    std::ofstream(dir + "/b/sendmail") << "#!/bin/sh\n";
    std::ofstream(dir + "/a/sendmail") << "not executable";
    chmod((dir + "/b/sendmail").c_str(), 0755);
    EXPECT_EQ(FindProgram("sendmail", dir + "/a:" + dir + "/b"), dir + "/b/sendmail");
    EXPECT_EQ(FindProgram("sendmail", dir + "/a", {dir + "/none", dir + "/b/sendmail"}),
              dir + "/b/sendmail");
    EXPECT_EQ(FindProgram("sendmail", "", {dir + "/none"}), "");
    EXPECT_EQ(FindProgram("sendmail", dir + "/a"), "");  // a folder or a plain file is no program
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lorvane
