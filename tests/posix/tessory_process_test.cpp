// tessory as a process, the way the scheduler starts it: exit codes, what
// it prints, and the debug copy it leaves in its working directory.
#include <sys/stat.h>

#include "posix/tessory_fixture.h"
#include "common/run_log.h"
#include "runner/article_entries.h"
#include "support/captured_console.h"

namespace lorvane {
namespace {

TEST_F(TessoryProcess, NoSettingsEndsQuietly) {
    const test::ProcessResult result = Run({});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(DebugCopy(), "<missing>");
    // An article to forward before Lorvane is set up: said, not silent.
    const test::ProcessResult forward = Run({"12345.enw"});
    EXPECT_EQ(forward.exitCode, 2);
    EXPECT_EQ(forward.err.rfind("tessory: cannot forward 12345.enw: Lorvane is not set up yet (no settings in ", 0), 0u);
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
    std::ofstream(m_work + "/12345.enw") << "%T A title\n";
    const test::ProcessResult result = Run({m_work + "/12345.enw"});
    EXPECT_EQ(result.exitCode, 2);  // no address typed
    EXPECT_EQ(result.out, "Please enter your colleague's e-mail address:\nNo address was typed; nothing was sent.\n");
    // An option it does not know is no citation file, nor the start of a run.
    for (const auto& args : {std::vector<std::string>{"--bogus"}, {"-h"}, {"a.enw", "-x"}}) {
        const test::ProcessResult bad = Run(args);
        EXPECT_EQ(bad.exitCode, 2);
        EXPECT_EQ(bad.out + bad.err, "tessory: unknown option " + args.back() + "; see tessory --help\n");
    }
    EXPECT_EQ(DebugCopy() + RunLog(), "<missing><missing>");
}

TEST_F(TessoryProcess, UnreadableSettingsAreReportedAndNothingRuns) {
    std::filesystem::create_directories(m_home + "/config/Lorvane/Lorvane.ini");
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Lorvane.ini"), std::string::npos) << result.err;
    EXPECT_EQ(DebugCopy(), "<missing>");
    EXPECT_NE(RunLog().find(" nothing searched: cannot read the settings in "), std::string::npos) << RunLog();
}

TEST_F(TessoryProcess, UnwritableDebugCopyDoesNotStopTheRun) {
    Configure("Weekly", "Text");
    std::filesystem::create_directories(m_work + "/debug.html");  // cannot be opened as a file
    const test::ProcessResult result = Run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kTextEmptyDigest);
    EXPECT_NE(result.err.find("debug.html"), std::string::npos) << result.err;
}

TEST_F(TessoryProcess, AScheduledRunsLogKeepsItsNewestMegabyte) {
    Configure("Weekly", "Text");
    const std::string log = m_home + "/state/Lorvane/tessory.log";
    std::filesystem::create_directories(m_home + "/state/Lorvane");
    {
        std::ofstream old(log);
        for (int run = 0; run < 40000; ++run) old << "2026-11-01T07:30:00 old run " << run << "\n  why\n";  // 1.5 MB
        old << "a line cut off";
    }
    const test::ProcessResult run = Run();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kTextEmptyDigest);  // the digest goes to the output, not the log
    const std::string kept = test::ReadFileOr(log);
    EXPECT_LE(kept.size(), 1024u * 1024u);
    EXPECT_EQ(kept.rfind("2026-11-01T07:30:00 old run ", 0), 0u);  // the oldest entries went whole
    // The run's line starts a line of its own, with the local date and time.
    const std::size_t cut = kept.find("a line cut off\n");
    ASSERT_NE(cut, std::string::npos);
    const std::string entry = kept.substr(cut + 15);
    EXPECT_EQ(entry.size(), 20u + std::string("no queries to search, no mail sent\n").size()) << entry;
    EXPECT_EQ(LastRunStatus(kept), "Last run: " + entry.substr(0, 10) + " " + entry.substr(11, 5) +
                                       ": no queries to search, no mail sent");
    // The dialog's line keeps the start and the end (what to do), whole characters.
    EXPECT_EQ(ElideMiddle("Last run: x; then check \xC3\xA9\xC3\xA9", 10), "La ... \xC3\xA9");
    // A damaged log has no last run; a failure line cannot pass for a run's line.
    EXPECT_EQ(LastRunStatus("\x01\xFF\n2026-12-0 x\n" + RunLogEntry("", "", {"\n2026-12-08T07:30:02 forged"})),
              "No scheduled run yet");
    // A value with line ends, C1 controls, direction marks or stray bytes
    // is shown escaped; a failure of any length is cut, and says so.
    EXPECT_EQ(RunLogEntry("T", "sent to a@b\r\nx", {"q\x1B\xC2\x9B\xE2\x80\xAE" "b\xFC \xC3\xA9"}),
              "T sent to a@b\\r\\nx\n  q\\x1B\\u009B\\u202Eb\\xFC \xC3\xA9\n");
    const std::string huge = RunLogEntry("2026-12-08T07:30:02", "s", {std::string(1500000, '\x1B')});
    EXPECT_EQ(huge.substr(1990), " [... cut: 6000002 bytes in all]\n");
}

TEST_F(TessoryProcess, CommandScriptsTakeHostileFoldersLiterally) {
    const std::string folder = m_work + "/a $(touch pwned) `touch pwned2` \"q\" %x #y \\z";
    std::filesystem::create_directories(folder);
    ArticleRecord record;
    record.pmid = 7;
    test::CapturedConsole console;
    WriteCitationFiles(record, folder, "/bin/echo", console);
    EXPECT_EQ(console.err, "");
    struct stat info {};
    ASSERT_EQ(stat((folder + "/7.cmd").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    // sh runs the script as a file manager would; nothing in the name runs.
    const test::ProcessResult run = test::RunProcess("/bin/sh", {folder + "/7.cmd"}, m_work, {});
    EXPECT_EQ(run.out, folder + "/7.enw\n") << run.err;
    EXPECT_FALSE(std::filesystem::exists(m_work + "/pwned"));
    EXPECT_FALSE(std::filesystem::exists(m_work + "/pwned2"));

    // In the digest's links the name cannot end the attribute or start a
    // fragment.
    std::string digest;
    AppendArticleEntry(1, record, false, folder, digest);
    EXPECT_NE(digest.find("<a href=\"file://" + m_work +
                          "/a %24(touch pwned) %60touch pwned2%60 %22q%22 %25x %23y %5Cz/7.enw\">"),
              std::string::npos)
        << digest;

    // A scheduled run in that folder: its name, backslash included, is
    // the folder's own (only Windows writes "\" as a separator).
    test::StandIn standIn(R"({"esearch": {"q": {"ids": [17284678]}},
                              "efetch": {"17284678": {"file": "medline_17284678.txt"}}})");
    Configure("Weekly", "HTML", {"q"});
    m_work = folder;
    Run({}, standIn.url());
    EXPECT_NE(DebugCopy().find("%5Cz/17284678.enw\">Export citation"), std::string::npos) << DebugCopy();
    EXPECT_NE(test::ReadFileOr(folder + "/17284678.enw"), "<missing>");
}

}  // namespace
}  // namespace lorvane
