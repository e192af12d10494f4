// Scheduled runs of tessory against the local E-utilities stand-in: the
// requests it sends, the digest, the files beside it, and every way the
// service can fail.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <thread>

#include "posix/tessory_fixture.h"
#include "common/text.h"
#include "platform/posix/settings_file.h"
#include "runner/run_schedule.h"
#include "runner/search_window.h"
#include "runner/sent_record.h"
#include "support/ok.h"

namespace lorvane {
namespace {

const char kAbstractLink[] =
    "http://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=pubmed&dopt=Abstract&list_uids=";

// Every request says who asks.
const char kWho[] = "&tool=lorvane&email=reader%40example.org";

std::string SearchPath(const std::string& term, const std::string& minDate,
                       const std::string& maxDate) {
    return "/entrez/eutils/esearch.fcgi?db=pubmed&term=" + term +
           "&fulltext[filter]&retmax=50&mindate=" + minDate + "&maxdate=" + maxDate + kWho;
}

// The search of only new articles, from `first` to `last` day.
std::string NewArticlesPath(const std::string& term, int first, int last, int retmax = 50) {
    const std::string range = SearchDateText(first, true) + ":" + SearchDateText(last, true);
    return "/entrez/eutils/esearch.fcgi?db=pubmed&term=(" + term + ")+AND+(" + range + "[edat]+OR+" + range +
           "[crdt])&fulltext[filter]&retmax=" + std::to_string(retmax) + kWho;
}

std::string FetchPath(const std::string& pmid) {
    return "/entrez/eutils/efetch.fcgi?db=pubmed&id=" + pmid + "&rettype=medline&retmode=text" + kWho;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

using SearchRun = TessoryProcess;

TEST_F(SearchRun, HtmlDigestFilesAndRequests) {
    test::StandIn standIn(R"({
        "esearch": {
            "neutropenia+therapy": {"ids": [17284678, 18000003, 18000005]},
            "\"heart+attack\"[tiab]+%231": {"ids": [18000004]}
        },
        "efetch": {
            "17284678": {"file": "asn1_html_17284678.html"},
            "18000003": {"file": "asn1_plain_18000003.txt"},
            "18000005": {"file": "medline_18000005.txt"},
            "18000004": {"file": "medline_18000004.txt"}
        }})");
    Configure("Weekly", "HTML", {"neutropenia_therapy", "nothing_found", "", "\"heart_attack\"[tiab]_#1"});
    const std::string minBefore = FormatMinDate(AlertFrequency::Weekly), maxBefore = FormatMaxDate();
    const test::ProcessResult result = Run({}, standIn.url());
    const std::string minDate = FormatMinDate(AlertFrequency::Weekly), maxDate = FormatMaxDate();

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ("Message delivered!\n" + DebugCopy(), result.out);
    const std::string digest = DebugCopy();
    EXPECT_EQ(digest.find("<span> <p><br>Results for the PubMed query (<b>neutropenia therapy</b>) in "
                          "the past week:<br><br>1. Smith JA, Doe B. <b> Molecular basis of a dominant "
                          "form of congenital neutropenia. </b>  J Biol Chem. 282, 9475-81 (2007). "),
              0u)
        << digest;
    const std::size_t second = digest.find("<br><br><br>Results for the PubMed query (<b>\"heart attack\"[tiab] "
                                           "#1</b>) in the past week:<br><br>1. Kowalski P. <b> A "
                                           "tournament of names");
    EXPECT_NE(second, std::string::npos) << digest;
    EXPECT_NE(digest.find("2. van der Berg J, O'Neill MXZ, Li H. <b> Does a title"), std::string::npos);
    EXPECT_NE(digest.find("3. Brower RG. <b> Low tidal volume ventilation and the pages of evidence. "
                          "</b>  N Engl J Med. 342, 1301-8 (2000). "),
              std::string::npos);
    EXPECT_EQ(Count(digest, "Results for the PubMed query"), 2u);
    const std::string ending = "<br><br><br>Thank you for using Lorvane!<br></span>";
    ASSERT_GT(digest.size(), ending.size());
    EXPECT_EQ(digest.substr(digest.size() - ending.size()), ending);

    const std::string link = std::string("<a href=\"") + kAbstractLink + "17284678\">17284678</a> | "
                             "<a href=\"file://" + m_work + "/17284678.enw\">Export citation </a> |  "
                             "<a href=\"file://" + m_work + "/17284678.cmd\">Send an e-mail about "
                             "this article to a colleague</a><br><br>";
    EXPECT_NE(digest.find(link), std::string::npos) << digest;

    EXPECT_EQ(test::ReadFileOr(m_work + "/17284678.enw"),
              "%A J. A. Smith\n%A B. Doe\n"
              "%T  Molecular basis of a dominant form of congenital neutropenia. \n"
              "%D 2007\n%0 Journal Article\n%J  J Biol Chem\n%V 282\n%P 9475-81\n");
    EXPECT_EQ(test::ReadFileOr(m_work + "/17284678.cmd"),
              "\"" + std::filesystem::canonical(TESSORY_PATH).string() + "\" \"" + m_work +
                  "/17284678.enw\"\n");
    // The digest's link opens the script itself: it must be runnable.
    EXPECT_EQ(access((m_work + "/17284678.cmd").c_str(), X_OK), 0);
    for (const char* pmid : {"18000003", "18000005", "18000004"}) {
        EXPECT_NE(test::ReadFileOr(std::string(m_work) + "/" + pmid + ".enw"), "<missing>");
        EXPECT_NE(test::ReadFileOr(std::string(m_work) + "/" + pmid + ".cmd"), "<missing>");
    }

    // One mail, to the user from the user, whose decoded body is the digest.
    const std::vector<test::ReceivedMail> mails = m_sink->Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].envelope, "{\"from\": \"reader@example.org\", \"to\": [\"reader@example.org\"]}");
    EXPECT_EQ(mails[0].headers.at("Subject"), "Lorvane! Periodic Search Results");
    EXPECT_EQ(mails[0].headers.at("To"), "Lorvane! <reader@example.org>");
    EXPECT_EQ(mails[0].headers.at("From"), "reader@example.org");
    EXPECT_EQ(mails[0].headers.at("Alternatives"), "text/plain text/html");
    EXPECT_EQ(mails[0].headers.at("Charset"), "us-ascii");
    EXPECT_EQ(mails[0].body, digest);
    EXPECT_EQ(mails[0].plain.find(" \n\nResults for the PubMed query (neutropenia therapy) in the past "
                                  "week:\n\n1. Smith JA, Doe B.  Molecular basis of a dominant form"),
              0u)
        << mails[0].plain;
    EXPECT_NE(mails[0].plain.find(" PubMed: 17284678 <" + std::string(kAbstractLink) +
                                  "17284678> | Export citation  <file://" + m_work +
                                  "/17284678.enw> |  Send an e-mail about this article to a colleague "
                                  "<file://" + m_work + "/17284678.cmd>\n\n2. van der Berg J, O'Neill"),
              std::string::npos)
        << mails[0].plain;

