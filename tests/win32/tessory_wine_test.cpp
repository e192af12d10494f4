// tessory.exe as a process over the real per-user settings key. These
// tests write that key, so they run only in a registry made for the test
// run (scripts/test.sh creates a fresh Wine prefix and says so through
// LORVANE_SCRATCH_REGISTRY).
#include <windows.h>
#include <wincred.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "common/mail_server.h"
#include "common/secret_store.h"
#include "common/settings_store.h"
#include "runner/runner_services.h"
#include "support/scratch.h"
#include "support/ok.h"

namespace lorvane {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void Reset(HANDLE handle = nullptr) {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = handle;
    }
    HANDLE get() const { return m_handle; }
    HANDLE* out() { return &m_handle; }

private:
    HANDLE m_handle;
};

struct Outcome {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
};

// Runs tessory.exe with `arguments` in `directory`, `input` on its
// standard input, capturing its output.
Outcome RunTessory(const std::string& arguments, const std::string& directory,
                   const std::string& input = "") {
    Outcome outcome;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle readEnd, writeEnd, inputRead, inputWrite;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &inherit, 0)) return outcome;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    // The input is small: the pipe holds it all before the child starts.
    if (!CreatePipe(inputRead.out(), inputWrite.out(), &inherit, 0)) return outcome;
    SetHandleInformation(inputWrite.get(), HANDLE_FLAG_INHERIT, 0);
    DWORD written = 0;
    WriteFile(inputWrite.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    inputWrite.Reset();

    // Standard output only: what standard error says is not the digest.
    Handle discard(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = discard.get();
    startup.hStdInput = inputRead.get();
    std::string commandLine = "\"" TESSORY_PATH "\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return outcome;
    Handle processHandle(process.hProcess), threadHandle(process.hThread);
    writeEnd.Reset();  // so that the read ends when the child does

    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        outcome.out.append(buffer, got);
    WaitForSingleObject(processHandle.get(), INFINITE);
    GetExitCodeProcess(processHandle.get(), &outcome.exitCode);
    return outcome;
}


// The class of the mail component double (tests/win32/mail_component_double.cpp).
const char kDoubleClass[] = "{5E1C0B7A-3D2F-4B8E-9A61-2C7D4F0E8B13}";

class TessoryUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("LORVANE_SCRATCH_REGISTRY"))
            GTEST_SKIP() << "writes the user's settings key; run in a scratch registry";
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_work = std::string(temp) + "lorvane-tessory-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_work.c_str(), nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
    }
    void TearDown() override {
        if (m_work.empty()) return;
        for (const char* name : {"debug.html", "17284678.enw", "17284678.cmd", "18000003.enw",
                                 "18000003.cmd"})
            DeleteFileA((m_work + "\\" + name).c_str());
        RemoveDirectoryA(m_work.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
        DeleteFileA(SentRecordPath().c_str());
        // The mail component double, when a test registered it.
        RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kDoubleClass).c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "ANSMTP.OBJ");
    }
    static std::string SentRecordPath() { return RunnerStateFolder() + "\\sent-articles.txt"; }
    static std::string RunLogPath() { return RunnerStateFolder() + "\\tessory.log"; }
    void Configure(const char* frequency, const char* format, const char* query = "",
                   const char* onlyNew = "0") {
        ASSERT_TRUE(test::Ok(CreateUserSettingsStore()->Write({{"Frequency", frequency},
                                                      {"Email", "reader@example.org"},
                                                      {"Format", format},
                                                      {"Query0", query},
                                                      {"OnlyNew", onlyNew}})));
    }
    std::string error_;
    std::string DebugCopy() const { return test::ReadFileOr(m_work + "\\debug.html", "<missing>"); }

    std::string m_work;
};

TEST_F(TessoryUnderWine, NoKeyEndsQuietly) {
    const Outcome outcome = RunTessory("", m_work);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(DebugCopy(), "<missing>");
}

