#include "runner/run_driver.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "common/mail_delivery.h"
#include "common/settings_store.h"
#include "common/system_services.h"
#include "common/text.h"
#include "runner/colleague_alert.h"
#include "runner/load_alert_settings.h"
#include "runner/record_fetch.h"
#include "runner/runner_services.h"
#include "runner/search_request.h"
#include "runner/search_window.h"

namespace lorvane {
namespace {

const char kDebugCopyName[] = "debug.html";

void AppendHeading(const std::string& query, AlertFrequency frequency, bool plainText,
                   std::string& digest) {
    const bool html = !plainText;
    if (html) digest += "<br>";
    digest += "Results for the PubMed query (";
    if (html) digest += "<b>";
    digest += ReplaceChar(query, '+', ' ');
    if (html) digest += "</b>";
    digest += ") in the past ";
    digest += frequency == AlertFrequency::Daily ? "day:" : "week:";
    digest += html ? "<br><br>" : "\n\n";
}

// Keeps a copy of the digest beside the run. The copy is only for looking
// at; a failure to write it must not stop the run, but is not hidden.
void WriteDebugCopy(Console& console, const std::string& digest) {
    std::ofstream file(kDebugCopyName, std::ios::out);
    if (file) file << digest;
    if (file) file.close();
    if (!file) console.Diagnose(std::string("could not write ") + kDebugCopyName);
}

}  // namespace

std::string RunScheduledAlert(RunContext& context, bool& anyHits) {
    const AlertSettings& settings = context.settings;
    std::string digest = settings.plainText ? "" : "<span> <p>";
    const std::string windowEnd = FormatMaxDate(context.clock);
    const std::string windowStart = FormatMinDate(settings.frequency, context.clock);

    int queryCount = 0;
    for (const std::string& query : settings.queries) queryCount += query.empty() ? 0 : 1;

    anyHits = false;
    IdentifierArray ids{};
    int queryNumber = 0;
    for (const std::string& query : settings.queries) {
        if (query.empty()) continue;
        context.console.ShowProgress("query " + std::to_string(++queryNumber) + " of " +
                                     std::to_string(queryCount));
        const int count = SearchQuery(context, query, windowStart, windowEnd, ids);
        if (count <= 0) continue;
        AppendHeading(query, settings.frequency, settings.plainText, digest);
        FetchArticles(context, ids, count, digest, settings.plainText);
        anyHits = true;
    }
    context.console.EndProgress();

    digest += settings.plainText ? "\nThank you for using Lorvane!\n"
                                 : "<br>Thank you for using Lorvane!<br></span>";
    return digest;
}

int RunTessory(RunContext& context, int argc, const char* const argv[]) {
    std::string error;
    if (!InitializeProcess(error)) {
        context.console.Line("Fatal Error: MFC initialization failed");
        if (!error.empty()) context.console.Diagnose(error);
        return 1;
    }

    std::unique_ptr<SettingsStore> store = context.platform.createSettingsStore();
    if (!LoadAlertSettings(*store, context.settings, error)) {
        // A store that was never written means Lorvane was never set up:
        // nothing to do. One that exists but cannot be read is worth a word.
        if (!error.empty())
            context.console.Diagnose("cannot read the settings in " + UserSettingsLocation() +
                                     ": " + error);
        return 0;
    }
    const AlertSettings& settings = context.settings;

    if (argc == 2) {
        SendColleagueAlert(context, argv[1]);
        return 0;
    }
    if (settings.frequency == AlertFrequency::Off) return 0;

    bool anyHits = false;
    const std::string digest = RunScheduledAlert(context, anyHits);
    if (anyHits)
        SendAlertMail(context.platform.createMailComponent, context.console, settings.email,
                      settings.email, digest, settings.plainText, kPeriodicResultsMail);
    WriteDebugCopy(context.console, digest);
    context.console.Write(digest);
    return 0;
}

int RunTessory(int argc, const char* const argv[]) {
    StandardConsole console("tessory", StandardErrorIsTerminal());
    RunContext context(console, std::cin);
    const char* mirror = std::getenv("LORVANE_EUTILS_URL");
    context.service = EutilsService(mirror ? mirror : "");
    return RunTessory(context, argc, argv);
}

}  // namespace lorvane