    if (minBefore == minDate && maxBefore == maxDate) {  // not across midnight
        // Every query first, then one request for all four records; the
        // two that are not in the MEDLINE form come alone.
        EXPECT_EQ(standIn.Requests(),
                  (std::vector<std::string>{
                      SearchPath("neutropenia+therapy", minDate, maxDate),
                      SearchPath("nothing+found", minDate, maxDate),
                      SearchPath("\"heart+attack\"[tiab]+%231", minDate, maxDate),
                      FetchPath("17284678,18000003,18000005,18000004"), FetchPath("17284678"),
                      FetchPath("18000003")}));
    }
}

// What one run left: its report, digest, mail, requests and files.
struct RunOutcome {
    std::string out, digest, mail, files;
    std::vector<std::string> requests;
};

TEST_F(SearchRun, BatchesGiveWhatSingleRequestsGive) {
    const std::vector<std::string> pmids = {"17284678", "18000001", "18000003",
                                            "18000004", "18000005", "18000006"};
    Configure("Weekly", "HTML", {"a", "b", "c"});
    auto run = [&](const std::string& batch) {
        std::string efetch;
        for (const std::string& pmid : pmids)
            efetch += (efetch.empty() ? "" : ", ") + ("\"" + pmid + "\": {\"file\": \"medline_" + pmid + ".txt\"}");
        test::StandIn standIn(R"({"esearch": {"a": {"ids": [17284678, 18000001, 18000003]},
                                              "b": {"ids": [18000004, 17284678, 18000005]},
                                              "c": {"ids": [18000006]}},
                                  "efetch": {)" + efetch + "}" + batch + "}");
        RunOutcome outcome;
        outcome.out = Run({}, standIn.url()).out;
        outcome.digest = DebugCopy();
        const std::vector<test::ReceivedMail> mails = m_sink->Messages();
        outcome.mail = mails.empty() ? "<none>" : mails.back().body;
        for (const std::string& pmid : pmids)
            outcome.files += test::ReadFileOr(m_work + "/" + pmid + ".enw") +
                             test::ReadFileOr(m_work + "/" + pmid + ".cmd");
        outcome.requests = standIn.Requests();
        return outcome;
    };
    // The batches answer nothing: every record is asked for alone, once
    // although 17284678 is listed twice.
    const RunOutcome single = run(R"(, "batch_fail": "empty")");
    ASSERT_EQ(single.requests.size(), 3u + 1u + 6u);
    EXPECT_EQ(Count(single.digest, "17284678.enw\">Export"), 2u);

    // One request for all six records, which come back in reverse order.
    const RunOutcome batched = run(R"(, "batch_order": "reverse")");
    ASSERT_EQ(batched.requests.size(), 3u + 1u);
    EXPECT_EQ(batched.requests[3], FetchPath("17284678,18000001,18000003,18000004,18000005,18000006"));
    EXPECT_EQ(batched.out, single.out);
    EXPECT_EQ(batched.digest, single.digest);
    EXPECT_EQ(batched.mail, single.mail);
    EXPECT_EQ(batched.files, single.files);

    // A batch answer cut half-way: the records that arrived whole are
    // kept, the others are asked for alone; the digest is the same.
    const RunOutcome cut = run(R"(, "batch_fail": "drop-half")");
    EXPECT_EQ(cut.digest, single.digest);
    EXPECT_EQ(cut.files, single.files);
    EXPECT_EQ(cut.out, "connection problem\n" + single.out);
    EXPECT_GT(cut.requests.size(), 4u);
    EXPECT_LT(cut.requests.size(), single.requests.size());

    // A record without its PMID line is no one's: that article is asked
    // for alone, and no other takes its fields.
    const RunOutcome unnamed = run(R"(, "batch_fail": "no-pmid")");
    EXPECT_EQ(unnamed.requests.size(), 3u + 1u + 1u);
    EXPECT_EQ(unnamed.digest, single.digest);
    EXPECT_EQ(unnamed.files, single.files);

    // An API key goes with every request and nowhere else.
    SettingsFile file(m_home + "/config/Lorvane/Lorvane.ini", "Lorvane");
    ASSERT_TRUE(test::Ok(file.Write({{"ApiKey", "k3y0f4u53r"}})));
    const RunOutcome keyed = run("");
    ASSERT_EQ(keyed.requests.size(), 4u);
    for (const std::string& request : keyed.requests)
        EXPECT_EQ(request.substr(request.size() - 19), "&api_key=k3y0f4u53r") << request;
    EXPECT_EQ(keyed.digest, single.digest);
    for (const std::string* text : {&keyed.out, &keyed.mail, &keyed.files})
        EXPECT_EQ(text->find("k3y0f4u53r"), std::string::npos);
}

