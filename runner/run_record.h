// The record stage of a run: what the runner keeps for itself in the state
// file of its state folder (the articles mailed, the day searched through,
// the day a notice went out), and what it tells the person in the run log.
#pragma once

#include <string>

#include "common/mail_transport.h"
#include "runner/run_context.h"
#include "runner/sent_record.h"

namespace lorvane {

struct ScheduledRunTally;

// What a run read of its state at its start.
struct RunState {
    SentRecord record;
    int today = kNoDay;    // the local day of the run, when the clock says it
    bool onlyNew = false;  // new articles can be told from those mailed before
    bool watching = false;  // the articles mailed before can be watched for retractions
    DueRun due;            // the scheduled moment it serves and those it makes up for
    // Where and why the record of mailed articles cannot be kept this run;
    // empty when it can.
    std::string unkept;
};

// Returns whether a scheduled run is due now by the schedule of the
// settings in `context` and the moment the state file says was served
// last; says nothing.
DueRun CheckDueRun(RunContext& context);

// Reads the state of the state folder of `context`, today's local day and
// what `due` says the run serves.
// onlyNew (watching) is set when the settings ask for only new articles
// (the retraction watch) and the record can be read; otherwise the run
// says why it lists every article (looks for no retractions).
RunState LoadRunState(RunContext& context, const DueRun& due);

// Keeps what the run of `state` mailed: the articles listed in the digest
// and the retractions reported, once it was delivered; today as the day
// searched through when the run lists only new articles, looked at
// everything and mailed it or had nothing to mail; and today as the day
// retractions were searched through when it found all and reported them
// so. What another run wrote meanwhile is kept. Returns false, having said
// why, when the record could not be kept.
bool RecordSentArticles(RunContext& context, const RunState& state, const ScheduledRunTally& tally,
                        bool delivered);

// Keeps a copy of the digest beside the run, for looking at; a failure to
// write it is said, and does not stop the run.
void WriteDebugCopy(Console& console, const std::string& digest);

// Returns the local date and time of now, as the run log starts a line.
std::string NowStamp(const RunContext& context);

// Ends a scheduled run: mails the notice of a run that could search or
// fetch nothing (once a day), keeps the scheduled moment it served when it
// did all its work, adds the run's summary and failure lines to the run
// log, and returns the exit status that `tally` and `mail`, what became of
// the digest, call for; kExitStateNotKept when the state could not be kept
// (`recordKept` false, or the moment served not kept).
int RecordRun(RunContext& context, const RunState& state, const ScheduledRunTally& tally,
              const MailOutcome& mail, bool recordKept = true);

// Adds this run's entry to the run log in the state folder: `summary`
// after the local date and time, then the failure lines the run reported.
// A log that cannot be kept is said on standard error.
void AddToRunLog(RunContext& context, const std::string& summary);

}  // namespace lorvane
