// RegisterTask and RemoveTask against Wine's Task Scheduler, read back
// through the same COM objects. They change the user's scheduled tasks, so
// they run only in a scratch Wine prefix (LORVANE_SCRATCH_REGISTRY).
#include <windows.h>
#include <mstask.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "lorvane_version.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/secret_store.h"
#include "config/task_scheduling.h"
#include "platform/win32/com_support.h"
#include "config/resource.h"
#include "support/captured_console.h"
#include "support/win32_windows.h"
#include "support/ok.h"

namespace lorvane {
namespace {

const CLSID kSchedulerClass = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kSchedulerInterface = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kTaskInterface = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

struct Stored {
    bool exists = false;
    std::string application, directory;
    DWORD flags = 0;
    std::vector<TASK_TRIGGER> triggers;
};

std::string Take(LPWSTR text) {
    const std::string narrow = FromWide(text, text ? static_cast<int>(wcslen(text)) : 0);
    CoTaskMemFree(text);
    return narrow;
}

Stored ReadBack(const char* name) {
    Stored stored;
    CoInitialize(nullptr);
    ComPtr<ITaskScheduler> scheduler;
    if (FAILED(CoCreateInstance(kSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, kSchedulerInterface,
                                scheduler.out())))
        return stored;
    ComPtr<ITask> task;
    if (FAILED(scheduler->Activate(ToWide(name).c_str(), kTaskInterface,
                                   reinterpret_cast<IUnknown**>(task.address()))))
        return stored;
    stored.exists = true;
    LPWSTR text = nullptr;
    if (SUCCEEDED(task->GetApplicationName(&text))) stored.application = Take(text);
    if (SUCCEEDED(task->GetWorkingDirectory(&text))) stored.directory = Take(text);
    task->GetFlags(&stored.flags);
    WORD count = 0;
    task->GetTriggerCount(&count);
    for (WORD index = 0; index < count; ++index) {
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER record{};
        record.cbTriggerSize = sizeof record;
        if (SUCCEEDED(task->GetTrigger(index, trigger.address()))) trigger->GetTrigger(&record);
        stored.triggers.push_back(record);
    }
    return stored;
}

class TaskSchedulerUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("LORVANE_SCRATCH_REGISTRY"))
            GTEST_SKIP() << "changes the user's scheduled tasks; run in a scratch Wine prefix";
        (void)RemoveTask(m_console, "LorvaneTest");
    }
    void TearDown() override {
        if (std::getenv("LORVANE_SCRATCH_REGISTRY")) (void)RemoveTask(m_console, "LorvaneTest");
    }
    static CTaskDescriptor Descriptor(const RunSchedule& schedule) {
        CTaskDescriptor descriptor;
        descriptor.SetApplication("tessory.exe");
        descriptor.SetWorkingDirectory("c:\\Program Files\\Lorvane!");
        descriptor.SetSchedule(schedule);
        char user[256] = "";
        DWORD size = sizeof user;
        GetUserNameA(user, &size);
        descriptor.m_account = user;
        return descriptor;
    }

    test::CapturedConsole m_console;
};

const RunSchedule kDaily0730{AlertFrequency::Daily, 3, 7 * 60 + 30};

// The work item's flags, then its triggers one a line: type, interval
// and weekdays, first day, start, repetition and flags.
std::string Triggers(const Stored& stored) {
    std::string lines = "flags " + std::to_string(stored.flags) + "\n";
    for (const TASK_TRIGGER& t : stored.triggers) {
        char line[120];
        std::snprintf(line, sizeof line, "%d/%u/%u %04u-%02u-%02u %02u:%02u every %lu for %lu, flags %lu\n",
                      static_cast<int>(t.TriggerType), t.Type.Weekly.WeeksInterval, t.Type.Weekly.rgfDaysOfTheWeek,
                      t.wBeginYear, t.wBeginMonth, t.wBeginDay, t.wStartHour, t.wStartMinute, t.MinutesInterval,
                      t.MinutesDuration, t.rgFlags);
        lines += line;
    }
    return lines;
}

// The schedule's trigger repeats every hour until its next moment, and a
// second one (type 7) starts the runner at logon: a moment missed while
// the computer was off gets its chance. Read back as the dialog reads it.
TEST_F(TaskSchedulerUnderWine, DailyWorkItem) {
    ASSERT_EQ(RegisterTask(m_console, Descriptor(kDaily0730), "LorvaneTest", false).code(), StatusCode::Ok);
    const Stored stored = ReadBack("LorvaneTest");
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(stored.application, "tessory.exe");
    EXPECT_EQ(stored.directory, "c:\\Program Files\\Lorvane!");
    EXPECT_EQ(Triggers(stored), "flags 193\n1/1/0 2000-01-01 07:30 every 60 for 1440, flags 0\n"
                                "7/0/0 2000-01-01 00:00 every 0 for 0, flags 0\n");
    RegisteredTask found;
    ASSERT_TRUE(test::Ok(FindTask(m_console, "LorvaneTest", &found)));
    EXPECT_EQ(ScheduleText(found.schedule) + (found.onlyWhenSignedIn ? ", signed in" : ""), "daily at 07:30");
}