TEST_F(SearchRun, DigestOptionsAttachCitationsForwardAndAbstracts) {
    test::StandIn standIn(R"({"esearch": {"a": {"ids": [17284678, 18000004]}, "b": {"ids": [18000003, 17284678]}},
        "efetch": {"17284678": {"file": "medline_17284678.txt"}, "18000003": {"file": "medline_18000003.txt"},
                   "18000004": {"file": "medline_18000004.txt"}}})");
    Configure("Weekly", "HTML", {"a", "b"});
    const std::string abstract =
        "We report the results of a study. In this year the measured volume of pages grew, as expected.";
    // Without the settings: the digest as ever, in a mail without parts of its own.
    Run({}, standIn.url());
    const std::string plainDigest = DebugCopy();
    for (const char* absent : {"Forward", abstract.c_str(), "doi.org"})
        EXPECT_EQ(plainDigest.find(absent), std::string::npos) << absent;
    EXPECT_EQ(m_sink->Messages().back().raw.find("multipart/mixed"), std::string::npos);

    Store({{"AttachCitations", "1"}, {"ForwardLinks", "1"}, {"Abstracts", "1"}});
    EXPECT_EQ(Run({}, standIn.url()).exitCode, 0);
    test::ReceivedMail mail = m_sink->Messages().back();
    int today = 0;
    ASSERT_TRUE(LocalDayNumber(SystemClock, today));
    const std::string name = "lorvane-" + ReplaceChar(SearchDateText(today, true), '/', '-') + ".ris";
    EXPECT_EQ(mail.headers["Attachments"], name + " application/x-research-info-systems");
    // Every article once, in the digest's order, with its fields; names in UTF-8.
    const std::string ris = test::ReadFileOr(mail.stored + "." + name);
    EXPECT_EQ(Count(ris, "TY  - JOUR\r\n"), 3u);
    EXPECT_LT(ris.find("AN  - 17284678"), ris.find("AN  - 18000004"));
    EXPECT_LT(ris.find("AN  - 18000004"), ris.find("AN  - 18000003"));
    for (const char* field : {"AU  - Smith, John A\r\nAU  - Doe, Barbara\r\nTI  - Molecular basis of a dominant "
                              "form of congenital neutropenia.\r\nJO  - J Biol Chem\r\nPY  - 2007\r\nVL  - 282\r\n"
                              "IS  - 13\r\nSP  - 9475\r\nEP  - 9481\r\nAN  - 17284678\r\nDO  - 10.1074/jbc.M607373200\r\n"
                              "UR  - https://pubmed.ncbi.nlm.nih.gov/17284678/\r\nAB  - We report",
                              "AU  - Kowalski, Pawe\xC5\x82 \xC5\x81ukasz\r\n", "SP  - 512\r\nEP  - 517\r\n"})
        EXPECT_NE(ris.find(field), std::string::npos) << field << "\n" << ris;
    // Each entry's Forward link: a message about the article, decoded.
    EXPECT_EQ(Count(mail.body, "\">Forward</a>"), 4u);
    const std::size_t link = mail.body.find("mailto:?subject=");
    ASSERT_NE(link, std::string::npos);
    const std::string encoded = ReplaceAll(mail.body.substr(link, mail.body.find('"', link) - link), "&amp;", "&");
    EXPECT_LE(encoded.size(), 2000u);
    std::string text;
    for (std::size_t i = 0; i < encoded.size(); i += encoded[i] == '%' ? 3 : 1)
        text += encoded[i] == '%' ? static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16)) : encoded[i];
    EXPECT_EQ(text, "mailto:?subject=Molecular basis of a dominant form of congenital neutropenia.&body=Smith JA, "
                    "Doe B.\r\nMolecular basis of a dominant form of congenital neutropenia.\r\nJ Biol Chem. 282(13), "
                    "9475-81 (2007).\r\nhttps://pubmed.ncbi.nlm.nih.gov/17284678/\r\n");
    // Abstracts and DOIs, in HTML and in text; the text mail has its file too.
    EXPECT_NE(mail.body.find(abstract + "<br>DOI: <a href=\"https://doi.org/10.1074/jbc.M607373200\">"),
              std::string::npos) << mail.body;
    Store({{"Format", "Text"}});
    Run({}, standIn.url());
    mail = m_sink->Messages().back();
    EXPECT_NE(mail.body.find("PubMed: " + std::string(kAbstractLink) + "17284678\n\n" + abstract +
                             "\nDOI: https://doi.org/10.1074/jbc.M607373200\n\n"),
              std::string::npos) << mail.body;
    EXPECT_EQ(mail.body.find("Forward"), std::string::npos);
    EXPECT_EQ(test::ReadFileOr(mail.stored + "." + name), ris);
}

TEST_F(SearchRun, GoodFilesSurviveBadAnswersAndFailedWrites) {
    Configure("Weekly", "HTML", {"q"});
    const std::string scenario = R"({"esearch": {"q": {"ids": [17284678, 18000001]}},
                                     "efetch": {"17284678": {"file": "medline_17284678.txt"FAIL},
                                                "18000001": {"file": "medline_18000001.txt"}}})";
    auto withFailure = [&](const std::string& fail) {
        std::string text = scenario;
        return text.replace(text.find("FAIL"), 4, fail);
    };
    {
        test::StandIn good(withFailure(""));
        Run({}, good.url());
    }
    const std::string enw = test::ReadFileOr(m_work + "/17284678.enw");
    const std::string cmd = test::ReadFileOr(m_work + "/17284678.cmd");
    ASSERT_NE(enw.find("%A J. A. Smith"), std::string::npos);
    for (const char* fail : {", \"fail\": \"500\"", ", \"fail\": \"drop-half\""}) {
        test::StandIn bad(withFailure(fail));
        const test::ProcessResult result = Run({}, bad.url());
        EXPECT_NE(result.out.find("1. "), std::string::npos);  // the other entry is still listed
        EXPECT_EQ(test::ReadFileOr(m_work + "/17284678.enw"), enw) << fail;
        EXPECT_EQ(test::ReadFileOr(m_work + "/17284678.cmd"), cmd) << fail;
    }

    // A file that cannot be written is said on standard error and leaves
    // nothing behind; the article's other files are still written.
    std::filesystem::remove(m_work + "/18000001.enw");
    std::filesystem::create_directories(m_work + "/18000001.enw/blocked");
    std::filesystem::remove(m_work + "/18000001.cmd");
    test::StandIn good(withFailure(""));
    const test::ProcessResult result = Run({}, good.url());
    EXPECT_NE(result.err.find("18000001.enw"), std::string::npos) << result.err;
    EXPECT_NE(test::ReadFileOr(m_work + "/18000001.cmd"), "<missing>");
    // The entry links to the file that is there, not to the one that is not.
    EXPECT_EQ(DebugCopy().find("18000001.enw\""), std::string::npos) << DebugCopy();
    EXPECT_NE(DebugCopy().find("18000001.cmd\">Send"), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(m_work))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

TEST_F(SearchRun, TextDigestWritesNoFiles) {
    test::StandIn standIn(R"({"esearch": {"neutropenia": {"ids": [17284678]}},
                              "efetch": {"17284678": {"file": "medline_17284678.txt"}}})");
    Configure("Daily", "Text", {"neutropenia"});
    const test::ProcessResult result = Run({}, standIn.url());
    const std::string digest = std::string("Results for the PubMed query (neutropenia) in the past day:\n\n"
                                           "1. Smith JA, Doe B.  Molecular basis of a dominant form of "
                                           "congenital neutropenia.  J Biol Chem. 282, 9475-81 (2007). "
                                           "PubMed: ") +
                               kAbstractLink + "17284678\n\n\nThank you for using Lorvane!\n";
    EXPECT_EQ(result.out, "Message delivered!\n" + digest);
    EXPECT_EQ(DebugCopy(), digest);
    const std::vector<test::ReceivedMail> mails = m_sink->Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].headers.at("Content-Type"), "text/plain; charset=\"us-ascii\"");
    // Text travels with CR LF line ends.
    std::string body = mails[0].body;
    for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;) body.erase(at, 1);
    EXPECT_EQ(body, digest);
    EXPECT_EQ(test::ReadFileOr(m_work + "/17284678.enw"), "<missing>");
    EXPECT_EQ(test::ReadFileOr(m_work + "/17284678.cmd"), "<missing>");
}

