// "Save and exit" driven in the real dialog: its paths with their store,
// crontab, messages and confirmation mail, and the two programs
// together: the crontab line that the dialog wrote runs the runner, which
// finds the settings and mails the digest.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "common/local_time.h"
#include "config/lorvane_dlg.h"
#include "config/mail_server_dlg.h"
#include "config/resource.h"
#include "config/task_scheduler.h"
#include "qt/modal_script.h"
#include "support/isolation.h"
#include "support/process.h"
#include "support/scratch.h"
#include "support/standin.h"
#include "support/ok.h"

namespace lorvane {
namespace {

using test::Click;
using test::ControlOf;

const char kUsersOwn[] = "MAILTO=\"\"\n5 4 * * 1 /usr/bin/backup --all\n";
const char kMailSent[] = "An e-mail message with the updated settings was send to you!";
const char kUpdated[] = "The system was updated successfully!!!";
const char kRemoved[] = "The schedule was removed: Lorvane will not search until you turn alerts on again.";
const char kFailed[] =
    "The task scheduling failed!!! You may have misspelled your password! Try again or schedule the "
    "task manually!";

std::string Normalized(std::string body) {
    for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;) body.erase(at, 1);
    return body;
}

class SaveWorkflow : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<SettingsValue> values = {{"Email", "reader@example.org"}, {"Day", "Wednesday"},
                                             {"Hour", "18"},                 {"Minute", "45"},
                                             {"Format", "HTML"},             {"Query0", "breast_cancer"}};
        for (int slot = 1; slot < kQuerySlotCount; ++slot) values.push_back({QueryValueName(slot), ""});
        m_scratch.Write(values);
        // An older work item and the user's own lines.
        m_isolation.SetCrontab(kUsersOwn + m_oldItem);
    }

    // Opens the dialog with `frequency` stored, runs `before` on it,
    // presses "Save and exit" and collects the `count` message boxes that
    // follow (no password prompt comes: cron needs none). Expects the
    // dialog to end with `end`.
    std::vector<std::string> SaveAndExit(const char* frequency, std::size_t count, int end = IDOK,
                                         const std::function<void()>& before = [] {}) {
        m_scratch.Write({{"Frequency", frequency}});
        std::vector<std::string> messages;
        std::vector<test::ModalStep> steps = {[before](QWidget* m) {
            before();
            Click(m, IDOK);
        }};
        for (std::size_t i = 0; i < count; ++i)
            steps.push_back([&messages](QWidget* box) { messages.push_back(test::AcceptMessageBox(box)); });
        std::unique_ptr<SettingsStore> store = m_scratch.Create();
        EXPECT_EQ(test::RunConfigDialog(*store, steps), end);
        return messages;
    }

    const std::string m_oldItem =
        "# Lorvane work item \"Lorvane\" begin=2000-01-01 end=2100-01-01 flags=193\n"
        "0 6 * * * exec '/old/tessory'\n";

    // Expects the one summary mail, saying `schedule` of the schedule and
    // listing the queries as running (`running`) or only stored.
    void ExpectConfirmation(const char* frequency, const std::string& schedule, bool running) {
        const std::vector<test::ReceivedMail> mails = m_isolation.sink().Messages();
        ASSERT_EQ(mails.size(), 1u);
        EXPECT_EQ(mails[0].headers.at("Subject"), "Lorvane! configuration settings");
        EXPECT_EQ(mails[0].headers.at("To"), "Lorvane! <reader@example.org>");
        EXPECT_EQ(mails[0].headers.at("Content-Type"), "text/plain; charset=\"us-ascii\"");
        EXPECT_EQ(Normalized(mails[0].body),
                  std::string("The Lorvane! system settings were recently modified. The new settings "
                              "are:\n\nEmail: reader@example.org\n\nFrequency: ") +
                      frequency + "\n\nFormat: HTML\n\nOnly articles I have not been sent before: No\n\n" +
                      "Attach the citations of all articles (a RIS file): No\n\nAdd a Forward link that opens "
                      "your own mail program: No\n\nAdd each article's abstract and DOI: No\n\nTell me when an "
                      "article I was sent is retracted: No\n\n" +
                      schedule + "\n\nThe following queries " + (running ? "will be running" : "are stored") +
                      ":\n\nbreast_cancer\n\nThank you for using Lorvane!\n");
    }

    std::string JobLine(const std::string& schedule) const {
        const std::string runner = "'" + RunnerApplication() + "'";
        return "# Lorvane work item \"Lorvane\" runs weekly on Wednesday at 18:45\n" + schedule +
               " [ -x " + runner + " ] || exit 0; cd '" + m_isolation.home() + "/data/Lorvane' && exec " +
               runner + " --scheduled >/dev/null 2>&1\n";
    }

    // Opens the dialog and returns its last-run line and its warning.
    std::pair<std::string, std::string> StatusLines() {
        std::pair<std::string, std::string> lines;
        test::RunConfigDialog(*m_scratch.Create(), {[&lines](QWidget* m) {
                                  lines = {ControlOf<QLabel>(m, IDC_LAST_RUN)->text().toStdString(),
                                           ControlOf<QLabel>(m, IDC_SCHEDULE_WARNING)->text().toStdString()};
                                  Click(m, IDCANCEL);
                              }});
        return lines;
    }

    test::IsolatedEnvironment m_isolation;
    test::ScratchStore m_scratch;
};

