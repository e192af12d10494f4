// tessory against a misbehaving E-utilities server, one way of misbehaving
// at a time: what it prints, the digest, the mail and the files it leaves.
// Each case's wall time is printed for the record (not asserted).
#include <chrono>
#include <cstdio>

#include "common/text.h"
#include "posix/tessory_fixture.h"

namespace lorvane {
namespace {

struct FaultCase {
    const char* name;
    const char* fetchFailure;  // the failure mode of the record's own request
    const char* firstLine;     // what standard output starts with ("" for the mail line)
    bool listed;               // whether the article has an entry
    bool whole;                // whether the run says nothing is missing
};

const char kNote[] = "Not everything could be looked at in this run: 1 article could not be fetched "
                     "whole (q).";

class FaultMatrix : public TessoryProcess {
protected:
    void Check(const FaultCase& c) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_work);
        std::filesystem::remove_all(m_home + "/state");  // no notice of an earlier case today
        std::filesystem::create_directories(m_work);
        test::StandIn standIn(std::string(R"({"esearch": {"q": {"ids": [17284678]}},
            "efetch": {"17284678": {"file": "medline_17284678.txt", "fail": ")") +
                                  c.fetchFailure + R"("}}})",
                              30);
        Configure("Weekly", "Text", {"q"});
        const std::size_t mailsBefore = m_sink->Messages().size();
        const auto start = std::chrono::steady_clock::now();
        const test::ProcessResult result = Run({}, standIn.url());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("fault %-16s %6.2f s\n", c.name, seconds);

        // Done, done with some articles missing, or nothing fetched at all.
        EXPECT_EQ(result.exitCode, c.listed ? (c.whole ? 0 : 4) : 5);
        EXPECT_EQ(result.out.rfind(c.firstLine, 0), 0u) << result.out.substr(0, 300);
        const std::string digest = DebugCopy();
        EXPECT_EQ(CleanText(digest), digest);  // UTF-8 without controls, whatever the record held
        EXPECT_EQ(digest.find("1. ") != std::string::npos, c.listed) << digest.substr(0, 300);
        EXPECT_EQ(digest.find(kNote) == std::string::npos, c.whole) << digest;
        // The digest when an article is listed, a notice of the failure otherwise.
        const std::vector<test::ReceivedMail> mails = m_sink->Messages();
        ASSERT_EQ(mails.size() - mailsBefore, 1u);
        EXPECT_EQ(mails.back().headers.at("Content-Type").find("windows-1252"), std::string::npos);
        EXPECT_EQ(mails.back().headers.at("Subject"), c.listed ? "Lorvane! Periodic Search Results"
                                                               : "Lorvane! Your alert could not look for new articles");
        EXPECT_NE(result.out.find(digest), std::string::npos);
        // Nothing half-written is left beside the digest.
        for (const auto& entry : std::filesystem::directory_iterator(m_work))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
};

TEST_F(FaultMatrix, EveryWayTheServiceCanFail) {
    const char* const problem = "connection problem\n";
    // An answer without a record gives no entry of blank fields.
    const char* const kNoRecord = "No article could be fetched; the digest is not mailed.\n";
    const FaultCase cases[] = {
        {"none", "", "Message delivered!\n", true, true},
        {"429 once", "429-once", "Message delivered!\n", true, true},
        {"429 always", "429-always", kNoRecord, false, false},
        {"500", "500", kNoRecord, false, false},
        {"503, late", "503-late", kNoRecord, false, false},
        {"cut body", "drop-half", problem, true, false},
        {"closed", "close", problem, false, false},
        {"never answers", "never", problem, false, false},
        {"trickles", "trickle", problem, true, false},
        {"gzip bomb", "gzip-bomb", problem, false, false},
        {"to file://", "redirect-file", problem, false, false},
        {"redirect loop", "redirect-loop", problem, false, false},
        {"garbage", "garbage", kNoRecord, false, false},
        {"NUL byte", "nul", "Message delivered!\n", true, true},
        {"not UTF-8", "latin1", "Message delivered!\n", true, true},
    };
    for (const FaultCase& c : cases) Check(c);
}

TEST_F(FaultMatrix, NoServerAtAll) {
    Configure("Weekly", "Text", {"q"});
    const test::ProcessResult result = Run({}, test::ClosedPortUrl());
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_EQ(result.out, "not connected for Lorvane! update\nMessage delivered!\n\nNot everything could "
                          "be looked at in this run: 1 of 1 query could not be searched (q).\n" +
                              std::string(kTextEmptyDigest));
    EXPECT_EQ(m_sink->Messages().size(), 1u);  // the notice
}

}  // namespace
}  // namespace lorvane