TEST_F(SearchRun, NoConnectionLeavesEveryQueryOut) {
    Configure("Weekly", "Text", {"first", "", "second"});
    const test::ProcessResult result = Run({}, test::ClosedPortUrl());
    EXPECT_EQ(result.exitCode, 5);
    // The digest says that it could not look, so that it does not read as
    // "nothing new".
    const std::string digest = std::string("\nNot everything could be looked at in this run: 2 of 2 "
                                           "queries could not be searched (first; second).\n") +
                               kTextEmptyDigest;
    EXPECT_EQ(result.out, "not connected for Lorvane! update\nnot connected for Lorvane! update\n"
                          "Message delivered!\n" + digest);
    EXPECT_EQ(DebugCopy(), digest);
    // Instead of silence, a notice with the reason, and a line in the log;
    // the next failing run that day logs its failure and mails nothing.
    EXPECT_EQ(Run({}, test::ClosedPortUrl()).exitCode, 5);
    const std::vector<test::ReceivedMail> mails = m_sink->Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].headers.at("Subject"), "Lorvane! Your alert could not look for new articles");
    EXPECT_NE(mails[0].body.find("none of your 2 queries could be searched.\n\nWhat went wrong:\n\n"
                                 "  not connected for Lorvane! update\n  the search could not be sent: "),
              std::string::npos)
        << mails[0].body;
    EXPECT_NE(RunLog().find(" none of the 2 queries could be searched, notice delivered to reader@example.org\n"
                            "  not connected for Lorvane! update\n  the search could not be sent: "),
              std::string::npos);
    EXPECT_NE(RunLog().find(" none of the 2 queries could be searched, a notice was mailed earlier today\n"),
              std::string::npos)
        << RunLog();
    // Nor does a notice that cannot be delivered pass for one that was.
    std::filesystem::remove(m_home + "/state/Lorvane/sent-articles.txt");
    Configure("Weekly", "Text", {"first"}, "refused@example.org");
    EXPECT_EQ(Run({}, test::ClosedPortUrl()).exitCode, 6);
    EXPECT_NE(RunLog().find(" the query could not be searched, notice not delivered: "), std::string::npos);
}

TEST_F(SearchRun, ErrorAnswersAreSaidAndHeadingsAloneAreNotMailed) {
    test::StandIn standIn(R"({"esearch": {"down": {"ids": [], "fail": "500"}, "up": {"ids": [1, 2]}},
                              "efetch": {"1": {"file": "medline_18000001.txt", "fail": "close"},
                                         "2": {"file": "medline_18000003.txt", "fail": "close"}}})");
    Configure("Weekly", "Text", {"down", "up"});
    const test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_EQ(result.out.find("not connected for Lorvane! update (the service answered 500)\n"
                              "connection problem\n"
                              "No article could be fetched; the digest is not mailed.\n"
                              "Message delivered!\n"
                              "Results for the PubMed query (up) in the past week:\n\n\n"
                              "Not everything could be looked at in this run: 1 of 2 queries could "
                              "not be searched (down); 2 articles could not be fetched whole (up).\n"),
              0u)
        << result.out;
    // No digest of headings alone: the notice says what failed.
    const std::vector<test::ReceivedMail> mails = m_sink->Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_NE(mails[0].body.find("none of the 2 articles found could be fetched."), std::string::npos)
        << mails[0].body;
}

// Started by the schedule's hourly chances (--scheduled), a run happens
// only when one is due: a failed run is tried again at the next chance,
// missed days are made up once with a line that says so, and the chance
// after that does nothing at all.
TEST_F(SearchRun, ScheduledChancesRunOnlyWhenDue) {
    test::StandIn standIn(R"({"esearch": {"q": {"ids": [17284678]}},
                              "efetch": {"17284678": {"file": "medline_17284678.txt"}}})");
    Configure("Daily", "Text", {"q"});
    // Every day two hours ago; the last run served three days before that.
    const Moment now = LocalMoment(SystemClock);
    const int minuteOfDay = static_cast<int>(((now - 120) % 1440 + 1440) % 1440);
    Store({{"Hour", std::to_string(minuteOfDay / 60)}, {"Minute", std::to_string(minuteOfDay % 60)}});
    SentRecord record;
    record.served = NewestMoment({AlertFrequency::Daily, 0, minuteOfDay}, now) - 3 * 1440;
    ASSERT_TRUE(test::Ok(WriteSentRecord(m_home + "/state/Lorvane", record)));

    EXPECT_EQ(Run({"--scheduled"}).exitCode, 5);  // nothing could be searched
    const test::ProcessResult madeUp = Run({"--scheduled"}, standIn.url());
    EXPECT_EQ(madeUp.exitCode, 0) << madeUp.err;
    // The line opens the digest, and the results follow it.
    EXPECT_LT(madeUp.out.find("Message delivered!\nThis digest also covers the scheduled runs of "),
              madeUp.out.find(", missed while the computer was off.\n\nResults for the PubMed query (q)")) << madeUp.out;
    const std::string log = RunLog();
    const test::ProcessResult next = Run({"--scheduled"}, standIn.url());
    EXPECT_EQ(next.exitCode, 0);
    EXPECT_EQ(next.out + next.err, "");
    EXPECT_EQ(RunLog(), log);
    EXPECT_EQ(m_sink->Messages().size(), 2u);  // the notice of the failed run and the digest
    // Started by hand, it runs whenever it is started.
    EXPECT_NE(Run({}, standIn.url()).out.find("Results for the PubMed query (q)"), std::string::npos);
}

TEST_F(SearchRun, ARunPastItsTimeLimitKeepsWhatItHas) {
    test::StandIn standIn(R"({"esearch": {"a": {"ids": [18000001]}}})");
    Configure("Weekly", "Text", {"a", "b"});
    const test::ProcessResult result = Run({}, standIn.url(), "", {{"LORVANE_RUN_TIME_LIMIT", "0"}});
    EXPECT_EQ(result.exitCode, 5);
    const std::string digest = std::string("\nNot everything could be looked at in this run (it "
                                           "reached its time limit): 2 of 2 queries could not be "
                                           "searched (a; b).\n") +
                               kTextEmptyDigest;
    EXPECT_EQ(result.out, "This run reached its time limit and stopped looking; what it found is kept "
                          "and mailed.\nMessage delivered!\n" + digest);
    EXPECT_EQ(DebugCopy(), digest);
    EXPECT_TRUE(standIn.Requests().empty());
}