TEST_F(TessoryUnderWine, OffEndsQuietly) {
    Configure("Off", "HTML");
    const Outcome outcome = RunTessory("", m_work);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(DebugCopy(), "<missing>");
    // Neither a request for help nor a file that is not there asks for a
    // colleague's address.
    const Outcome help = RunTessory("/?", m_work, "friend@example.org\n");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_EQ(help.out.rfind("Usage: tessory ", 0), 0u) << help.out;
    const Outcome missing = RunTessory("missing.enw", m_work, "friend@example.org\n");
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_EQ(missing.out, "");
}

TEST_F(TessoryUnderWine, EmptyDigestsInTextMode) {
    // Console and file are text streams: line feeds become CR LF.
    Configure("Weekly", "Text");
    Outcome outcome = RunTessory("", m_work);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.out, "\r\nThank you for using Lorvane!\r\n");
    EXPECT_EQ(DebugCopy(), "\r\nThank you for using Lorvane!\r\n");

    Configure("Daily", "HTML");
    outcome = RunTessory("a b", m_work);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(outcome.out, "<span> <p><br>Thank you for using Lorvane!<br></span>");
    EXPECT_EQ(DebugCopy(), "<span> <p><br>Thank you for using Lorvane!<br></span>");
}

TEST(QueryText, GoesOutInUtf8) {
    if (GetACP() != 1252) GTEST_SKIP() << "the test's text is in code page 1252";
    EXPECT_EQ(QueryTextAsUtf8("M\xfcller+1"), "M\xc3\xbcller+1");
}

TEST_F(TessoryUnderWine, SearchesThroughWinInet) {
    // scripts/test.sh serves tests/win32/standin_scenario.json here.
    const char* standIn = std::getenv("LORVANE_WINE_STANDIN_URL");
    if (!standIn) GTEST_SKIP() << "no E-utilities stand-in was started for this run";
    SetEnvironmentVariableA("LORVANE_EUTILS_URL", standIn);
    Configure("Weekly", "HTML", "neutropenia");
    DeleteFileA(RunLogPath().c_str());
    const Outcome outcome = RunTessory("", m_work);

    EXPECT_EQ(outcome.exitCode, 6u);  // not delivered
    // The run's own log says so.
    const std::string log = test::ReadFileOr(RunLogPath(), "<missing>");
    EXPECT_NE(log.find(" 1 query searched, 2 articles listed, digest not delivered: the mail component "
                       "\"ANSMTP.OBJ\" is not available: "),
              std::string::npos)
        << log;
    // Wine has no "ANSMTP.OBJ": one line says so, and the run goes on.
    const std::size_t lineEnd = outcome.out.find("\r\n");
    ASSERT_NE(lineEnd, std::string::npos);
    EXPECT_EQ(outcome.out.find("Mail not sent: the mail component \"ANSMTP.OBJ\" is not available: "),
              0u)
        << outcome.out;
    const std::string out = outcome.out.substr(lineEnd + 2);
    EXPECT_EQ(out, test::ReadFileOr(m_work + "\\debug.html", "<missing>"));
    EXPECT_EQ(out.find("<span> <p><br>Results for the PubMed query (<b>neutropenia</b>) in the past "
                       "week:<br><br>1. Smith JA, Doe B. <b> Molecular basis of a dominant form of "
                       "congenital neutropenia. </b>  J Biol Chem. 282, 9475-81 (2007)."),
              0u)
        << out;
    // The throttled record arrived after its retry, whole.
    EXPECT_NE(out.find("2. van der Berg J, O'Neill MXZ, Li H. <b> Does a title"), std::string::npos);

    // Links and script name the folder with "/" and the runner beside it.
    std::string folder = m_work;
    for (char& c : folder)
        if (c == '\\') c = '/';
    EXPECT_NE(out.find("<a href=\"file://" + folder + "/17284678.enw\">"), std::string::npos);
    // The script names the tessory that wrote it by its full path.
    const std::string script = test::ReadFileOr(m_work + "\\17284678.cmd", "<missing>");
    const std::string suffix = "/tessory.exe\" \"" + folder + "/17284678.enw\"\r\n";
    ASSERT_GT(script.size(), suffix.size() + 4);
    EXPECT_EQ(script.substr(script.size() - suffix.size()), suffix) << script;
    std::string program = script.substr(1, script.size() - suffix.size() - 1) + "/tessory.exe";
    EXPECT_EQ(program[1], ':') << program;  // a full path, with its drive
    for (char& c : program)
        if (c == '/') c = '\\';
    EXPECT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
    EXPECT_EQ(test::ReadFileOr(m_work + "\\17284678.enw", "<missing>"),
              "%A J. A. Smith\r\n%A B. Doe\r\n"
              "%T  Molecular basis of a dominant form of congenital neutropenia. \r\n"
              "%D 2007\r\n%0 Journal Article\r\n%J  J Biol Chem\r\n%V 282\r\n%P 9475-81\r\n");

    // Only new articles: a run that finds nothing keeps the day it looked
    // through, with Windows line ends; an undelivered digest records no
    // article; a recorded one is left out of the next digest.
    Configure("Weekly", "Text", "nothing", "1");
    RunTessory("", m_work);
    const std::string record = test::ReadFileOr(SentRecordPath(), "<missing>");
    const std::size_t day = record.find("\r\nsearched-through ");
    ASSERT_NE(day, std::string::npos) << record;
    Configure("Weekly", "Text", "neutropenia", "1");
    const std::string undelivered = RunTessory("", m_work).out;
    EXPECT_NE(undelivered.find("\r\n2. "), std::string::npos) << undelivered;
    EXPECT_EQ(test::ReadFileOr(SentRecordPath(), "<missing>"), record);
    std::ofstream(SentRecordPath(), std::ios::app | std::ios::binary)
        << "17284678 " << record.substr(day + 19, 10) << "\r\n";
    const std::string later = RunTessory("", m_work).out;
    EXPECT_EQ(later.find("Smith JA"), std::string::npos) << later;
    EXPECT_NE(later.find("1. van der Berg J"), std::string::npos) << later;
    SetEnvironmentVariableA("LORVANE_EUTILS_URL", nullptr);
}

