// The exit codes of tessory: one per kind of outcome, so that the task
// scheduler's last result, cron and any wrapper can tell a run that did its
// work from one that failed. Where one run meets several, the higher code
// wins.
#pragma once

namespace lorvane {

enum ExitStatus : int {
    // The run did its work: the digest delivered, nothing new to send,
    // alerts off or never set up; an article forwarded; --help, --version.
    kExitDone = 0,
    // The process could not be set up.
    kExitNoProcess = 1,
    // Bad arguments, a citation file that cannot be read, or no usable
    // colleague's address typed.
    kExitUsage = 2,
    // The settings exist but cannot be read.
    kExitSettingsUnreadable = 3,
    // Some queries could not be searched or some articles not fetched
    // (or the run reached its time limit); the digest says so.
    kExitIncomplete = 4,
    // No query could be searched, or none of the articles found fetched.
    kExitNothingSearched = 5,
    // The digest, the notice of a failed run or the colleague's alert could
    // not be delivered.
    kExitNotDelivered = 6,
    // --sign-in did not end signed in.
    kExitSignInFailed = 7,
    // The run could not keep its record or state in its state folder (the
    // folder cannot be written, its lock cannot be used or was not had in
    // time): the next digest may repeat articles, or the next chance run
    // again. The digest and the log say so where they can.
    kExitStateNotKept = 8,
};

}  // namespace lorvane