TEST_F(SearchRun, OversizedRecordsAndDigestsAreBounded) {
    // Records of about 3.5 MB (entries of about 2.7 MB: the eighth finds
    // the digest past 20 MB) and one of 5 MB, past what one record may take.
    auto record = [](int pmid, std::size_t bytes) {
        std::string text = "\nPMID- " + std::to_string(pmid) + "\nTI  - Large record.\n";
        for (int i = 0; text.size() < bytes; ++i) text += "AU  - Author" + std::to_string(i) + " AB\n";
        return text + "TA  - J Big\n";
    };
    std::string efetch;
    for (int pmid = 1; pmid <= 8; ++pmid) {
        std::ofstream(m_home + "/" + std::to_string(pmid) + ".txt") << record(pmid, 3500000);
        efetch += "\"" + std::to_string(pmid) + "\": {\"file\": \"" + std::to_string(pmid) + ".txt\"}, ";
    }
    std::ofstream(m_home + "/9.txt") << record(9, 5000000);
    test::StandIn standIn("{\"fixtures\": \"" + m_home + "\", \"esearch\": {\"huge\": {\"ids\": [9]}, "
                          "\"big\": {\"ids\": [1, 2, 3, 4, 5, 6, 7, 8]}}, \"efetch\": {" + efetch +
                          "\"9\": {\"file\": \"9.txt\"}}}");
    Configure("Weekly", "Text", {"huge", "big"}, "refused@example.org");
    const test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(result.exitCode, 6);  // the digest was refused
    EXPECT_EQ(result.out.find("connection problem\n"), 0u) << result.out.substr(0, 200);
    const std::string digest = DebugCopy();
    EXPECT_LT(digest.size(), 20u * 1024u * 1024u + 4u * 1024u * 1024u);
    EXPECT_NE(digest.find("\nNot everything could be looked at in this run: 1 article could not be "
                          "fetched whole (huge). 1 article was left out: the digest reached its size "
                          "limit.\n"),
              std::string::npos)
        << digest.substr(digest.size() - 300);
}

TEST_F(SearchRun, BrokenSearchAnswerUsesWhatArrived) {
    // The first half of the answer holds its first identifier and the
    // start of the second, "<Id>1800", which must not be searched for.
    test::StandIn standIn(R"({"esearch": {"q": {"file": "esearch_cut.xml", "fail": "drop-half"}},
                              "default_efetch": {"file": "medline_17284678.txt"}})");
    Configure("Weekly", "Text", {"q"});
    const test::ProcessResult result = Run({}, standIn.url());
    EXPECT_EQ(result.out.find("You must be connected to the internet in order to download an update!\n"
                              "Message delivered!\n"
                              "Results for the PubMed query (q) in the past week:\n\n2 articles were "
                              "found; the first 1 are listed here; all of them: https://pubmed.ncbi."
                              "nlm.nih.gov/?term=%28q%29+AND+%28"),
              0u)
        << result.out;
    EXPECT_EQ(Count(result.out, "PubMed: http"), 1u);
    const std::vector<std::string> requests = standIn.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], FetchPath("17284678"));
    // It was not searched whole: the note says so.
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_NE(result.out.find("\nNot everything could be looked at in this run: 1 of 1 query could not be "
                              "searched (q).\n"), std::string::npos);
    // A thousand identifiers and a count past what PubMed holds: fifty, and "More than".
    std::string flood = "<eSearchResult><Count>9223372036854775808</Count><IdList>\n";
    for (int id = 1; id <= 1000; ++id) flood += "<Id>" + std::to_string(id) + "</Id>\n";
    std::ofstream(m_home + "/flood.xml") << flood + "</IdList></eSearchResult>\n";
    std::filesystem::copy_file(LORVANE_SOURCE_DIR "/tests/fixtures/medline_17284678.txt", m_home + "/record.txt");
    test::StandIn floodIn("{\"fixtures\": \"" + m_home + "\", \"esearch\": {\"q\": {\"file\": \"flood.xml\"}}, "
                          "\"default_efetch\": {\"file\": \"record.txt\"}, \"default_pmid\": \"asked\"}");
    const std::string flooded = Run({}, floodIn.url()).out;
    EXPECT_EQ(Count(flooded, "PubMed: http"), 50u);
    EXPECT_NE(flooded.find("More than 100000000 articles were found; the first 50 are listed here"), std::string::npos);
}

TEST_F(SearchRun, FetchFailures) {
    test::StandIn standIn(R"({
        "esearch": {"a": {"ids": [1, 2, 3, 4, 5]}, "b": {"ids": [17284678]},
                    "c": {"ids": [6, 7, 8]}},
        "efetch": {
            "1": {"file": "medline_17284678.txt", "fail": "429-once"},
            "2": {"file": "medline_18000001.txt"},
            "3": {"file": "medline_18000003.txt", "fail": "close"},
            "17284678": {"file": "medline_17284678.txt", "fail": "drop-half"},
            "6": {"file": "medline_18000004.txt", "fail": "500"},
            "7": {"file": "esearch_error.xml"}
        }})");
    Configure("Weekly", "Text", {"a", "b", "c"});
    const test::ProcessResult result = Run({}, standIn.url());
    const std::string& out = result.out;
    EXPECT_EQ(result.exitCode, 4);  // mailed, with some articles missing
    // Query a: the throttled record arrives whole after a retry; the send
    // failure on the third ends the query's articles.
    EXPECT_NE(out.find("in the past week:\n\n1. Smith JA, Doe B.  Molecular basis"), std::string::npos);
    EXPECT_NE(out.find("2.  Editorial: a year in review.  Lancet. 371, 1-2 (2008)."), std::string::npos);
    const std::size_t b = out.find("Results for the PubMed query (b)");
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(out.substr(0, b).find("3. "), std::string::npos) << out;
    // Query b: the broken body still gives an entry from its first half,
    // which ends before the journal.
    const std::string partial =
        "Results for the PubMed query (b) in the past week:\n\n1. Smith JA.  Molecular basis of a "
        "dominant form of congenital neutropenia. . 282, 9475-81 (2007).";
    EXPECT_EQ(out.compare(b, partial.size(), partial), 0) << out.substr(b);
    // Query c: a server error after its retries, an error page and an
    // unknown identifier give no entries of empty fields.
    EXPECT_NE(out.find("Results for the PubMed query (c) in the past week:\n\n\nNot everything"),
              std::string::npos) << out;
    EXPECT_EQ(out.find("connection problem\nconnection problem\nMessage delivered!\n"), 0u) << out;
    EXPECT_EQ(Count(out, "connection problem\n"), 2u);
    // Three of a's articles got no entry, b's came cut, c's were error pages.
    EXPECT_NE(out.find("\nNot everything could be looked at in this run: 7 articles could not be "
                       "fetched whole (a; b; c).\n\nThank you for using Lorvane!\n"),
              std::string::npos)
        << out;
}