// The user's own server through the Windows build's libcurl (Schannel):
// STARTTLS, AUTH with the password of the Credential Manager, and the
// server's own words when it refuses.
TEST_F(TessoryUnderWine, MailsThroughTheUsersServer) {
    const char* standIn = std::getenv("LORVANE_WINE_STANDIN_URL");
    const char* port = std::getenv("LORVANE_WINE_SMTP_PORT");
    const char* folder = std::getenv("LORVANE_WINE_SMTP_FOLDER");
    if (!standIn || !port || !folder) GTEST_SKIP() << "no mail server was started for this run";
    std::string error, password;
    ASSERT_TRUE(test::Ok(StoreSecret(Secret::MailPassword, "s3cret pass")));
    ASSERT_TRUE(test::Ok(ReadSecret(Secret::MailPassword, "", password)));
    EXPECT_EQ(password, "s3cret pass");
    Configure("Weekly", "Text", "neutropenia");
    ASSERT_TRUE(test::Ok(CreateUserSettingsStore()->Write({{"MailServer", "localhost"}, {"MailPort", port},
                                                  {"MailUser", "reader"},
                                                  {"MailCAFile", std::string(folder) + "\\cert.pem"}})));
    SetEnvironmentVariableA("LORVANE_EUTILS_URL", standIn);
    const std::string delivered = RunTessory("", m_work).out;
    ASSERT_TRUE(test::Ok(StoreSecret(Secret::MailPassword, "wrong")));
    const std::string refused = RunTessory("", m_work).out;
    SetEnvironmentVariableA("LORVANE_EUTILS_URL", nullptr);

    EXPECT_EQ(delivered.find("Message delivered!\r\n"), 0u) << delivered;
    const std::string envelope = test::ReadFileOr(std::string(folder) + "\\store\\1.json", "<missing>");
    EXPECT_NE(envelope.find("\"tls\": true, \"login\": \"reader\""), std::string::npos) << envelope;
    EXPECT_EQ(refused.find(std::string("the mail server localhost:") + port +
                           " answered: 535 5.7.8 Authentication credentials invalid; the user name or "
                           "password is wrong\r\n"),
              0u)
        << refused;
    CredDeleteA("Lorvane/mail", CRED_TYPE_GENERIC, 0);
}