TEST_F(SaveWorkflow, AlertsOff) {
    EXPECT_EQ(SaveAndExit("Off", 2), (std::vector<std::string>{kRemoved, kMailSent}));
    EXPECT_EQ(m_isolation.Crontab(), kUsersOwn);
    ExpectConfirmation("Turned off", "No schedule is registered: alerts are turned off.", false);
    // With nothing to remove, nothing is said of it.
    EXPECT_EQ(SaveAndExit("Off", 1), std::vector<std::string>{kMailSent});
}

TEST_F(SaveWorkflow, AConfirmationNotSentIsNotReportedAsSent) {
    m_scratch.Write({{"Email", "refused@example.org"}});
    m_isolation.SetCrontab(kUsersOwn);
    const std::vector<std::string> messages = SaveAndExit("Off", 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("The e-mail message with the updated settings could not be sent: ", 0), 0u)
        << messages[0];
    EXPECT_NE(messages[0].find("refused@example.org"), std::string::npos) << messages[0];
    EXPECT_TRUE(m_isolation.sink().Messages().empty());
}

// The user's outgoing server: typed and tried in its dialog, stored by
// "Save and exit" (the password in its private file, never in the
// settings), and used for the summary at once.
TEST_F(SaveWorkflow, OutgoingMailServerIsTriedThenStoredWithTheSettings) {
    test::SubmissionServer server(m_isolation.home() + "/smtp", "starttls", "reader", "s3cret pass");
    const std::string port = std::to_string(server.port());
    m_scratch.Write({{"Frequency", "Off"}, {"MailCAFile", server.caFile()}});
    m_isolation.SetCrontab(kUsersOwn);
    std::vector<std::string> tried;
    auto sendTest = [](QWidget* mail, const std::string& password) {
        ControlOf<QLineEdit>(mail, IDC_MAIL_PASSWORD)->clear();
        test::TypeInto(mail, IDC_MAIL_PASSWORD, password);
        Click(mail, IDC_MAIL_TEST);
    };
    auto answer = [&tried](QWidget* box) { tried.push_back(test::AcceptMessageBox(box)); };
    std::unique_ptr<SettingsStore> store = m_scratch.Create();
    const int end = test::RunConfigDialog(
        *store,
        {[](QWidget* m) { Click(m, IDC_OUTGOING_MAIL); },
         [&](QWidget* mail) {
             EXPECT_EQ(mail->windowTitle().toStdString(), "Outgoing mail server");
             EXPECT_TRUE(ControlOf<QRadioButton>(mail, IDC_MAIL_STARTTLS)->isChecked());
             EXPECT_EQ(ControlOf<QLabel>(mail, IDC_MAIL_PASSWORD_NOTE)->text().toStdString(),
                       "No password is stored.");
             EXPECT_EQ(ControlOf<QLineEdit>(mail, IDC_MAIL_PASSWORD)->echoMode(), QLineEdit::Password);
             test::TypeInto(mail, IDC_MAIL_SERVER, " localhost ");
             test::TypeInto(mail, IDC_MAIL_PORT, port);
             test::TypeInto(mail, IDC_MAIL_USER, "reader");
             sendTest(mail, "wrong");
         },
         answer, [&](QWidget* mail) { sendTest(mail, "s3cret pass"); }, answer,
         [](QWidget* mail) { Click(mail, IDOK); }, [](QWidget* m) { Click(m, IDOK); },
         [&](QWidget* box) { tried.push_back(test::AcceptMessageBox(box)); }});
    EXPECT_EQ(end, IDOK);
    EXPECT_EQ(tried, (std::vector<std::string>{
                         "The test message could not be sent: the mail server localhost:" + port +
                             " answered: 535 5.7.8 Authentication credentials invalid; the user name or "
                             "password is wrong",
                         "The test message to reader@example.org was accepted for delivery.", kMailSent}));
    const std::vector<test::ReceivedMail> mails = server.Messages();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].headers.at("Subject"), "Lorvane! test message");
    EXPECT_EQ(mails[1].headers.at("Subject"), "Lorvane! configuration settings");
    EXPECT_TRUE(m_isolation.sink().Messages().empty());

    std::unique_ptr<SettingsStore> reader = m_scratch.Create();
    std::string error, value;
    ASSERT_TRUE(test::Ok(reader->Open()));
    for (const auto& [name, expected] : {std::pair<const char*, std::string>{"MailServer", "localhost"},
                                         {"MailPort", port}, {"MailSecurity", "STARTTLS"},
                                         {"MailUser", "reader"}, {"MailCAFile", server.caFile()}}) {
        reader->Read(name, kUnlimitedCapacity, value);
        EXPECT_EQ(value, expected) << name;
    }
    EXPECT_EQ(test::ReadFileOr(m_scratch.location()).find("s3cret"), std::string::npos);
    const std::string passwordFile = m_isolation.home() + "/config/Lorvane/mail-password";
    EXPECT_EQ(test::ReadFileOr(passwordFile), "s3cret pass");
    EXPECT_EQ(std::filesystem::status(passwordFile).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // Opened again: the stored password is not shown, only that there is one.
    test::RunConfigDialog(*m_scratch.Create(),
                          {[](QWidget* m) { Click(m, IDC_OUTGOING_MAIL); },
                           [](QWidget* mail) {
                               EXPECT_EQ(ControlOf<QLineEdit>(mail, IDC_MAIL_SERVER)->text().toStdString(),
                                         "localhost");
                               EXPECT_TRUE(ControlOf<QLineEdit>(mail, IDC_MAIL_PASSWORD)->text().isEmpty());
                               EXPECT_EQ(ControlOf<QLabel>(mail, IDC_MAIL_PASSWORD_NOTE)->text().toStdString(),
                                         "A password is stored. Leave the box empty to keep it.");
                               Click(mail, IDCANCEL);
                           },
                           [](QWidget* m) { Click(m, IDCANCEL); }});
}

