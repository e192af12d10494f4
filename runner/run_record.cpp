#include "runner/run_record.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/mail_delivery.h"
#include "common/run_log.h"
#include "common/system_services.h"
#include "common/text.h"
#include "runner/exit_status.h"
#include "runner/runner_services.h"
#include "runner/scheduled_run.h"

namespace lorvane {
namespace {

const char kDebugCopyName[] = "debug.html";
const char kNoticeSubject[] = "Lorvane! Your alert could not look for new articles";
// At most this many failure lines of one run go to the log and the notice.
constexpr std::size_t kMaxFailureLines = 20;
// How long a run waits for another one to finish updating the state folder.
constexpr int kLockWaitMilliseconds = 30000;
constexpr int kLockPollMilliseconds = 50;

// Creates the state folder of `context` and takes its lock into `lock`, so
// that runs at the same moment update the state and the log one after the
// other. Fails when the lock cannot be had in kLockWaitMilliseconds.
Status LockStateFolder(RunContext& context, std::unique_ptr<FolderLock>& lock) {
    const Status made = MakeFolder(context.stateFolder);
    if (!made.ok()) return made;
    for (int waited = 0;; waited += kLockPollMilliseconds) {
        const Status locked = TryLockFolder(context.stateFolder, lock);
        if (locked.code() != StatusCode::Busy) return locked;
        if (waited >= kLockWaitMilliseconds)
            return Status(StatusCode::Busy, "another run kept " + context.stateFolder + " locked for " +
                                                std::to_string(kLockWaitMilliseconds / 1000) + " seconds");
        context.sleep(std::chrono::milliseconds(kLockPollMilliseconds));
    }
}

// Adds `now` to the state file under the lock of the state folder, keeping
// what another run wrote meanwhile.
Status UpdateState(RunContext& context, int today, const SentRecord& now) {
    SentRecord record;
    std::unique_ptr<FolderLock> lock;
    Status status = LockStateFolder(context, lock);
    if (status.ok()) status = ReadSentRecord(context.stateFolder, record, today);
    if (!status.ok()) return status;
    // A searched-through day ahead of today is a clock that was set wrong
    // once: a run that looked at everything puts today in its place.
    if (now.searchedThrough != kNoDay && record.searchedThrough > today) record.searchedThrough = kNoDay;
    if (now.retractionsThrough != kNoDay && record.retractionsThrough > today) record.retractionsThrough = kNoDay;
    MergeSentRecord(record, now);
    PruneSentRecord(record, today);
    return WriteSentRecord(context.stateFolder, record);
}

// Adds `now` to the record of mailed articles as UpdateState does; says
// so when it could not be kept, and returns whether it was.
bool KeepRecord(RunContext& context, int today, const SentRecord& now) {
    const Status kept = UpdateState(context, today, now);
    if (!kept.ok())
        context.console.Diagnose("cannot keep the record of mailed articles: " + kept.message() +
                                 "; the articles of this digest may be listed again");
    return kept.ok();
}

// Returns that none of `count` things could be had: "your query could not
// be searched", "none of your 3 queries could be searched".
std::string NoneCould(int count, const char* whose, const char* one, const char* many, const char* done) {
    return count == 1 ? std::string(whose) + " " + one + " could not be " + done
                      : "none of " + std::string(whose) + " " + Counted(count, one, many) + " could be " + done;
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
        text = std::to_string(tally.queries - tally.unsearched) + " of " + Counted(tally.queries, "query", "queries") +
               " searched";
    else
        text = Counted(tally.queries, "query", "queries") + " searched";
    if (tally.NothingFetched())
        text += ", " + NoneCould(tally.found, "the", "article found", "articles found", "fetched");
    else if (tally.articles)
        text += ", " + Counted(tally.articles, "article", "articles") + " listed";
    else if (!tally.NothingSearched())
        text += ", nothing new";
    if (tally.retractions) text += ", " + Counted(tally.retractions, "retraction", "retractions") + " reported";
    if (tally.unwatched) text += ", retractions could not be looked for";
    if (tally.timeUp) text += ", stopped at its time limit";
    return text;
}

// Returns the notice of a run that could not look for new articles.
std::string NoticeText(RunContext& context, const ScheduledRunTally& tally, bool onlyNew) {
    const std::string stamp = NowStamp(context);
    std::string body = "Lorvane's run of " + stamp.substr(0, 10) + " " + stamp.substr(11, 5) +
                       " could not look for new articles: ";
    body += (tally.NothingSearched() ? NoneCould(tally.queries, "your", "query", "queries", "searched")
                                     : NoneCould(tally.found, "the", "article found", "articles found", "fetched")) +
            ".";
    body += "\n\nWhat went wrong:\n\n";
    for (const std::string& line : FailureLines(context.transcript.lines()))
        body += "  " + ShowControls(line) + "\n";
    body += "\nThe next scheduled run tries again.";
    if (onlyNew)
        body += " Since you are sent only articles you have not been sent before, it also looks "
                "at the days this run missed.";
    return body + "\n\nThank you for using Lorvane!\n";
}

// Mails the user a short notice that this run could not look for new
// articles, unless the state says one went out earlier today, and adds
// what became of it to `summary`. Returns false when the notice could not
// be delivered.
bool MailFailureNotice(RunContext& context, const RunState& state, const ScheduledRunTally& tally,
                       std::string& summary) {
    SentRecord kept;
    const bool known = state.today != kNoDay && !context.stateFolder.empty() &&
                       ReadSentRecord(context.stateFolder, kept, state.today).ok();
    if (known && kept.noticeDay == state.today) {
        summary += ", a notice was mailed earlier today";
        return true;
    }
    const std::string& address = context.settings.email;
    const MailOutcome mail = DeliverMail(context.mailTransport, context.console,
                                         LorvaneMessage(address, address, kNoticeSubject,
                                                        NoticeText(context, tally, state.onlyNew), false));
    summary += mail.delivered ? ", notice delivered to " + address : ", notice not delivered: " + mail.reason;
    if (!mail.delivered || !known) return mail.delivered;
    SentRecord notice;
    notice.noticeDay = state.today;
    const Status noted = UpdateState(context, state.today, notice);
    if (!noted.ok())
        context.console.Diagnose("cannot keep the day of the notice: " + noted.message() +
                                 "; the next failing run today mails another");
    return true;
}

}  // namespace

DueRun CheckDueRun(RunContext& context) {
    SentRecord record;
    std::unique_ptr<FolderLock> lock;
    const bool kept = !context.stateFolder.empty() && LockStateFolder(context, lock).ok() &&
                      ReadSentRecord(context.stateFolder, record).ok();
    lock.reset();
    const Moment now = LocalMoment(context.clock);
    DueRun due = FindDueRun(ScheduleOfSettings(context.settings), now, record.served,
                            ParseMoment(context.settings.scheduleSince));
    // Without a state that can be kept, no moment could be marked served:
    // only the chance in the moment's own hour runs, not every one after it.
    if (!kept && due.due && now - due.serves >= 60) due.due = false;
    return due;
}

RunState LoadRunState(RunContext& context, const DueRun& due) {
    RunState state;
    state.due = due;
    const bool dated = LocalDayNumber(context.clock, state.today);
    if (!dated) state.today = kNoDay;
    const bool watch = context.settings.digest.watchRetractions;
    if (!context.settings.onlyNew && !watch) return state;
    const std::string consequence =
        std::string(context.settings.onlyNew ? "; this digest lists every article of its window" : "") +
        (watch ? "; this run looks for no retractions" : "");
    std::string note;
    Status read;
    if (context.stateFolder.empty()) {
        context.console.Diagnose("there is no folder for the record of mailed articles" + consequence);
    } else if (!dated) {
        context.console.Diagnose("the clock cannot be read as a local date" + consequence);
    } else if (!(read = ReadSentRecord(context.stateFolder, state.record, state.today, &note)).ok()) {
        // Not written over either: it may only be unreadable for a while.
        context.console.Diagnose(read.message() + consequence);
    } else {
        if (!note.empty()) context.console.Diagnose(note);
        state.onlyNew = context.settings.onlyNew;
        state.watching = watch;
        // Known before the digest goes, so that it can say so: the record
        // written back as it is, under the folder's lock.
        if (!KeepRecord(context, state.today, SentRecord())) state.unkept = context.stateFolder;
    }
    return state;
}

bool RecordSentArticles(RunContext& context, const RunState& state, const ScheduledRunTally& tally,
                        bool delivered) {
    const int today = state.today;
    SentRecord now;
    if (delivered) {
        for (const std::int32_t pmid : tally.listed) now.mailed[pmid] = today;
        for (const std::int32_t pmid : tally.reported) now.retracted[pmid] = today;
    }
    const bool told = delivered || !tally.anyHits;
    if (state.onlyNew && tally.complete && !tally.moreToFollow && told) now.searchedThrough = today;
    // A retraction not reported is looked for again from the same day.
    if (state.watching && tally.watched && told) now.retractionsThrough = today;
    const bool nothing = now.mailed.empty() && now.retracted.empty() && now.searchedThrough == kNoDay &&
                         now.retractionsThrough == kNoDay;
    return nothing || KeepRecord(context, today, now);
}

void WriteDebugCopy(Console& console, const std::string& digest) {
    // Written whole, so that a full disk leaves the last good copy, not an
    // empty one.
    const Status written = WriteTextFileWhole(kDebugCopyName, digest, TextFileKind::Document);
    if (!written.ok()) console.Diagnose(std::string("could not write ") + kDebugCopyName + ": " + written.message());
}

std::string NowStamp(const RunContext& context) {
    CalendarTime now;
    LocalCalendarTime(context.clock(), now);
    return RunLogStamp(now);
}

int RecordRun(RunContext& context, const RunState& state, const ScheduledRunTally& tally,
              const MailOutcome& mail, bool recordKept) {
    std::string summary = RunSummary(tally);
    int status = tally.NothingSearched() || tally.NothingFetched() ? kExitNothingSearched
                 : tally.complete                                   ? kExitDone
                                                                    : kExitIncomplete;
    bool undelivered = false;
    if (tally.anyHits) {
        summary += mail.delivered ? ", digest delivered to " + context.settings.email
                                  : ", digest not delivered: " + mail.reason;
        undelivered = !mail.delivered;
    } else if (status == kExitNothingSearched) {
        undelivered = !MailFailureNotice(context, state, tally, summary);
    } else {
        summary += ", no mail sent";
    }
    if (undelivered) status = kExitNotDelivered;
    if (status == kExitDone && state.due.serves != kNoMoment && state.today != kNoDay) {
        // A run that did all its work serves its moment, whoever started
        // it; one that did not leaves it to the next chance.
        SentRecord served;
        served.served = state.due.serves;
        const Status kept = UpdateState(context, state.today, served);
        if (!kept.ok())
            context.console.Diagnose("cannot keep the scheduled run served: " + kept.message() +
                                     "; the next chance runs again");
        recordKept = recordKept && kept.ok();
    }
    if (!recordKept || !state.unkept.empty()) {
        summary += ", its record could not be kept in " + context.stateFolder;
        status = kExitStateNotKept;
    }
    AddToRunLog(context, summary);
    return status;
}

void AddToRunLog(RunContext& context, const std::string& summary) {
    Status status = Status::Error("there is no folder for it");
    std::unique_ptr<FolderLock> lock;
    if (!context.stateFolder.empty() && (status = LockStateFolder(context, lock)).ok()) {
        const std::string path = PathInFolder(context.stateFolder, kRunLogName);
        const std::string entry =
            RunLogEntry(NowStamp(context), summary, FailureLines(context.transcript.lines(), summary));
        std::string log;
        status = ReadRunLog(path, log);
        if (status.ok()) status = WriteTextFileWhole(path, AppendRunLogEntry(log, entry), TextFileKind::Document);
        if (status.ok()) return;
    }
    context.console.Diagnose("cannot keep the run log: " + status.message());
}

}  // namespace lorvane
