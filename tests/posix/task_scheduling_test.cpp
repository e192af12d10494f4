// Registering and removing the work item over a crontab: the stand-in on
// PATH keeps the table in a scratch file; in CI one test uses the real
// crontab of Debian's cron and restores what was there.
#include <unistd.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/secret_store.h"
#include "config/task_scheduling.h"
#include "platform/posix/child_process.h"
#include "support/captured_console.h"
#include "support/isolation.h"
#include "support/process.h"
#include "support/ok.h"

namespace lorvane {
namespace {

const char kOtherLines[] = "# the user's own\nMAILTO=\"\"\n5 4 * * 1 /usr/bin/backup --all\n";

const RunSchedule kDaily0730{AlertFrequency::Daily, 3, 7 * 60 + 30};
const RunSchedule kWednesday1845{AlertFrequency::Weekly, 3, 18 * 60 + 45};

class TaskScheduling : public ::testing::Test {
protected:
    CTaskDescriptor Descriptor(const RunSchedule& schedule = kDaily0730) {
        CTaskDescriptor descriptor;
        descriptor.SetApplication("/opt/lorvane/tessory");
        descriptor.SetWorkingDirectory(m_isolation.home() + "/data/Lorvane");
        descriptor.SetSchedule(schedule);
        descriptor.m_account = LogonName();
        descriptor.m_password = "unused";
        return descriptor;
    }
    std::string JobLines(const std::string& minute, const std::string& schedule) {
        return "# Lorvane work item \"Lorvane\" runs " + schedule + "\n" + minute +
               " * * * * [ -x '/opt/lorvane/tessory' ] || exit 0; cd '" + m_isolation.home() +
               "/data/Lorvane' && exec '/opt/lorvane/tessory' >/dev/null 2>&1\n";
    }
    // What FindTask reads back of item "Lorvane".
    std::string FoundSchedule() {
        RegisteredTask found;
        return !FindTask(m_console, "Lorvane", &found).ok() ? "none"
               : found.scheduleKnown                          ? ScheduleText(found.schedule)
                                                              : "unknown";
    }