TEST_F(SaveWorkflow, SettingsThatCannotBeStoredChangeNothingElse) {
    // The settings folder gives way to a file once the dialog has loaded.
    const std::string folder = std::filesystem::path(m_scratch.location()).parent_path().string();
    const std::vector<std::string> messages = SaveAndExit("Weekly", 1, IDCANCEL, [folder] {
        std::filesystem::rename(folder, folder + ".kept");
        std::ofstream(folder) << "not a folder";
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Your settings could not be saved (", 0), 0u) << messages[0];
    EXPECT_EQ(m_isolation.Crontab(), kUsersOwn + m_oldItem);
    EXPECT_TRUE(m_isolation.sink().Messages().empty());
}

TEST_F(SaveWorkflow, RegistrationSucceeds) {
    // The item registered before runs daily at 06:00: the dialog says how
    // it differs from the settings until a save registers them.
    for (const auto& [frequency, said] : {std::pair<const char*, const char*>{"Daily", "18:45"},
                                          {"Weekly", "weekly on Wednesday at 18:45"}}) {
        m_scratch.Write({{"Frequency", frequency}});
        EXPECT_EQ(StatusLines().second, std::string("The registered schedule runs daily at 06:00; the settings say ") +
                                            said + ": \"Save and exit\" registers them.");
    }
    EXPECT_EQ(SaveAndExit("Weekly", 2), (std::vector<std::string>{kUpdated, kMailSent}));
    EXPECT_EQ(m_isolation.Crontab(), std::string(kUsersOwn) + JobLine("45 * * * *"));
    ExpectConfirmation("Weekly", "Alerts are scheduled weekly on Wednesday at 18:45.", true);
    EXPECT_EQ(StatusLines().second, "");
}

TEST_F(SaveWorkflow, RegistrationFails) {
    // The runner's working folder cannot be made: a file stands in the way.
    std::ofstream(m_isolation.home() + "/blocker") << "x";
    setenv("XDG_DATA_HOME", (m_isolation.home() + "/blocker/data").c_str(), 1);
    EXPECT_EQ(SaveAndExit("Daily", 2), (std::vector<std::string>{kFailed, kMailSent}));
    EXPECT_EQ(m_isolation.Crontab(), kUsersOwn);
    ExpectConfirmation("Daily", "No schedule is registered: the task scheduling failed.", false);
    EXPECT_EQ(StatusLines().second,
              "Alerts are on, but no schedule is registered for you: \"Save and exit\" registers one.");
}

TEST_F(SaveWorkflow, TheScheduledLineRunsTheRunnerOverTheSavedSettings) {
    test::StandIn standIn(R"({"esearch": {"breast+cancer": {"ids": [17284678]}},
                              "default_efetch": {"file": "medline_17284678.txt"}})");
    EXPECT_EQ(SaveAndExit("Weekly", 2), (std::vector<std::string>{kUpdated, kMailSent}));
    const std::string table = m_isolation.Crontab();
    const std::size_t job = table.find("\n45 * * * * ");
    ASSERT_NE(job, std::string::npos) << table;
    const std::string command = table.substr(job + 12, table.find('\n', job + 1) - job - 12);
    // The hourly line runs the search only when a run is due: as if the
    // schedule had been saved a week ago, the last Wednesday's is.
    m_scratch.Write({{"ScheduleSince", MomentText(LocalMoment(SystemClock) - 8 * 1440)}});

    // As cron would: sh runs the line; the settings are where the dialog put them.
    const std::string configHome =
        std::filesystem::path(m_scratch.location()).parent_path().parent_path().string();
    const test::ProcessResult run = test::RunProcess(
        "/bin/sh", {"-c", command}, "/",
        {{"XDG_CONFIG_HOME", configHome}, {"LORVANE_EUTILS_URL", standIn.url()}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    // The run keeps its outcome in its log, which the dialog shows.
    const std::string log = test::ReadFileOr(m_isolation.home() + "/state/Lorvane/tessory.log");
    const std::string outcome = "1 query searched, 1 article listed, digest delivered to reader@example.org";
    EXPECT_EQ(log.substr(19), " " + outcome + "\n") << log;
    const auto [lastRun, warning] = StatusLines();
    EXPECT_EQ(lastRun, "Last run: " + log.substr(0, 10) + " " + log.substr(11, 5) + ": " + outcome +
                           "\nThe whole log: " + m_isolation.home() + "/state/Lorvane/tessory.log");
    EXPECT_EQ(warning, "");
    EXPECT_NE(test::ReadFileOr(m_isolation.home() + "/data/Lorvane/debug.html"), "<missing>");
    EXPECT_NE(test::ReadFileOr(m_isolation.home() + "/data/Lorvane/17284678.enw"), "<missing>");

    const std::vector<test::ReceivedMail> mails = m_isolation.sink().Messages();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].headers.at("Subject"), "Lorvane! configuration settings");
    EXPECT_EQ(mails[1].headers.at("Subject"), "Lorvane! Periodic Search Results");
    EXPECT_NE(mails[1].body.find("Molecular basis of a dominant form of congenital neutropenia."),
              std::string::npos);
}

TEST_F(SaveWorkflow, SignInToMicrosoftThenAnotherProvider) {
    const std::string user = "reader@contoso.example";
    test::OAuthStandIn service(m_isolation.home() + "/oauth", user);
    CMailServerDlg dialog;
    dialog.m_server.server = "smtp.office365.com";
    dialog.m_server.user = user;
    dialog.m_server.auth = MailAuth::OAuth2;
    dialog.m_server.oauthUrl = service.url();
    std::string signedIn;
    test::RunModal([&] { dialog.DoModal(); },
                   {[](QWidget* mail) {
                        EXPECT_EQ(ControlOf<QComboBox>(mail, IDC_MAIL_PROVIDER)->currentIndex(), 0);
                        EXPECT_EQ(ControlOf<QLabel>(mail, IDC_MAIL_PASSWORD_NOTE)->text().toStdString(),
                                  "Not signed in yet: choose \"Sign in...\".");
                        // This build has no client ID of its own: the organisation's is typed.
                        test::TypeInto(mail, IDC_MAIL_CLIENT_ID, "client-123");
                        Click(mail, IDC_MAIL_SIGN_IN);
                    },
                    [&](QWidget* waiting) {
                        EXPECT_EQ(ControlOf<QLabel>(waiting, IDC_SIGN_IN_CODE)->text().toStdString(),
                                  "Code: ABCD-EFGH");
                        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "ABCD-EFGH");
                        auto* status = ControlOf<QLabel>(waiting, IDC_SIGN_IN_STATUS);
                        for (int i = 0; i < 1000 && status->text().startsWith("Waiting"); ++i) QTest::qWait(10);
                        signedIn = status->text().toStdString();
                        Click(waiting, IDCANCEL);  // now "Close"
                    },
                    [](QWidget* mail) {
                        EXPECT_EQ(ControlOf<QLabel>(mail, IDC_MAIL_PASSWORD_NOTE)->text().toStdString(),
                                  "A sign-in is kept. \"Sign in...\" replaces it.");
                        // The next provider by the keyboard: its server, port and sign-in.
                        auto* providers = ControlOf<QComboBox>(mail, IDC_MAIL_PROVIDER);
                        providers->setFocus();
                        QTest::keyClick(providers, Qt::Key_Down);
                        EXPECT_EQ(ControlOf<QLineEdit>(mail, IDC_MAIL_SERVER)->text().toStdString(), "smtp.gmail.com");
                        EXPECT_TRUE(ControlOf<QRadioButton>(mail, IDC_MAIL_AUTH_PASSWORD)->isChecked());
                        EXPECT_TRUE(ControlOf<QLineEdit>(mail, IDC_MAIL_PASSWORD)->isEnabled());
                        EXPECT_FALSE(ControlOf<QLineEdit>(mail, IDC_MAIL_CLIENT_ID)->isVisible());
                        EXPECT_EQ(ControlOf<QLabel>(mail, IDC_MAIL_PROVIDER_NOTE)->text().toStdString().rfind(
                                      "Gmail: an app password", 0),
                                  0u);
                        Click(mail, IDOK);
                    }});
    EXPECT_EQ(signedIn, "Signed in as " + user + ".");
    EXPECT_EQ(dialog.m_server.oauthClientId, "client-123");
    EXPECT_EQ(test::ReadFileOr(m_isolation.home() + "/config/Lorvane/mail-oauth"), "rt-1");
}

}  // namespace
}  // namespace lorvane