TEST_F(SearchRun, OnlyNewListsEachArticleOnceAndCatchesUp) {
    Configure("Weekly", "Text", {"a", "b"});
    Store({{"OnlyNew", "1"}});
    const std::string state = m_home + "/state/Lorvane";
    int today = 0;
    ASSERT_TRUE(LocalDayNumber(SystemClock, today));
    const std::string maxDate = FormatMaxDate();
    test::ProcessResult ran;
    auto run = [&](const std::string& a, const std::string& b, std::vector<std::string>* requests = nullptr) {
        std::string efetch;
        for (const char* pmid : {"17284678", "18000001", "18000003", "18000004", "18000005"})
            efetch += std::string(efetch.empty() ? "" : ", ") + "\"" + pmid +
                      "\": {\"file\": \"medline_" + pmid + ".txt\"}";
        test::StandIn standIn(R"({"esearch": {"a": {"ids": [)" + a + R"(]}, "b": {"ids": [)" + b +
                              "]}}, \"efetch\": {" + efetch + "}}");
        ran = Run({}, standIn.url());
        if (requests) *requests = standIn.Requests();
        return ran.out;
    };
    auto sent = [&] {
        SentRecord record;
        std::string error;
        EXPECT_TRUE(test::Ok(ReadSentRecord(state, record, kNoDay, &error)));
        EXPECT_EQ(error, "");
        return record;
    };
    auto ids = [](const SentRecord& record) {
        std::string text;
        for (const auto& [pmid, day] : record.mailed) text += std::to_string(pmid) + " ";
        return text;
    };

    // First run: the usual week, by entry date; 18000001 of both queries
    // is listed under the first only.
    std::vector<std::string> requests;
    std::string out = run("17284678, 18000001", "18000001, 18000003", &requests);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], NewArticlesPath("a", today - 7, today));
    EXPECT_EQ(out.find("Message delivered!\nResults for the PubMed query (a) in the past week:\n\n1. "),
              0u) << out;
    EXPECT_EQ(Count(out, "PubMed: http"), 3u);
    const std::size_t b = out.find("Results for the PubMed query (b)");
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(Count(out.substr(b), "PubMed: http"), 1u);
    EXPECT_EQ(ids(sent()), "17284678 18000001 18000003 ");
    EXPECT_EQ(sent().searchedThrough, today);

    // Second run: from the day before the last one; only the new article,
    // and no heading for a query left with none.
    out = run("17284678, 18000004", "18000003", &requests);
    EXPECT_EQ(requests[0], NewArticlesPath("a", today - 1, today));
    EXPECT_EQ(Count(out, "PubMed: http"), 1u);
    EXPECT_NE(out.find("list_uids=18000004"), std::string::npos);
    EXPECT_EQ(out.find("(b)"), std::string::npos);
    EXPECT_EQ(m_sink->Messages().size(), 2u);

    // A digest that is not delivered is not recorded: its article comes again.
    Store({{"Email", "refused@example.org"}});
    out = run("18000005", "");
    EXPECT_EQ(out.find("Message delivered!"), std::string::npos) << out;
    EXPECT_EQ(ids(sent()), "17284678 18000001 18000003 18000004 ");
    // Nor is one whose record cannot be kept (its lock a folder): the digest
    // says so, and the run ends with a status of its own.
    Store({{"Email", "reader@example.org"}});
    std::filesystem::remove(state + "/tessory.lock");
    std::filesystem::create_directory(state + "/tessory.lock");
    out = run("18000005", "");
    EXPECT_EQ(ran.exitCode, 8);
    EXPECT_NE(out.find("\nLorvane could not keep its record in " + state + ": the next digest may repeat these "
                       "articles.\n"), std::string::npos) << out;
    // A FIFO where the log goes is refused at once, and named.
    std::filesystem::remove(state + "/tessory.lock");
    std::filesystem::remove(state + "/tessory.log");
    ASSERT_EQ(mkfifo((state + "/tessory.log").c_str(), 0600), 0);
    out = run("18000005", "");
    EXPECT_NE(ran.err.find(state + "/tessory.log is not a regular file"), std::string::npos) << ran.err;
    EXPECT_EQ(out.find("Message delivered!\n"), 0u) << out;
    EXPECT_NE(out.find("list_uids=18000005"), std::string::npos);
    EXPECT_EQ(ids(sent()), "17284678 18000001 18000003 18000004 18000005 ");

    // Nothing new: no mail.
    out = run("18000005, 17284678", "18000001");
    EXPECT_EQ(out, kTextEmptyDigest);
    EXPECT_EQ(m_sink->Messages().size(), 4u);

    // Runs missed while the computer was off are caught up, a month at most.
    // A searched-through day ahead (a clock set wrong once) is replaced.
    for (const auto& [last, start] :
         {std::pair<int, int>{today - 3, today - 4}, {today - 40, today - 31}, {today + 30, today - 7}}) {
        SentRecord record = sent();
        record.searchedThrough = last;
        ASSERT_TRUE(test::Ok(WriteSentRecord(state, record)));
        run("", "", &requests);
        EXPECT_EQ(requests[0], NewArticlesPath("a", start, today));
        EXPECT_EQ(sent().searchedThrough, today);
    }

    // Switched off: the run as ever, and the record left alone.
    const std::string before = test::ReadFileOr(state + "/sent-articles.txt");
    Store({{"OnlyNew", "0"}});
    out = run("17284678", "17284678", &requests);
    EXPECT_EQ(requests[0], SearchPath("a", FormatMinDate(AlertFrequency::Weekly), maxDate));
    EXPECT_EQ(Count(out, "PubMed: http"), 2u);
    EXPECT_EQ(test::ReadFileOr(state + "/sent-articles.txt"), before);
    if (FormatMaxDate() != maxDate) GTEST_SKIP() << "the day changed during the test";
}

