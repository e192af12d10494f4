// What one run of the alert runner depends on, made at its start and
// handed to every step: the E-utilities service and how requests to it
// are paced and retried, the clock, where lines go and where input comes
// from, the factories of the platform services, and the user's settings.
// One is made from the environment, and from it, once the settings are
// loaded, the run's own, before any step runs; no step changes it. Steps
// read nothing of this from the environment or process-wide state. What a
// run finds travels in its own value (runner/run_findings.h).
#pragma once

#include <chrono>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "common/alert_settings.h"
#include "common/console.h"
#include "common/local_time.h"
#include "common/mail_transport.h"
#include "common/settings_store.h"
#include "common/http_client.h"
#include "runner/internet.h"

namespace lorvane {

// Creates the platform's services; tests hand in others.
struct RunnerPlatform {
    std::function<Status(const HttpClientOptions&, std::unique_ptr<HttpClient>&)> createHttpClient =
        CreateHttpClient;
    MailTransportFactory createMailTransport = CreateSystemMailTransport;
    std::function<std::unique_ptr<SettingsStore>()> createSettingsStore = CreateUserSettingsStore;
    // Where the platform shows a lost connection in a message box that the
    // run waits on, it does so and returns true; elsewhere false, and the
    // text goes to the report.
    std::function<bool(const std::string&)> showConnectionMessageBox;
};

// How long one run may look for articles; after that it stops searching
// and fetching, and mails and keeps what it has.
constexpr std::chrono::seconds kRunTimeLimit{2 * 60 * 60};

// Passes everything to the console it wraps, and keeps the lines of the
// report and the diagnostics, so that a run can log what went wrong.
class RunTranscript : public Console {
public:
    explicit RunTranscript(Console& output) : m_output(output) {}

    void Write(const std::string& text) override;
    void Diagnose(const std::string& text) override;
    void ShowProgress(const std::string& line) override { m_output.ShowProgress(line); }
    void EndProgress() override { m_output.EndProgress(); }

    // The lines kept so far, without their line ends.
    const std::vector<std::string>& lines() const { return m_lines; }
    // The console wrapped, for what is no line of the report (the digest).
    Console& output() { return m_output; }

private:
    Console& m_output;
    std::string m_partial;  // the start of a line not ended yet
    std::vector<std::string> m_lines;
};

struct RunContext {
    // The public service, the system clock, real waits, the platform's
    // services and a run time limit of kRunTimeLimit from now, with lines
    // going to `console` and input read from `input`.
    RunContext(Console& console, std::istream& input);

    // The context of a run of the settings `loaded`, made from `base` (whose
    // console and input it shares): the mail server's overrides for tests
    // applied, the service told the user's address and key (and paced as a
    // key allows), the transport of every message chosen, and for an HTML
    // digest the folder and program its scripts name looked up.
    RunContext(RunContext& base, const AlertSettings& loaded);

    // Returns whether the run's time limit has passed.
    bool TimeIsUp() const { return std::chrono::steady_clock::now() >= deadline; }

    HttpClientOptions service;
    Clock clock = SystemClock;
    RunTranscript transcript;  // over the console given
    Console& console;          // the transcript
    std::istream& input;  // where the colleague's address is typed
    Sleeper sleep;
    RunnerPlatform platform;
    AlertSettings settings;  // as loaded at the run's start, with the mail overrides below
    // Makes the transport every message of the run goes through: the
    // user's own server when one is set, else the platform's.
    MailTransportFactory mailTransport;
    Pacer pacer;             // the spacing of this run's requests
    std::chrono::steady_clock::time_point deadline;  // the run's time limit
    // For tests and measuring: a mail server's delivery bound (0: the
    // usual one) and Microsoft's sign-in service (empty: the public one).
    int mailTimeLimitSeconds = 0;
    std::string oauthUrl;
    // Where the record of mailed articles is kept; empty: nowhere, so a
    // run that lists only new articles cannot.
    std::string stateFolder;
    // Looked up once per run, for the HTML entries and command scripts:
    // the working directory with "/" separators, and the program a
    // command script starts.
    std::string directoryText;
    std::string scriptProgram;
};

}  // namespace lorvane