// The component path: tessory drives a registered "ANSMTP.OBJ" (a test
// double) by its method numbers, with the values each kind of mail takes.
TEST_F(TessoryUnderWine, DrivesTheRegisteredMailComponent) {
    const char* standIn = std::getenv("LORVANE_WINE_STANDIN_URL");
    if (!standIn) GTEST_SKIP() << "no E-utilities stand-in was started for this run";
    const char* const kClass = kDoubleClass;
    std::string library = "Z:" MAIL_DOUBLE_PATH;
    for (char& c : library)
        if (c == '/') c = '\\';
    const std::string server = std::string("CLSID\\") + kClass + "\\InprocServer32";
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "ANSMTP.OBJ\\CLSID", REG_SZ, kClass, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, server.c_str(), REG_SZ, library.c_str(), 0), ERROR_SUCCESS);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, server.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>("Apartment"), 10);
        RegCloseKey(key);
    }
    const std::string log = m_work + "\\mail.log";
    SetEnvironmentVariableA("LORVANE_MAIL_DOUBLE_LOG", log.c_str());
    SetEnvironmentVariableA("LORVANE_EUTILS_URL", standIn);
    auto calls = [&](const std::string& arguments, const std::string& input, std::string& out) {
        DeleteFileA(log.c_str());
        out = RunTessory(arguments, m_work, input).out;
        return test::ReadFileOr(log, "<no calls>");
    };
    std::string out;
    const std::string prefix = "48\n22 \n16 reader@example.org\n";
    Configure("Weekly", "HTML", "neutropenia");
    const std::string html = calls("", "", out);
    EXPECT_EQ(out.find("Message delivered!\r\n"), 0u) << out;
    Configure("Weekly", "Text", "neutropenia");
    const std::string text = calls("", "", out);
    std::ofstream(m_work + "\\1.enw") << "%T A title\n%D 2008\n";
    const std::string colleague = calls("\"" + m_work + "\\1.enw\"", "friend@example.org\n", out);
    ASSERT_TRUE(test::Ok(CreateUserSettingsStore()->Write({{"Email", "refused@example.org"}})));
    const std::string refused = calls("", "", out);
    SetEnvironmentVariableA("LORVANE_EUTILS_URL", nullptr);
    SetEnvironmentVariableA("LORVANE_MAIL_DOUBLE_LOG", nullptr);
    DeleteFileA((m_work + "\\1.enw").c_str());
    DeleteFileA(log.c_str());

    EXPECT_EQ(html.rfind(prefix + "43 Lorvane! reader@example.org 0\n26 Lorvane! Periodic Search Results\n8 1\n10 ",
                         0),
              0u)
        << html;
    EXPECT_NE(html.find(" <span> <p><br>Results for the PubMed que\n"), std::string::npos) << html;
    EXPECT_EQ(html.substr(html.size() - 3), "49\n") << html;
    // A plain-text digest sets no format.
    EXPECT_EQ(text.rfind(prefix + "43 Lorvane! reader@example.org 0\n26 Lorvane! Periodic Search Results\n10 ", 0),
              0u)
        << text;
    EXPECT_EQ(text.find("\n8 "), std::string::npos) << text;
    EXPECT_EQ(colleague.rfind(prefix + "43 Lorvane! friend@example.org 0\n26 Lorvane! Colleague Article Alert\n8 1\n10 ",
                              0),
              0u)
        << colleague;
    // A refused delivery: the failure is asked for and printed.
    EXPECT_EQ(refused.substr(refused.size() - 6), "49\n59\n") << refused;
    EXPECT_EQ(out.find("550 the double refuses this recipient\r\n"), 0u) << out;
}

}  // namespace
}  // namespace lorvane
