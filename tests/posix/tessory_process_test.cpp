// tessory as a process, the way the scheduler starts it: exit codes, what
// it prints, and the debug copy it leaves in its working directory.
#include "posix/tessory_fixture.h"

namespace lorvane {
namespace {

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
    // Alerts on: a scheduled run would search and write the debug copy.
    Configure("Weekly", "HTML", {"neutropenia"});
    const test::ProcessResult result = Run({m_work + "/12345.enw"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Please enter your colleague's e-mail address:\n");
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