TEST_F(SearchRun, RetractionsOfMailedArticlesAreReportedOnce) {
    Configure("Weekly", "Text", {"a"});
    Store({{"WatchRetractions", "1"}});  // only-new off: the record serves the watch alone
    const std::string state = m_home + "/state/Lorvane";
    int today = 0;
    ASSERT_TRUE(LocalDayNumber(SystemClock, today));
    auto watchPath = [&](int first, int retstart) {
        return "/entrez/eutils/esearch.fcgi?db=pubmed&term=%22retracted+publication%22[pt]&datetype=mdat&mindate=" +
               SearchDateText(first, true) + "&maxdate=" + SearchDateText(today, true) + "&retmax=10000" +
               (retstart ? "&retstart=" + std::to_string(retstart) : "") + kWho;
    };
    const std::string notice = "RIN - Pol Merkur Lekarski. 2026 Dec;1(1):1. PMID: 18000006";
    std::vector<std::string> requests;
    auto run = [&](const std::string& a, const std::string& watch, const std::string& retracted) {
        test::StandIn standIn(R"({"esearch": {"a": {"ids": [)" + a + R"(]}, "%22retracted+publication%22[pt]": )" +
                              watch + R"(}, "efetch": {
            "18000001": {"file": "medline_18000001.txt", "add": ["PT  - Retracted Publication"]},
            "18000003": {"file": "medline_18000003.txt", "add": ["PT  - Retraction of Publication"]},
            "18000004": {"file": "medline_18000004.txt", "add": [)" + retracted + R"(]},
            "18000005": {"file": "medline_18000005.txt"}}})");
        const test::ProcessResult ran = Run({}, standIn.url());
        requests = standIn.Requests();
        return ran;
    };
    auto sent = [&] {
        SentRecord record;
        EXPECT_TRUE(test::Ok(ReadSentRecord(state, record)));
        return record;
    };

    // The first run looks back a week; today's entries carry the service's marks.
    test::ProcessResult ran = run("18000004, 18000001, 18000003", R"({"ids": []})", "");
    ASSERT_EQ(requests.size(), 3u);  // the watch, the query, one batch
    EXPECT_EQ(requests[0], watchPath(today - 7, 0));
    EXPECT_NE(ran.out.find(" [Retracted] Editorial: a year in review."), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find(" [Retraction notice] Does"), std::string::npos);
    EXPECT_EQ(sent().mailed.size(), 3u);
    EXPECT_EQ(sent().retracted.count(18000001), 1u);  // mailed as retracted: nothing to report later

    // Retracted since: a digest of that section only, from the second page
    // of the watch's answer; not articles never mailed, nor one reported,
    // nor one whose record carries no mark of it.
    std::string many;
    for (int id = 30000000; id < 30010000; ++id) many += std::to_string(id) + ", ";
    const std::string watch = R"({"ids": [)" + many + "17284678, 18000001, 18000004]}";
    Store({{"Format", "HTML"}, {"AttachCitations", "1"}});
    ran = run("", ReplaceAll(watch, "]}", ", 18000003]}"), "\"PT  - Retracted Publication\", \"" + notice + "\"");
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_EQ(requests, (std::vector<std::string>{watchPath(today - 1, 0), watchPath(today - 1, 10000),
                                                  SearchPath("a", FormatMinDate(AlertFrequency::Weekly), FormatMaxDate()),
                                                  FetchPath("18000004,18000003")}));
    const test::ReceivedMail mail = m_sink->Messages().back();
    EXPECT_EQ(mail.body.find("<span> <p><br><b>Retracted since Lorvane sent them</b><br><br>1. Kowalski P. <b> "
                             "[Retracted] A tournament"), 0u) << mail.body;
    EXPECT_NE(mail.body.find("<br>Retraction notice: Pol Merkur Lekarski. 2026 Dec;1(1):1. PubMed: <a href=\"" +
                             std::string(kAbstractLink) + "18000006\">18000006</a>"), std::string::npos);
    EXPECT_EQ(Count(mail.body, "PubMed: <a"), 2u);
    EXPECT_EQ(mail.body.find("Results for"), std::string::npos);
    EXPECT_NE(test::ReadFileOr(mail.stored + ".lorvane-" + ReplaceChar(SearchDateText(today, true), '/', '-') + ".ris")
                  .find("N1  - Retracted publication. Retraction notice: Pol Merkur Lekarski. 2026 Dec;1(1):1. PMID: "
                        "18000006\r\nER"), std::string::npos);
    EXPECT_NE(RunLog().find("1 query searched, nothing new, 1 retraction reported, digest delivered"), std::string::npos);

    // Not again.
    Store({{"Format", "Text"}});
    ran = run("", watch, "\"PT  - Retracted Publication\"");
    EXPECT_EQ(ran.out, kTextEmptyDigest);
    EXPECT_EQ(requests.size(), 3u);

    // A watch that fails is said, and the next run asks from the same day.
    SentRecord record = sent();
    record.retractionsThrough = today - 3;
    ASSERT_TRUE(test::Ok(WriteSentRecord(state, record)));
    ran = run("18000005", R"({"ids": [], "fail": "500"})", "");
    EXPECT_EQ(ran.exitCode, 4);
    EXPECT_EQ(requests[0], watchPath(today - 4, 0));
    EXPECT_NE(ran.out.find("\nNot everything could be looked at in this run: retractions of the articles you were "
                           "sent could not be looked for; the next run looks again.\n"), std::string::npos) << ran.out;
    EXPECT_EQ(sent().retractionsThrough, today - 3);
    run("", R"({"ids": []})", "");
    EXPECT_EQ(requests[0], watchPath(today - 4, 0));
    EXPECT_EQ(sent().retractionsThrough, today);
    if (FormatMaxDate() != SearchDateText(today)) GTEST_SKIP() << "the day changed during the test";
}

