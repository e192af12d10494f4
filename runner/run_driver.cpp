#include "runner/run_driver.h"

#include <cstdio>
#include <fstream>

#include "common/mail_delivery.h"
#include "common/settings_store.h"
#include "common/system_services.h"
#include "common/text.h"
#include "runner/colleague_alert.h"
#include "runner/load_alert_settings.h"
#include "runner/progress.h"
#include "runner/record_fetch.h"
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
void WriteDebugCopy(const std::string& digest) {
    std::ofstream file(kDebugCopyName, std::ios::out);
    if (file) file << digest;
    if (file) file.close();
    if (!file) std::fprintf(stderr, "tessory: could not write %s\n", kDebugCopyName);
}

}  // namespace

std::string RunScheduledAlert(const AlertSettings& settings, Clock clock, bool& anyHits) {
    std::string digest = settings.plainText ? "" : "<span> <p>";
    const std::string windowEnd = FormatMaxDate(clock);
    const std::string windowStart = FormatMinDate(settings.frequency, clock);

    int queryCount = 0;
    for (const std::string& query : settings.queries) queryCount += query.empty() ? 0 : 1;

    anyHits = false;
    IdentifierArray ids{};
    int queryNumber = 0;
    for (const std::string& query : settings.queries) {
        if (query.empty()) continue;
        ShowProgress("query " + std::to_string(++queryNumber) + " of " + std::to_string(queryCount));
        const int count = SearchQuery(query, windowStart, windowEnd, ids);
        if (count <= 0) continue;
        AppendHeading(query, settings.frequency, settings.plainText, digest);
        FetchArticles(ids, count, digest, settings.plainText);
        anyHits = true;
    }
    EndProgress();

    digest += settings.plainText ? "\nThank you for using Lorvane!\n"
                                 : "<br>Thank you for using Lorvane!<br></span>";
    return digest;
}

int RunTessory(int argc, const char* const argv[]) {
    std::string error;
    if (!InitializeProcess(error)) {
        std::fputs("Fatal Error: MFC initialization failed\n", stdout);
        if (!error.empty()) std::fprintf(stderr, "tessory: %s\n", error.c_str());
        return 1;
    }

    AlertSettings settings;
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    if (!LoadAlertSettings(*store, settings, error)) {
        // A store that was never written means Lorvane was never set up:
        // nothing to do. One that exists but cannot be read is worth a word.
        if (!error.empty())
            std::fprintf(stderr, "tessory: cannot read the settings in %s: %s\n",
                         UserSettingsLocation().c_str(), error.c_str());
        return 0;
    }

    if (argc == 2) {
        SendColleagueAlert(argv[1], settings);
        return 0;
    }
    if (settings.frequency == AlertFrequency::Off) return 0;

    bool anyHits = false;
    const std::string digest = RunScheduledAlert(settings, SystemClock, anyHits);
    if (anyHits)
        SendAlertMail(settings.email, settings.email, digest, settings.plainText,
                      kPeriodicResultsMail);
    WriteDebugCopy(digest);
    std::fwrite(digest.data(), 1, digest.size(), stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace lorvane