    static std::string LogonName();
    test::IsolatedEnvironment m_isolation;
    test::CapturedConsole m_console;
};

std::string TaskScheduling::LogonName() {
    ChildResult result;
    std::string error;
    RunChild("/usr/bin/id", {"-un"}, "", result, error);
    return result.out.substr(0, result.out.find('\n'));
}

TEST_F(TaskScheduling, DailyAtHalfPastSeven) {
    m_isolation.SetCrontab(kOtherLines);
    EXPECT_EQ(RegisterTask(m_console, Descriptor(), "Lorvane", false).code(), StatusCode::Ok);
    EXPECT_EQ(m_isolation.Crontab(), std::string(kOtherLines) + JobLines("30", "daily at 07:30"));
    EXPECT_EQ(FoundSchedule(), "daily at 07:30");
    // The working folder exists for the runner.
    EXPECT_EQ(access((m_isolation.home() + "/data/Lorvane").c_str(), W_OK), 0);
}

TEST_F(TaskScheduling, WeeklyAndWhatIsReadBack) {
    EXPECT_EQ(RegisterTask(m_console, Descriptor(kWednesday1845), "Lorvane", false).code(), StatusCode::Ok);
    EXPECT_EQ(m_isolation.Crontab(), JobLines("45", "weekly on Wednesday at 18:45"));
    EXPECT_EQ(FoundSchedule(), "weekly on Wednesday at 18:45");
    // Items of the version before keep their schedule in the job line.
    const std::string job = " [ -x '/usr/bin/tessory' ] || exit 0; exec '/usr/bin/tessory' >/dev/null 2>&1\n";
    const std::string oldTag = "# Lorvane work item \"Lorvane\" begin=2000-01-05 end=2100-01-05 flags=193\n";
    for (const auto& [line, found] : std::vector<std::pair<std::string, std::string>>{
             {"45 18 * * 3", "weekly on Wednesday at 18:45"}, {"5 7 * * *", "daily at 07:05"},
             {"5 7 1 * *", "unknown"}, {"5 25 * * *", "unknown"}}) {
        m_isolation.SetCrontab(oldTag + line + job);
        EXPECT_EQ(FoundSchedule(), found) << line;
    }
}

TEST_F(TaskScheduling, ReplaceOrRefuseAnExistingItem) {
    ASSERT_EQ(RegisterTask(m_console, Descriptor(), "Lorvane", false).code(), StatusCode::Ok);
    const std::string before = m_isolation.Crontab();
    const CTaskDescriptor second = Descriptor({AlertFrequency::Weekly, 1, 9 * 60 + 15});
    EXPECT_EQ(RegisterTask(m_console, second, "Lorvane", true).code(), StatusCode::Exists);
    EXPECT_EQ(m_isolation.Crontab(), before);
    EXPECT_EQ(RegisterTask(m_console, second, "Lorvane", false).code(), StatusCode::Ok);
    EXPECT_EQ(m_isolation.Crontab(), JobLines("15", "weekly on Monday at 09:15"));
}

TEST_F(TaskScheduling, ParametersAndQuotingInTheCommand) {
    CTaskDescriptor descriptor = Descriptor();
    descriptor.SetApplication("/opt/it's here/tessory");
    descriptor.SetWorkingDirectory(m_isolation.home() + "/100% data");
    descriptor.SetParameters("--once");
    ASSERT_EQ(RegisterTask(m_console, descriptor, "Lorvane", false).code(), StatusCode::Ok);
    const std::string table = m_isolation.Crontab();
    EXPECT_NE(table.find("30 * * * * [ -x '/opt/it'\\''s here/tessory' ] || exit 0; cd '" + m_isolation.home() +
                         "/100\\% data' && exec '/opt/it'\\''s here/tessory' --once >/dev/null 2>&1\n"),
              std::string::npos)
        << table;
}

TEST_F(TaskScheduling, InputsAreCheckedBeforeAnythingIsTouched) {
    m_isolation.SetCrontab(kOtherLines);
    EXPECT_EQ(RegisterTask(m_console, Descriptor(RunSchedule()), "Lorvane", false).code(), StatusCode::Failed);
    CTaskDescriptor noApplication = Descriptor();
    noApplication.SetApplication("");
    EXPECT_EQ(RegisterTask(m_console, noApplication, "Lorvane", false).code(), StatusCode::Failed);
    EXPECT_EQ(RegisterTask(m_console, Descriptor(), "", false).code(), StatusCode::Failed);
    EXPECT_EQ(RemoveTask(m_console, "").code(), StatusCode::Failed);
    EXPECT_EQ(m_isolation.Crontab(), kOtherLines);
}

TEST_F(TaskScheduling, LineBreaksNeverReachTheTable) {
    m_isolation.SetCrontab(kOtherLines);
    CTaskDescriptor descriptor = Descriptor();
    descriptor.SetWorkingDirectory(m_isolation.home() + "/data\n* * * * * touch /tmp/owned\n");
    EXPECT_EQ(RegisterTask(m_console, descriptor, "Lorvane", false).code(), StatusCode::Failed);
    EXPECT_EQ(m_isolation.Crontab(), kOtherLines);
    EXPECT_NE(m_console.out.find("cannot hold a line break"), std::string::npos) << m_console.out;
    EXPECT_EQ(m_console.out.back(), '\n');
}

TEST_F(TaskScheduling, AnotherAccountIsRefused) {
    CTaskDescriptor descriptor = Descriptor();
    descriptor.m_account = "somebody-else";
    EXPECT_EQ(RegisterTask(m_console, descriptor, "Lorvane", false).code(), StatusCode::Refused);
    EXPECT_EQ(m_console.out, "cron starts the jobs of this table as " + LogonName() + ", not as somebody-else.\n");
    EXPECT_EQ(m_isolation.Crontab(), "");
}

TEST_F(TaskScheduling, RemoveLeavesTheUsersOwnLines) {
    EXPECT_EQ(RemoveTask(m_console, "Lorvane").code(), StatusCode::NotFound);  // no crontab at all yet
    m_isolation.SetCrontab(kOtherLines);
    CTaskDescriptor descriptor = Descriptor();
    ASSERT_EQ(RegisterTask(m_console, descriptor, "Lorvane", false).code(), StatusCode::Ok);
    EXPECT_EQ(RemoveTask(m_console, "Lorvane").code(), StatusCode::Ok);
    EXPECT_EQ(m_isolation.Crontab(), kOtherLines);
    EXPECT_EQ(RemoveTask(m_console, "Lorvane").code(), StatusCode::NotFound);
}

TEST_F(TaskScheduling, TheJobLineRunsTheRunnerInItsFolder) {
    // The command after the five time fields, run by sh as cron would.
    const std::string folder = m_isolation.home() + "/data/Lorvane";
    const std::string fake = m_isolation.home() + "/bin/fake-runner";
    const std::string record = m_isolation.home() + "/ran";
    std::ofstream(fake) << "#!/bin/sh\npwd > '" << record << "'\necho \"$#\" >> '" << record
                        << "'\necho output\n";
    chmod(fake.c_str(), 0755);
    CTaskDescriptor descriptor = Descriptor();
    descriptor.SetApplication(fake);
    ASSERT_EQ(RegisterTask(m_console, descriptor, "Lorvane", false).code(), StatusCode::Ok);
    const std::string table = m_isolation.Crontab();
    const std::size_t job = table.find("\n30 * * * * ");
    ASSERT_NE(job, std::string::npos) << table;
    const std::string command = table.substr(job + 12, table.find('\n', job + 1) - job - 12);
    test::ProcessResult run = test::RunProcess("/bin/sh", {"-c", command}, "/", {});
    // The runner keeps its own log: nothing goes to cron's mail.
    EXPECT_EQ(run.out, "") << command << run.err;
    EXPECT_EQ(test::ReadFileOr(record), folder + "\n0\n");
    // With the runner gone (the package removed), the job does nothing and
    // says nothing, every day.
    std::filesystem::rename(fake, fake + ".removed");
    run = test::RunProcess("/bin/sh", {"-c", command}, "/", {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out + run.err, "");
}

TEST_F(TaskScheduling, RemovingTheUsersDataLeavesNothingOfTheirs) {
    m_isolation.SetCrontab(kOtherLines);
    CTaskDescriptor descriptor = Descriptor();
    ASSERT_EQ(RegisterTask(m_console, descriptor, "Lorvane", false).code(), StatusCode::Ok);
    const std::string home = m_isolation.home();
    std::filesystem::create_directories(home + "/state/Lorvane");
    std::ofstream(home + "/state/Lorvane/tessory.log") << "x";
    std::ofstream(home + "/config/other.ini") << "not Lorvane's";
    ASSERT_TRUE(test::Ok(StoreSecret(Secret::SignInToken, "rt")));
    const test::ProcessResult run = test::RunProcess(LORVANE_PATH, {"--remove-user-data"}, home, {});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Your Lorvane schedule, settings, Microsoft sign-in and folders were removed.\n");
    EXPECT_EQ(m_isolation.Crontab(), kOtherLines);
    for (const char* folder : {"/config/Lorvane", "/data/Lorvane", "/state/Lorvane"})
        EXPECT_FALSE(std::filesystem::exists(home + folder)) << folder;
    EXPECT_TRUE(std::filesystem::exists(home + "/config/other.ini"));
    // Its other options print and end; an unknown one is one line and status 2.
    EXPECT_EQ(test::RunProcess(LORVANE_PATH, {"--help"}, home, {}).out.rfind("Usage: Lorvane [--help", 0), 0u);
    const test::ProcessResult bogus = test::RunProcess(LORVANE_PATH, {"--bogus"}, home, {});
    EXPECT_EQ(std::to_string(bogus.exitCode) + bogus.err, "2Lorvane: unknown option --bogus (Lorvane --help lists them)\n");
}

TEST(RealCrontab, RegisterAndRemoveRestoringTheTable) {
    const char* ci = std::getenv("CI");
    if (!ci || std::string(ci) != "true" || geteuid() != 0 || access("/usr/bin/crontab", X_OK) != 0)
        GTEST_SKIP() << "only in CI, as root, with Debian's cron";
    test::CapturedConsole m_console;
    ChildResult saved;
    std::string error;
    ASSERT_TRUE(RunChild("/usr/bin/crontab", {"-l"}, "", saved, error)) << error;
    const bool hadTable = saved.exitCode == 0;

    CTaskDescriptor descriptor;
    descriptor.SetApplication("/opt/lorvane/tessory");
    descriptor.SetWorkingDirectory("/tmp/lorvane-ci-data");
    descriptor.SetSchedule(kWednesday1845);
    descriptor.m_account = "root";
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    setenv("PATH", "/usr/bin:/bin", 1);
    const Status registered = RegisterTask(m_console, descriptor, "LorvaneCiCheck", false);
    ChildResult listed;
    RunChild("/usr/bin/crontab", {"-l"}, "", listed, error);
    const Status removed = RemoveTask(m_console, "LorvaneCiCheck");
    ChildResult after;
    RunChild("/usr/bin/crontab", {"-l"}, "", after, error);
    setenv("PATH", savedPath.c_str(), 1);

    ChildResult restored;
    if (hadTable)
        RunChild("/usr/bin/crontab", {"-"}, saved.out, restored, error);
    else
        RunChild("/usr/bin/crontab", {"-r"}, "", restored, error);

    EXPECT_TRUE(test::Ok(registered));
    EXPECT_NE(listed.out.find("45 * * * * [ -x '/opt/lorvane/tessory' ] || exit 0; cd '/tmp/lorvane-ci-data' && "
                              "exec '/opt/lorvane/tessory'"),
              std::string::npos)
        << listed.out << listed.err;
    EXPECT_TRUE(test::Ok(removed));
    EXPECT_EQ(after.out.find("LorvaneCiCheck"), std::string::npos);
}

}  // namespace
}  // namespace lorvane