TEST_F(SearchRun, RunsAtTheSameMomentKeepBothRecordsAndLogLines) {
    Configure("Weekly", "Text", {"q"});
    Store({{"OnlyNew", "1"}});
    // A sendmail that lets each run on only once the other has reached it
    // too, so that both keep their record at the same moment.
    const std::string barrier = m_home + "/barrier", sendmail = m_home + "/bin/sendmail";
    const std::string real = std::filesystem::read_symlink(sendmail).string();
    std::filesystem::remove(sendmail);
    std::ofstream(sendmail) << "#!/bin/sh\n: > '" + barrier + "/'$$\ni=0\n"
                               "while [ $(ls '" + barrier + "' | wc -l) -lt 2 ] && [ $i -lt 500 ]; do "
                               "sleep 0.01; i=$((i+1)); done\nexec '" + real + "' \"$@\"\n";
    chmod(sendmail.c_str(), 0755);
    test::StandIn first(R"({"esearch": {"q": {"ids": [17284678]}}, "default_efetch": {"file": "medline_17284678.txt"}})");
    test::StandIn second(R"({"esearch": {"q": {"ids": [18000001]}}, "default_efetch": {"file": "medline_18000001.txt"}})");
    for (int round = 0; round < 5; ++round) {
        std::filesystem::remove_all(m_home + "/state");
        std::filesystem::remove_all(barrier);
        std::filesystem::create_directories(barrier);
        test::ProcessResult other;
        std::thread running([&] { other = Run({}, second.url()); });
        const test::ProcessResult one = Run({}, first.url());
        running.join();
        EXPECT_EQ(one.exitCode + other.exitCode, 0) << one.out << other.out;
        SentRecord record;
        std::string error;
        EXPECT_TRUE(test::Ok(ReadSentRecord(m_home + "/state/Lorvane", record, kNoDay, &error)));
        EXPECT_EQ(record.mailed.size(), 2u) << "round " << round;
        EXPECT_EQ(Count(RunLog(), "digest delivered"), 2u) << RunLog();
    }
}

TEST_F(SearchRun, ManyHitsComeFiftyARunEachOnceUntilAllAreSent) {
    std::string ids;
    for (int i = 0; i < 120; ++i) ids += (i ? ", " : "") + std::to_string(30000119 - i);  // newest first
    test::StandIn standIn(R"({"esearch": {"broad": {"ids": [)" + ids +
                          R"(]}}, "default_efetch": {"file": "medline_17284678.txt"}, "default_pmid": "asked"})");
    // The usual digest: the first 50, and a line that says there are more.
    Configure("Weekly", "Text", {"broad"});
    std::string out = Run({}, standIn.url()).out;
    EXPECT_NE(out.find("week:\n\n120 articles were found; the first 50 are listed here; all of them: "
                       "https://pubmed.ncbi.nlm.nih.gov/?term=%28broad%29+AND+%28"),
              std::string::npos);
    EXPECT_EQ(Count(out, "PubMed: http"), 50u);
    // Only new articles: 50, 50 and 20 in three runs, each once; the day
    // searched through moves only when none is left behind.
    Store({{"OnlyNew", "1"}});
    int today = 0;
    ASSERT_TRUE(LocalDayNumber(SystemClock, today));
    std::set<std::string> listed;
    for (const auto& [count, line] : {std::pair<std::size_t, std::string>{50, "120 new articles were found; 50 are "
                                                                              "listed here and 70 more follow"},
                                      {50, "70 new articles were found; 50 are listed here and 20 more follow"},
                                      {20, ""}}) {
        out = Run({}, standIn.url()).out;
        EXPECT_EQ(Count(out, "PubMed: http"), count);
        EXPECT_EQ(out.find(line.empty() ? " were found; " : "week:\n\n" + line) == std::string::npos, line.empty())
            << out.substr(0, 400);
        for (std::size_t at = out.find("list_uids="); at != std::string::npos; at = out.find("list_uids=", at + 1))
            EXPECT_TRUE(listed.insert(out.substr(at + 10, 8)).second) << out.substr(at + 10, 8);
    }
    EXPECT_EQ(listed.size(), 120u);
    SentRecord record;
    std::string error;
    ASSERT_TRUE(test::Ok(ReadSentRecord(m_home + "/state/Lorvane", record, kNoDay, &error)));
    EXPECT_EQ(record.mailed.size(), 120u);
    EXPECT_EQ(record.searchedThrough, today);
    // A search for the 50 newest, then one for all 120, then one batch of records.
    const std::vector<std::string> requests = standIn.Requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[requests.size() - 3], NewArticlesPath("broad", today - 7, today));
    EXPECT_EQ(requests[requests.size() - 2], NewArticlesPath("broad", today - 7, today, 120));

    // Hits that fill a request of 200 records are fetched before the next
    // search, so that their files are written while it waits for its turn.
    std::string queries;
    for (int q = 0; q < 5; ++q) {
        queries += std::string(q ? ", " : "") + "\"q" + std::to_string(q) + "\": {\"ids\": [";
        for (int i = 0; i < 50; ++i) queries += (i ? ", " : "") + std::to_string(31000000 + q * 100 + i);
        queries += "]}";
    }
    test::StandIn many(R"({"esearch": {)" + queries + R"(}, "default_efetch": {"file": "medline_17284678.txt"}, "default_pmid": "asked"})");
    Configure("Weekly", "Text", {"q0", "q1", "q2", "q3", "q4"});
    EXPECT_EQ(Count(Run({}, many.url()).out, "PubMed: http"), 250u);
    std::string order;
    for (const std::string& request : many.Requests()) order += request.find("efetch") != std::string::npos ? 'F' : 'S';
    EXPECT_EQ(order, "SSSSFSF");
}

TEST(SentRecordFile, WritesKilledAtRandomLeaveOldOrNewWhole) {
    const std::string folder = test::MakeScratchDirectory();
    ASSERT_FALSE(folder.empty());
    SentRecord small, large;
    for (std::int32_t pmid = 1; pmid <= 200000; ++pmid) (pmid <= 10 ? small : large).mailed[pmid] = 20000;
    std::string error;
    ASSERT_TRUE(test::Ok(WriteSentRecord(folder, small)));
    int killedMidway = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const SentRecord& next = trial % 2 ? small : large;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            _exit(WriteSentRecord(folder, next).ok() ? 0 : 1);
        }
        usleep(static_cast<useconds_t>((trial * 7919) % 30000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        killedMidway += WIFSIGNALED(status) ? 1 : 0;
        SentRecord read;
        ASSERT_TRUE(test::Ok(ReadSentRecord(folder, read, kNoDay, &error)));
        ASSERT_EQ(error, "") << "trial " << trial;
        ASSERT_TRUE(read.mailed.size() == small.mailed.size() || read.mailed.size() == large.mailed.size())
            << "trial " << trial << ": " << read.mailed.size();
    }
    std::printf("kill trials: 60, killed before they ended: %d\n", killedMidway);
    // The next write clears what the killed ones left.
    ASSERT_TRUE(test::Ok(WriteSentRecord(folder, small)));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.exists() ? 1 : 0;
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lorvane
