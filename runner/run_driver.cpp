#include "runner/run_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <vector>

#include "common/local_time.h"
#include "common/mail_delivery.h"
#include "common/mail_oauth.h"
#include "common/run_log.h"
#include "common/settings_store.h"
#include "common/system_services.h"
#include "common/text.h"
#include "lorvane_version.h"
#include "runner/article_entries.h"
#include "runner/colleague_alert.h"
#include "runner/exit_status.h"
#include "runner/load_alert_settings.h"
#include "runner/record_fetch.h"
#include "runner/runner_services.h"
#include "runner/search_request.h"
#include "runner/search_window.h"

namespace lorvane {
namespace {

const char kDebugCopyName[] = "debug.html";
const char kNoticeSubject[] = "Lorvane! Your alert could not look for new articles";
// What a run's summary says of a notice that went out: one a day is enough.
const char kNoticeDelivered[] = ", notice delivered to ";
// At most this many failure lines of one run go to the log and the notice.
constexpr std::size_t kMaxFailureLines = 20;
// How long a run waits for another one to finish updating the state folder.
constexpr int kLockWaitMilliseconds = 30000;
constexpr int kLockPollMilliseconds = 50;

void AppendHeading(const std::string& query, AlertFrequency frequency, bool plainText,
                   std::string& digest) {
    const bool html = !plainText;
    if (html) digest += "<br>";
    digest += "Results for the PubMed query (";
    if (html) digest += "<b>";
    const std::string shown = ReplaceChar(query, '+', ' ');
    digest += html ? HtmlEscape(shown) : shown;
    if (html) digest += "</b>";
    digest += ") in the past ";
    digest += frequency == AlertFrequency::Daily ? "day:" : "week:";
    digest += html ? "<br><br>" : "\n\n";
}

// One query's articles to list: those found (new ones only, where asked),
// how many the service found, and how many wait for the next runs.
struct QueryHits {
    const std::string* query;
    std::vector<std::int32_t> found;
    int total;
    int following;
};

// Returns the line under a query's heading when the digest lists fewer of
// its articles than were found: how many of each, how many more follow in
// the next runs, and a link to them all on PubMed. Empty otherwise.
std::string CountLine(int listed, int total, int following, const std::string& link, bool plainText) {
    if (total <= listed) return std::string();
    std::string line = std::to_string(total);
    if (following > 0)
        line += " new articles were found; " + std::to_string(listed) + " are listed here and " +
                std::to_string(following) + " more follow in the next runs; ";
    else
        line += " articles were found; the first " + std::to_string(listed) + " are listed here; ";
    return plainText ? line + "all of them: " + link + "\n\n"
                     : line + "<a href=\"" + link + "\">all of them on PubMed</a><br><br>";
}

// Returns `count` with the noun that fits it: "1 query", "3 queries".
std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Returns the note that ends a digest when the run could not look at
// everything: the queries that could not be searched and those whose
// articles could not all be fetched, so that "nothing new" is told apart
// from "could not look". Empty when nothing was missed.
std::string ShortfallNote(const std::vector<std::string>& unsearched, int queryCount,
                          const std::vector<std::string>& unfetched, int missedArticles,
                          int leftOut, bool timeUp, bool html) {
    if (unsearched.empty() && missedArticles == 0 && leftOut == 0) return std::string();
    auto list = [html](const std::vector<std::string>& queries) {
        std::string text;
        for (const std::string& query : queries) {
            const std::string shown = ReplaceChar(query, '+', ' ');
            text += (text.empty() ? "" : "; ") + (html ? HtmlEscape(shown) : shown);
        }
        return text;
    };
    std::string note = "Not everything could be looked at in this run";
    note += timeUp ? " (it reached its time limit):" : ":";
    if (!unsearched.empty())
        note += " " + std::to_string(unsearched.size()) + " of " + Counted(queryCount, "query", "queries") +
                " could not be searched (" + list(unsearched) + ")" + (missedArticles ? ";" : ".");
    if (missedArticles)
        note += " " + Counted(missedArticles, "article", "articles") + " could not be fetched whole (" +
                list(unfetched) + ").";
    if (leftOut)
        note += " " + Counted(leftOut, "article was", "articles were") +
                " left out: the digest reached its size limit.";
    return html ? "<br>" + note + "<br>" : "\n" + note + "\n";
}

// Keeps a copy of the digest beside the run. The copy is only for looking
// at; a failure to write it must not stop the run, but is not hidden.
// Written whole, so that a full disk leaves the last good copy, not an
// empty one.
void WriteDebugCopy(Console& console, const std::string& digest) {
    std::string error;
    if (!WriteTextFileWhole(kDebugCopyName, digest, TextFileKind::Document, error))
        console.Diagnose(std::string("could not write ") + kDebugCopyName + ": " + error);
}

// Reads the record of mailed articles of the state folder of `context`
// into `sent`, and today's local day into `today`. Returns false, saying
// why, when the run cannot tell new articles from those mailed before.
bool LoadSentRecord(RunContext& context, SentRecord& sent, int& today) {
    const char consequence[] = "; this digest lists every article of its window";
    std::string error;
    if (context.stateFolder.empty()) {
        context.console.Diagnose(std::string("there is no folder for the record of mailed articles") +
                                 consequence);
        return false;
    }
    if (!LocalDayNumber(context.clock, today)) {
        context.console.Diagnose(std::string("the clock cannot be read as a local date") + consequence);
        return false;
    }
    if (!ReadSentRecord(context.stateFolder, sent, error, today)) {
        // Not written over either: it may only be unreadable for a while.
        context.console.Diagnose(error + consequence);
        return false;
    }
    if (!error.empty()) context.console.Diagnose(error);
    return true;
}

// Creates the state folder of `context` and takes its lock, so that runs
// at the same moment update the record and the log one after the other.
// Returns null with `error` set when the lock cannot be had in
// kLockWaitMilliseconds.
std::unique_ptr<FolderLock> LockStateFolder(RunContext& context, std::string& error) {
    if (!MakeFolder(context.stateFolder, error)) return nullptr;
    for (int waited = 0;; waited += kLockPollMilliseconds) {
        bool busy = false;
        std::unique_ptr<FolderLock> lock = TryLockFolder(context.stateFolder, busy, error);
        if (lock || !busy) return lock;
        if (waited >= kLockWaitMilliseconds) {
            error = "another run kept " + context.stateFolder + " locked for " +
                    std::to_string(kLockWaitMilliseconds / 1000) + " seconds";
            return nullptr;
        }
        context.sleep(std::chrono::milliseconds(kLockPollMilliseconds));
    }
}

// Keeps what this run mailed: the articles listed in the digest, once it
// was delivered, and today as the day searched through when the run looked
// at everything and mailed it or had nothing to mail. What another run
// wrote meanwhile is kept.
void RecordSentArticles(RunContext& context, int today, const ScheduledRunTally& tally,
                        bool delivered) {
    SentRecord now;
    if (delivered)
        for (const std::int32_t pmid : tally.listed) now.mailed[pmid] = today;
    if (tally.complete && !tally.moreToFollow && (delivered || !tally.anyHits)) now.searchedThrough = today;
    if (now.mailed.empty() && now.searchedThrough == kNoDay) return;

    const char consequence[] = "; the articles of this digest may be listed again";
    SentRecord record;
    std::string error;
    const std::unique_ptr<FolderLock> lock = LockStateFolder(context, error);
    if (!lock || !ReadSentRecord(context.stateFolder, record, error, today)) {
        context.console.Diagnose("cannot keep the record of mailed articles: " + error + consequence);
        return;
    }
    // A searched-through day ahead of today is a clock that was set wrong
    // once: a run that looked at everything puts today in its place.
    if (now.searchedThrough != kNoDay && record.searchedThrough > today) record.searchedThrough = kNoDay;
    MergeSentRecord(record, now);
    PruneSentRecord(record, today);
    if (!WriteSentRecord(context.stateFolder, record, error))
        context.console.Diagnose("cannot keep the record of mailed articles: " + error + consequence);
}

// Returns that none of `count` things could be had: "your query could not
// be searched", "none of your 3 queries could be searched".
std::string NoneCould(int count, const char* whose, const char* one, const char* many,
                      const char* done) {
    return count == 1 ? std::string(whose) + " " + one + " could not be " + done
                      : "none of " + std::string(whose) + " " + Counted(count, one, many) + " could be " + done;
}

// Returns the local date and time of now, as the run log starts a line.
std::string NowStamp(const RunContext& context) {
    CalendarTime now;
    LocalCalendarTime(context.clock(), now);
    return RunLogStamp(now);
}

// Returns the lines of failure that the run reported, in order, each once,
// those that `said` holds already left out, and at most kMaxFailureLines.
std::vector<std::string> FailureLines(const std::vector<std::string>& reported,
                                      const std::string& said = std::string()) {
    std::vector<std::string> lines;
    for (const std::string& line : reported) {
        if (line.empty() || line == "Message delivered!" || said.find(line) != std::string::npos ||
            std::find(lines.begin(), lines.end(), line) != lines.end())
            continue;
        if (lines.size() == kMaxFailureLines) {
            lines.push_back("(and more)");
            break;
        }
        lines.push_back(line);
    }
    return lines;
}

// Returns what a scheduled run did, in words, for the run log: how many
// queries it searched and articles it listed.
std::string RunSummary(const ScheduledRunTally& tally) {
    if (tally.queries == 0) return "no queries to search";
    std::string text;
    if (tally.NothingSearched())
        text = NoneCould(tally.queries, "the", "query", "queries", "searched");
    else if (tally.unsearched)
        text = std::to_string(tally.queries - tally.unsearched) + " of " +
               Counted(tally.queries, "query", "queries") + " searched";
    else
        text = Counted(tally.queries, "query", "queries") + " searched";
    if (tally.NothingFetched())
        text += ", " + NoneCould(tally.found, "the", "article found", "articles found", "fetched");
    else if (tally.articles)
        text += ", " + Counted(tally.articles, "article", "articles") + " listed";
    else if (!tally.NothingSearched())
        text += ", nothing new";
    if (tally.timeUp) text += ", stopped at its time limit";
    return text;
}

// Returns the path of the run log, or the empty text when the run has no
// state folder.
std::string RunLogPath(const RunContext& context) {
    return context.stateFolder.empty() ? std::string() : PathInFolder(context.stateFolder, kRunLogName);
}

// Adds this run's entry to the run log in the state folder: `summary`
// after the local date and time, then the failure lines the run reported.
// A log that cannot be kept is said on standard error.
void AddToRunLog(RunContext& context, const std::string& summary) {
    std::string error = "there is no folder for it";
    const std::string path = RunLogPath(context);
    std::unique_ptr<FolderLock> lock;
    if (!path.empty() && (lock = LockStateFolder(context, error))) {
        const std::string entry =
            RunLogEntry(NowStamp(context), summary, FailureLines(context.transcript.lines(), summary));
        if (WriteTextFileWhole(path, AppendRunLogEntry(ReadRunLog(path), entry), TextFileKind::Document,
                               error))
            return;
    }
    context.console.Diagnose("cannot keep the run log: " + error);
}

// Mails the user a short notice that this run could not look for new
// articles, unless one went out earlier today, and adds what became of it
// to `summary`. Returns false when the notice could not be delivered.
bool MailFailureNotice(RunContext& context, const ScheduledRunTally& tally, bool onlyNew,
                       std::string& summary) {
    const std::string stamp = NowStamp(context);
    const std::string path = RunLogPath(context);
    if (!path.empty() && RunLogHasOnDay(ReadRunLog(path), stamp, kNoticeDelivered)) {
        summary += ", a notice was mailed earlier today";
        return true;
    }
    std::string body = "Lorvane's run of " + stamp.substr(0, 10) + " " + stamp.substr(11, 5) +
                       " could not look for new articles: ";
    body += (tally.NothingSearched() ? NoneCould(tally.queries, "your", "query", "queries", "searched")
                                     : NoneCould(tally.found, "the", "article found", "articles found",
                                                 "fetched")) +
            ".";
    body += "\n\nWhat went wrong:\n\n";
    for (const std::string& line : FailureLines(context.transcript.lines()))
        body += "  " + ShowControls(line) + "\n";
    body += "\nThe next scheduled run tries again.";
    if (onlyNew)
        body += " Since you are sent only articles you have not been sent before, it also looks "
                "at the days this run missed.";
    body += "\n\nThank you for using Lorvane!\n";
    const MailOutcome mail = DeliverMail(context.platform.createMailComponent, context.console,
                                         context.settings.email, context.settings.email,
                                         kNoticeSubject, body, false);
    summary += mail.delivered ? kNoticeDelivered + context.settings.email
                              : ", notice not delivered: " + mail.reason;
    return mail.delivered;
}

// Signs the mail account in to Microsoft on the terminal: says where to
// sign in with which code, waits for it, and keeps the sign-in. Returns
// the exit status.
int SignInOnTerminal(RunContext& context) {
    const MailServerSettings& server = context.settings.mail;
    if (server.server.empty() || server.auth != MailAuth::OAuth2 || server.oauthProvider != OAuthProvider::Microsoft) {
        context.console.Diagnose("--sign-in is for a mail server set to Microsoft sign-in (MailAuth=OAuth2, "
                                 "MailOAuthProvider=Microsoft)");
        return kExitUsage;
    }
    DeviceSignIn signIn;
    std::string error, account;
    if (!StartDeviceSignIn(server, signIn, error)) {
        context.console.Diagnose("cannot sign in: " + error);
        return kExitSignInFailed;
    }
    context.console.Line("To sign in " + server.user + ", open " + signIn.verificationUri + " and enter the code " +
                         signIn.userCode + ".");
    for (int waited = 0; waited < signIn.expiresInSeconds; waited += signIn.intervalSeconds) {
        context.console.ShowProgress("waiting for the sign-in");
        context.sleep(std::chrono::seconds(signIn.intervalSeconds));
        switch (PollDeviceSignIn(server, signIn, account, error)) {
            case SignInPoll::Pending:
                continue;
            case SignInPoll::Done:
                context.console.EndProgress();
                context.console.Line("Signed in as " + account + ".");
                return kExitDone;
            case SignInPoll::Failed:
                context.console.Diagnose("cannot sign in: " + error);
                return kExitSignInFailed;
        }
    }
    context.console.Diagnose("cannot sign in: the code expired before the sign-in was done: start again");
    return kExitSignInFailed;
}

}  // namespace

std::string RunScheduledAlert(RunContext& context, const SentRecord* alreadySent, int today,
                              ScheduledRunTally& tally) {
    const AlertSettings& settings = context.settings;
    std::string digest = settings.plainText ? "" : "<span> <p>";
    const std::string windowEnd = alreadySent ? SearchDateText(today, true) : FormatMaxDate(context.clock);
    const std::string windowStart =
        alreadySent ? SearchDateText(NewArticlesWindowStart(*alreadySent, today, settings.frequency), true)
                    : FormatMinDate(settings.frequency, context.clock);

    int queryCount = 0;
    for (const std::string& query : settings.queries) queryCount += query.empty() ? 0 : 1;

    if (!settings.plainText) {
        context.directoryText = CurrentDirectoryText();
        context.scriptProgram = CommandScriptProgram(context.directoryText);
    }

    // The records of all hits are fetched in a few requests, each
    // identifier once: a request as soon as the searches have found enough
    // new identifiers to fill it, so that its articles' files are written
    // while the next searches wait for their turn, and the rest after the
    // last search.
    RecordCache records;
    std::size_t asked = 0;  // identifiers in `distinct` asked for so far
    std::vector<QueryHits> hits;
    std::vector<std::string> unsearched, unfetched;
    std::vector<std::int32_t> distinct;
    std::set<std::int32_t> seen;
    IdentifierArray ids{};
    int queryNumber = 0;
    bool allAnswered = true;
    for (const std::string& query : settings.queries) {
        if (query.empty()) continue;
        context.console.ShowProgress("query " + std::to_string(++queryNumber) + " of " +
                                     std::to_string(queryCount));
        SearchStatus status = SearchStatus::Failed;
        int total = 0;
        const int count = context.TimeIsUp()
                              ? 0
                              : SearchQuery(context, query, windowStart, windowEnd, ids, status, &total);
        QueryHits hit{&query, std::vector<std::int32_t>(ids.begin(), ids.begin() + std::max(count, 0)),
                      total, 0};
        if (alreadySent && status == SearchStatus::Answered && total > count) {
            // More than one search lists: all of them, so that those not
            // sent yet can come in this run or the next ones.
            std::vector<std::int32_t> all =
                SearchAllOf(context, query, windowStart, windowEnd, total, status);
            if (status != SearchStatus::Failed) hit.found = std::move(all);
            hit.following = std::max(0, total - static_cast<int>(hit.found.size()));
        }
        if (status == SearchStatus::Failed) unsearched.push_back(query);
        allAnswered = allAnswered && status == SearchStatus::Answered;
        std::vector<std::int32_t>& found = hit.found;
        if (alreadySent) {
            // Each new article once, under the first query that found it,
            // and at most a search's worth in one digest: newest first, the
            // rest follow in the next runs.
            found.erase(std::remove_if(found.begin(), found.end(),
                                       [&](std::int32_t pmid) {
                                           return alreadySent->mailed.count(pmid) || seen.count(pmid);
                                       }),
                        found.end());
            hit.total = static_cast<int>(found.size()) + hit.following;
            if (found.size() > static_cast<std::size_t>(kSearchRetMax)) {
                hit.following += static_cast<int>(found.size()) - kSearchRetMax;
                found.resize(kSearchRetMax);
            }
            tally.moreToFollow = tally.moreToFollow || hit.following > 0;
        }
        if (found.empty()) continue;
        for (const std::int32_t pmid : found)
            if (seen.insert(pmid).second) distinct.push_back(pmid);
        hits.push_back(std::move(hit));
        asked = FetchRecordBatches(context, distinct, asked, false, records);
    }
    FetchRecordBatches(context, distinct, asked, true, records);
    std::set<std::int32_t> cited;
    int listed = 0, missed = 0, leftOut = 0;
    for (const auto& [query, found, total, following] : hits) {
        AppendHeading(*query, settings.frequency, settings.plainText, digest);
        digest += CountLine(static_cast<int>(found.size()), total, following,
                            PubmedSearchLink(QueryTextAsUtf8(*query), windowStart, windowEnd,
                                             alreadySent != nullptr),
                            settings.plainText);
        std::copy(found.begin(), found.end(), ids.begin());
        const FetchTally fetched = FetchArticles(context, ids, static_cast<int>(found.size()),
                                                 digest, settings.plainText, records);
        listed += fetched.listed;
        missed += fetched.missed;
        leftOut += fetched.leftOut;
        if (fetched.missed) unfetched.push_back(*query);
        tally.listed.insert(tally.listed.end(), fetched.listedWhole.begin(), fetched.listedWhole.end());
        if (settings.digest.attachCitations)
            for (const std::int32_t pmid : fetched.listedIds)
                if (cited.insert(pmid).second) tally.citations += RisCitation(records[pmid].record);
    }
    context.console.EndProgress();
    tally.queries = queryCount;
    tally.unsearched = static_cast<int>(unsearched.size());
    tally.found = static_cast<int>(distinct.size());
    tally.articles = listed;
    tally.timeUp = context.TimeIsUp();
    // Headings without a single article are no results to mail.
    tally.anyHits = listed > 0;
    if (!hits.empty() && listed == 0)
        context.console.Line("No article could be fetched; the digest is not mailed.");

    const bool timeUp = tally.timeUp;
    tally.complete = allAnswered && missed == 0 && leftOut == 0 && !timeUp;
    if (timeUp)
        context.console.Line("This run reached its time limit and stopped looking; what it found is "
                             "kept and mailed.");
    digest += ShortfallNote(unsearched, queryCount, unfetched, missed, leftOut, timeUp,
                            !settings.plainText);

    digest += settings.plainText ? "\nThank you for using Lorvane!\n"
                                 : "<br>Thank you for using Lorvane!<br></span>";
    return digest;
}

int RunTessory(RunContext& context, int argc, const char* const argv[]) {
    std::string error;
    if (!InitializeProcess(error)) {
        context.console.Line("Fatal Error: MFC initialization failed");
        if (!error.empty()) context.console.Diagnose(error);
        return kExitNoProcess;
    }

    const bool signIn = argc == 2 && std::string(argv[1]) == "--sign-in";
    const bool colleagueMode = argc == 2 && !signIn;
    std::unique_ptr<SettingsStore> store = context.platform.createSettingsStore();
    if (!LoadAlertSettings(*store, context.settings, error)) {
        // A store that was never written means Lorvane was never set up:
        // nothing to do. One that exists but cannot be read is a failure.
        if (error.empty() && signIn) {
            context.console.Diagnose("--sign-in needs the outgoing mail server set in Lorvane first");
            return kExitUsage;
        }
        if (error.empty()) return kExitDone;
        const std::string said = "cannot read the settings in " + UserSettingsLocation() + ": " + error;
        context.console.Diagnose(said);
        if (!colleagueMode && !signIn) AddToRunLog(context, "nothing searched: " + said);
        return kExitSettingsUnreadable;
    }
    if (context.mailTimeLimitSeconds > 0) context.settings.mail.timeLimitSeconds = context.mailTimeLimitSeconds;
    if (!context.oauthUrl.empty()) context.settings.mail.oauthUrl = context.oauthUrl;
    if (signIn) return SignInOnTerminal(context);
    const AlertSettings& settings = context.settings;
    context.platform.createMailComponent =
        ChooseMailTransport(settings.mail, context.platform.createMailComponent);
    context.service.email = settings.email;
    if (!settings.apiKey.empty()) {
        // With a key the service allows 10 requests a second instead of 3.
        context.service.apiKey = settings.apiKey;
        context.service.paceMilliseconds = std::min(context.service.paceMilliseconds, kKeyedPaceMilliseconds);
    }

    if (colleagueMode) return SendColleagueAlert(context, argv[1]);
    if (settings.frequency == AlertFrequency::Off) return kExitDone;

    SentRecord sent;
    int today = kNoDay;
    const bool onlyNew = settings.onlyNew && LoadSentRecord(context, sent, today);
    ScheduledRunTally tally;
    const std::string digest = RunScheduledAlert(context, onlyNew ? &sent : nullptr, today, tally);
    std::vector<MailAttachment> attachments;
    if (!tally.citations.empty())
        attachments.push_back({"lorvane-" + NowStamp(context).substr(0, 10) + ".ris",
                               "application/x-research-info-systems", tally.citations});
    const MailOutcome mail =
        tally.anyHits ? DeliverMail(context.platform.createMailComponent, context.console, settings.email,
                                    settings.email, MailSubject(kPeriodicResultsMail), digest,
                                    !settings.plainText, attachments)
                      : MailOutcome();
    if (onlyNew) RecordSentArticles(context, today, tally, mail.delivered);
    WriteDebugCopy(context.console, digest);

    std::string summary = RunSummary(tally);
    ExitStatus status = tally.NothingSearched() || tally.NothingFetched() ? kExitNothingSearched
                        : tally.complete                                   ? kExitDone
                                                                           : kExitIncomplete;
    bool undelivered = false;
    if (tally.anyHits) {
        summary += mail.delivered ? ", digest delivered to " + settings.email
                                  : ", digest not delivered: " + mail.reason;
        undelivered = !mail.delivered;
    } else if (status == kExitNothingSearched) {
        undelivered = !MailFailureNotice(context, tally, onlyNew, summary);
    } else {
        summary += ", no mail sent";
    }
    if (undelivered) status = kExitNotDelivered;
    AddToRunLog(context, summary);
    context.transcript.output().Write(digest);
    return status;
}

int RunTessory(int argc, const char* const argv[]) {
    StandardConsole console("tessory", StandardErrorIsTerminal());
    // The two options; any other single argument is a citation file.
    if (argc == 2 && std::string(argv[1]) == "--version") {
        console.Line(std::string("tessory (Lorvane) ") + LORVANE_VERSION);
        return kExitDone;
    }
    if (argc == 2 && std::string(argv[1]) == "--help") {
        console.Line("Usage: tessory               search the stored PubMed queries and mail the digest\n"
                     "       tessory CITATION-FILE mail that article to a colleague\n"
                     "       tessory --sign-in     sign the mail account in to Microsoft\n"
                     "       tessory --version     print the version\n"
                     "The queries and the address are set with Lorvane. Exit status: 0 done,\n"
                     "2 bad arguments or citation file, 3 unreadable settings, 4 some queries or\n"
                     "articles missed, 5 nothing could be searched, 6 mail not delivered,\n"
                     "7 sign-in failed.");
        return kExitDone;
    }
    // A citation file is named by a path; an option we do not know is a
    // mistake, not a file to forward.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' || (argc == 2 && std::string(argv[i]) == "--sign-in")) continue;
        console.Diagnose(std::string("unknown option ") + argv[i] + "; see tessory --help");
        return kExitUsage;
    }
    RunContext context(console, std::cin);
    context.stateFolder = RunnerStateFolder();
    const char* mirror = std::getenv("LORVANE_EUTILS_URL");
    context.service = EutilsService(mirror ? mirror : "");
    // For tests and measuring: the run's time limit and a mail server's
    // delivery bound in seconds, and a pace for the requests to any server.
    const char* limit = std::getenv("LORVANE_RUN_TIME_LIMIT");
    if (limit && *limit)
        context.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(ReadLikeAtoi(limit));
    const char* oauthUrl = std::getenv("LORVANE_OAUTH_URL");
    if (oauthUrl) context.oauthUrl = oauthUrl;
    const char* mailLimit = std::getenv("LORVANE_MAIL_TIME_LIMIT");
    if (mailLimit && *mailLimit) context.mailTimeLimitSeconds = ReadLikeAtoi(mailLimit);
    const char* pace = std::getenv("LORVANE_EUTILS_PACE_MS");
    if (pace && *pace) {
        context.service.paced = true;
        context.service.paceMilliseconds = ReadLikeAtoi(pace);
    }
    return RunTessory(context, argc, argv);
}

}  // namespace lorvane
