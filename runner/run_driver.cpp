#include "runner/run_driver.h"

#include <cstdlib>
#include <iostream>

#include "common/mail_oauth.h"
#include "common/mail_server.h"
#include "common/settings_store.h"
#include "common/system_services.h"
#include "common/text.h"
#include "lorvane_version.h"
#include "runner/colleague_alert.h"
#include "runner/exit_status.h"
#include "runner/load_alert_settings.h"
#include "runner/run_record.h"
#include "runner/runner_services.h"
#include "runner/scheduled_run.h"

namespace lorvane {
namespace {

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
    std::string account;
    const Status started = StartDeviceSignIn(server, signIn);
    if (!started.ok()) {
        context.console.Diagnose("cannot sign in: " + started.message());
        return kExitSignInFailed;
    }
    context.console.Line("To sign in " + server.user + ", open " + signIn.verificationUri + " and enter the code " +
                         signIn.userCode + ".");
    for (int waited = 0; waited < signIn.expiresInSeconds; waited += signIn.intervalSeconds) {
        context.console.ShowProgress("waiting for the sign-in");
        context.sleep(std::chrono::seconds(signIn.intervalSeconds));
        const Status poll = PollDeviceSignIn(server, signIn, account);
        if (poll.code() == StatusCode::Busy) continue;
        if (!poll.ok()) {
            context.console.Diagnose("cannot sign in: " + poll.message());
            return kExitSignInFailed;
        }
        context.console.EndProgress();
        context.console.Line("Signed in as " + account + ".");
        return kExitDone;
    }
    context.console.Diagnose("cannot sign in: the code expired before the sign-in was done: start again");
    return kExitSignInFailed;
}

}  // namespace

int RunTessory(RunContext& context, int argc, const char* const argv[]) {
    const Status process = InitializeProcess();
    if (!process.ok()) {
        context.console.Line("Fatal Error: MFC initialization failed");
        if (!process.message().empty()) context.console.Diagnose(process.message());
        return kExitNoProcess;
    }
    const bool signIn = argc == 2 && std::string(argv[1]) == "--sign-in";
    const bool scheduled = argc == 2 && std::string(argv[1]) == "--scheduled";
    const bool colleagueMode = argc == 2 && !signIn && !scheduled;
    AlertSettings loaded;
    const Status read = LoadAlertSettings(*context.platform.createSettingsStore(), loaded);
    if (!read.ok()) {
        // A store that was never written means Lorvane was never set up:
        // nothing to do. One that exists but cannot be read is a failure.
        const bool neverSetUp = read.code() == StatusCode::NotFound;
        if (neverSetUp && signIn) {
            context.console.Diagnose("--sign-in needs the outgoing mail server set in Lorvane first");
            return kExitUsage;
        }
        if (neverSetUp && colleagueMode) {
            context.console.Diagnose("cannot forward " + std::string(argv[1]) + ": Lorvane is not set up yet (no "
                                     "settings in " + UserSettingsLocation() + ")");
            return kExitUsage;
        }
        if (neverSetUp) return kExitDone;
        const std::string said = "cannot read the settings in " + UserSettingsLocation() + ": " + read.message();
        context.console.Diagnose(said);
        if (!colleagueMode && !signIn) AddToRunLog(context, "nothing searched: " + said);
        return kExitSettingsUnreadable;
    }
    RunContext run(context, loaded);
    if (signIn) return SignInOnTerminal(run);
    if (colleagueMode) return SendColleagueAlert(run, argv[1]);
    if (run.settings.frequency == AlertFrequency::Off) return kExitDone;
    return RunScheduledSearch(run, scheduled);
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
                     "       tessory --scheduled   the same when a scheduled run is due (the schedule's call)\n"
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
        if (argv[i][0] != '-' || (argc == 2 && (std::string(argv[i]) == "--sign-in" ||
                                                 std::string(argv[i]) == "--scheduled")))
            continue;
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