TEST_F(TaskSchedulerUnderWine, WeeklyReplacedOrRefusedAndRemoved) {
    ASSERT_EQ(RegisterTask(m_console, Descriptor(kDaily0730), "LorvaneTest", false).code(), StatusCode::Ok);
    // Without a password, running only while the account is signed in.
    CTaskDescriptor wednesday = Descriptor({AlertFrequency::Weekly, 3, 18 * 60 + 45});
    wednesday.SetOnlyWhenSignedIn(true);
    EXPECT_EQ(RegisterTask(m_console, wednesday, "LorvaneTest", true).code(), StatusCode::Exists);
    EXPECT_EQ(ReadBack("LorvaneTest").triggers.at(0).TriggerType, TASK_TIME_TRIGGER_DAILY);
    ASSERT_EQ(RegisterTask(m_console, wednesday, "LorvaneTest", false).code(), StatusCode::Ok);
    const Stored stored = ReadBack("LorvaneTest");
    // Flags 193 and the one for running only while signed in (8192); weekly
    // on Wednesday (8), from 5 January 2000, a Wednesday.
    EXPECT_EQ(Triggers(stored), "flags 8385\n2/1/8 2000-01-05 18:45 every 60 for 10080, flags 0\n"
                                "7/0/0 2000-01-01 00:00 every 0 for 0, flags 0\n");
    RegisteredTask found;
    ASSERT_TRUE(test::Ok(FindTask(m_console, "LorvaneTest", &found)));
    EXPECT_EQ(ScheduleText(found.schedule) + (found.onlyWhenSignedIn ? ", signed in" : ""),
              "weekly on Wednesday at 18:45, signed in");
    EXPECT_EQ(RemoveTask(m_console, "LorvaneTest").code(), StatusCode::Ok);
    EXPECT_FALSE(ReadBack("LorvaneTest").exists);
    EXPECT_FALSE(RemoveTask(m_console, "LorvaneTest").ok());
    EXPECT_EQ(RemoveTask(m_console, "").code(), StatusCode::Failed);
}

// Lorvane-setup.exe, run silently by scripts/test.sh before this case in
// its scratch prefix (LORVANE_WINE_INSTALLED), as a new user would have it:
// the installed files, one "Save and exit" of the installed program, the
// work item it made, and the uninstaller.
TEST(InstalledUnderWine, SaveThenUninstall) {
    if (!std::getenv("LORVANE_WINE_INSTALLED") || !std::getenv("LORVANE_SCRATCH_REGISTRY"))
        GTEST_SKIP() << "needs Lorvane-setup.exe installed in a scratch Wine prefix";
    char programs[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programs)));
    const std::string folder = std::string(programs) + "\\Lorvane!";
    for (const char* file : {"\\Lorvane.exe", "\\tessory.exe", "\\uninstall.exe", "\\User guide.html"})
        EXPECT_NE(GetFileAttributesA((folder + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
    // Its entry in "Add or remove programs", in the 64-bit view of the
    // registry, not under WOW6432Node.
    const char* const entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lorvane";
    auto value = [entry](const char* name, REGSAM view) {
        char data[512] = "<missing>";
        DWORD size = sizeof data - 1;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry, 0, KEY_READ | view, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
            RegCloseKey(key);
        }
        return std::string(data);
    };
    EXPECT_EQ(value("DisplayVersion", KEY_WOW64_64KEY), LORVANE_VERSION);
    EXPECT_EQ(value("Publisher", KEY_WOW64_64KEY), "Lorvane developers");
    EXPECT_EQ(value("HelpLink", KEY_WOW64_64KEY), folder + "\\User guide.html");
    EXPECT_EQ(value("DisplayVersion", KEY_WOW64_32KEY), "<missing>");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");

    // A first start: "Save and exit" with the defaults (weekly); at the
    // password prompt, OK with no password is explained, then the box for
    // an account without one is checked; then the two messages.
    std::string program = folder + "\\Lorvane.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    HWND dialog = test::WaitForWindow("Lorvane! Configuration Dialog");
    ASSERT_TRUE(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND prompt = test::WaitForWindow("Enter your user name and password");
    ASSERT_TRUE(prompt);
    PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(test::AnswerMessageBox().rfind("Windows needs your password", 0), 0u);
    PostMessageA(GetDlgItem(prompt, IDC_RUN_SIGNED_IN), BM_CLICK, 0, 0);
    PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(test::AnswerMessageBox(), "The system was updated successfully!!!");
    test::AnswerMessageBox();
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const Stored stored = ReadBack("Lorvane");
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(stored.application, folder + "\\tessory.exe");
    EXPECT_EQ(stored.flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON, static_cast<DWORD>(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON));
    char local[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local)));
    EXPECT_EQ(stored.directory, std::string(local) + "\\Lorvane");

    // The uninstaller takes the programs and the work item, and leaves the
    // user's settings and folder, unless asked (/REMOVEDATA) to take them.
    auto runAndWait = [&](std::string command) {
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    };
    auto uninstall = [&](const char* options) {
        runAndWait("\"" + folder + "\\uninstall.exe\" " + options);
        // It finishes from a copy of itself in the temporary folder.
        for (int attempt = 0; attempt < 300 && GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES;
             ++attempt)
            Sleep(100);
        EXPECT_EQ(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES);
    };
    const std::string data = std::string(local) + "\\Lorvane";
    HKEY settings = nullptr;
    uninstall("/S");
    EXPECT_FALSE(ReadBack("Lorvane").exists);
    EXPECT_NE(GetFileAttributesA(data.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lorvane", 0, KEY_READ, &settings), ERROR_SUCCESS);
    RegCloseKey(settings);

    const char* setup = std::getenv("LORVANE_WINE_SETUP");
    if (!setup) return;
    runAndWait("\"" + std::string(setup) + "\" /S");
    std::string secret, error;
    for (const Secret kept : kStoredSecrets) ASSERT_TRUE(test::Ok(StoreSecret(kept, "x")));
    uninstall("/S /REMOVEDATA");
    for (const Secret kept : kStoredSecrets) EXPECT_FALSE(ReadSecret(kept, "", secret).ok()) << SecretName(kept);
    EXPECT_EQ(GetFileAttributesA(data.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lorvane", 0, KEY_READ, &settings), ERROR_SUCCESS);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
}

}  // namespace
}  // namespace lorvane
