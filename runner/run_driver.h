// The alert runner's entry point and its scheduled run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/run_context.h"
#include "runner/sent_record.h"

namespace lorvane {

// Runs the alert runner for its command line, with the context of this
// process: lines on standard output and error, input from standard input,
// the public E-utilities service or the one LORVANE_EUTILS_URL names.
// "--version" and "--help" print what they say and return 0; any other
// argument that starts with "-" is a usage error. Returns the process exit
// code, as the other RunTessory.
int RunTessory(int argc, const char* const argv[]);

// Runs the alert runner in `context`. With exactly one argument it
// forwards the article of that citation file to a colleague; otherwise
// (no argument, or two or more, which are ignored) it runs the scheduled
// search. Ends quietly when the settings key is missing or, for a
// scheduled run, when alerts are off. A scheduled run adds its outcome to
// the run log, and mails a notice instead of a digest when it could search
// or fetch nothing (once a day). Returns the process exit code (ExitStatus).
int RunTessory(RunContext& context, int argc, const char* const argv[]);

// What a scheduled run found, beyond its digest.
struct ScheduledRunTally {
    // At least one article is listed: headings alone are no results to mail.
    bool anyHits = false;
    // Every query was searched and every article found is listed whole.
    bool complete = false;
    // The articles listed from records that arrived whole.
    std::vector<std::int32_t> listed;
    int queries = 0;     // non-empty query slots
    int unsearched = 0;  // queries that could not be searched
    int found = 0;       // distinct articles the searches found (new ones only, where asked)
    int articles = 0;    // entries listed in the digest
    bool timeUp = false;  // the run reached its time limit
    // New articles found were held back for the next runs: the day
    // searched through must not move past them.
    bool moreToFollow = false;
    // With citations attached: the RIS records of the articles listed, in
    // the digest's order, each once.
    std::string citations;

    // Whether the run failed as a whole: no query could be searched, or
    // none of the articles found could be fetched.
    bool NothingSearched() const { return queries > 0 && unsearched == queries; }
    bool NothingFetched() const { return found > 0 && articles == 0; }
};

// Searches every non-empty query slot of the settings in `context` for the
// window that its clock gives and returns the digest: the opening text, a
// heading and the article entries for each query with hits, and the
// closing text, with a note before it when some queries could not be
// searched or some articles not fetched. With `alreadySent` (a run that
// lists only new articles, on the local day `today`), the window runs by
// the date articles entered PubMed from the day NewArticlesWindowStart
// gives, articles in `alreadySent` are left out, an article is listed
// under the first query that found it only, and a query left with none
// gets no heading. Fills `tally`.
std::string RunScheduledAlert(RunContext& context, const SentRecord* alreadySent, int today,
                              ScheduledRunTally& tally);

}  // namespace lorvane
