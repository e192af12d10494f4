// tessory as a process, the way the scheduler starts it: exit codes, what
// it prints, and the debug copy it leaves in its working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/alert_settings.h"
#include "platform/posix/settings_file.h"
#include "support/process.h"

namespace lorvane {
namespace {

const char kHtmlEmptyDigest[] = "<span> <p><br>Thank you for using Lorvane!<br></span>";
const char kTextEmptyDigest[] = "\nThank you for using Lorvane!\n";

class TessoryProcess : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = test::MakeScratchDirectory();
        ASSERT_FALSE(m_home.empty());
        m_work = m_home + "/work";
        std::filesystem::create_directories(m_work);
    }
    void TearDown() override { std::filesystem::remove_all(m_home); }

    // Stores a complete set of settings, as the configuration program does.
    void Configure(const char* frequency, const char* format,
                   const std::vector<std::string>& queries = {}) {
        std::vector<SettingsValue> values;
        for (int slot = 0; slot < kQuerySlotCount; ++slot)
            values.push_back({QueryValueName(slot),
                              slot < static_cast<int>(queries.size()) ? queries[slot] : ""});
        values.push_back({"Frequency", frequency});
        values.push_back({"Email", "reader@example.org"});
        values.push_back({"Format", format});
        SettingsFile file(m_home + "/config/Lorvane/Lorvane.ini", "Lorvane");
        std::string error;
        ASSERT_TRUE(file.Write(values, error)) << error;
    }

    test::ProcessResult Run(const std::vector<std::string>& args = {}) {
        return test::RunProcess(TESSORY_PATH, args, m_work,
                                {{"HOME", m_home}, {"XDG_CONFIG_HOME", m_home + "/config"}});
    }
    std::string DebugCopy() const { return test::ReadFileOr(m_work + "/debug.html"); }

    std::string m_home;
    std::string m_work;
};

TEST_F(TessoryProcess, NoSettingsEndsQuietly) {
    for (const auto& args : {std::vector<std::string>{}, {"12345.enw"}}) {
        const test::ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(DebugCopy(), "<missing>");
    }
}

TEST_F(TessoryProcess, AlertsOffEndsQuietly) {
    Configure("Off", "HTML", {"cancer"});
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(DebugCopy(), "<missing>");
}

TEST_F(TessoryProcess, EmptyHtmlDigest) {
    Configure("Weekly", "HTML");
    std::ofstream(m_work + "/debug.html") << std::string(10000, 'x');  // an older, longer copy
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kHtmlEmptyDigest);
    EXPECT_EQ(DebugCopy(), kHtmlEmptyDigest);
}

TEST_F(TessoryProcess, EmptyTextDigest) {
    Configure("Daily", "Text");
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kTextEmptyDigest);
    EXPECT_EQ(DebugCopy(), kTextEmptyDigest);
}

TEST_F(TessoryProcess, TwoOrMoreArgumentsAreAScheduledRun) {
    Configure("Daily", "HTML");
    for (const auto& args : {std::vector<std::string>{"a.enw", "b.enw"}, {"x", "y", "z"}}) {
        std::filesystem::remove(m_work + "/debug.html");
        const test::ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, kHtmlEmptyDigest);
        EXPECT_EQ(DebugCopy(), kHtmlEmptyDigest);
    }
}

TEST_F(TessoryProcess, OneArgumentIsNotAScheduledRun) {
    Configure("Off", "HTML");
    const test::ProcessResult result = Run({m_work + "/12345.enw"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(DebugCopy(), "<missing>");
}

TEST_F(TessoryProcess, UnreadableSettingsAreReportedAndNothingRuns) {
    std::filesystem::create_directories(m_home + "/config/Lorvane/Lorvane.ini");
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Lorvane.ini"), std::string::npos) << result.err;
    EXPECT_EQ(DebugCopy(), "<missing>");
}

TEST_F(TessoryProcess, UnwritableDebugCopyDoesNotStopTheRun) {
    Configure("Weekly", "Text");
    std::filesystem::create_directories(m_work + "/debug.html");  // cannot be opened as a file
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kTextEmptyDigest);
    EXPECT_NE(result.err.find("debug.html"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace lorvane
