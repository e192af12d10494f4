// A scheduled run of the alert runner, in stages that follow each other:
// search the queries, fetch the records of what they found, compose the
// digest, deliver it, and record what was done.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runner/digest_writer.h"
#include "runner/run_context.h"
#include "runner/run_findings.h"
#include "runner/run_record.h"
#include "runner/sent_record.h"

namespace lorvane {

// What a scheduled run found, beyond its digest.
struct ScheduledRunTally {
    // At least one article or retraction is listed: headings alone are no
    // results to mail.
    bool anyHits = false;
    // Every query (and the search for retractions) was searched and every
    // article found is listed whole.
    bool complete = false;
    // The articles listed from records that arrived whole.
    std::vector<std::int32_t> listed;
    // The retracted articles reported, from records that arrived whole:
    // those mailed before, and those of this digest the service marks so.
    std::vector<std::int32_t> reported;
    int retractions = 0;     // entries listed as retracted since they were mailed
    bool unwatched = false;  // the search for retractions could not be made whole
    // Retractions were looked for, and every one found is listed whole.
    bool watched = false;
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

// Returns the window a run on the local day `today` searches: the past day
// or week by the clock of `context`, or from the window's start of the
// oldest run it makes up for (`missed`, at most kLongestMakeUpDays back);
// with `alreadySent` (a run that lists only new articles), from the day
// NewArticlesWindowStart gives, which covers missed runs already.
SearchWindow ChooseSearchWindow(const RunContext& context, const SentRecord* alreadySent, int today,
                                const std::vector<Moment>& missed = {});

// Searches every non-empty query slot of the settings in `context` over the
// window of `findings` and adds each query's articles to it. With
// `alreadySent`, articles in it are left out, an article is listed under
// the first query that found it only, at most a search's worth in one
// digest (newest first; the rest follow in the next runs), and a query
// that found more than one search lists is searched again for all of
// them. Calls `found` after each query that found articles.
void SearchQueries(RunContext& context, const SentRecord* alreadySent, RunFindings& findings,
                   const std::function<void()>& found);

// Lays out the digest of `findings` with `writer`: the articles retracted
// since they were mailed, a heading and the article entries for each
// query with articles, a note when some queries (or the search for
// retractions) could not be searched or some articles not fetched (or,
// `unkept` not empty, that the record of mailed articles cannot be kept
// in that folder), and the closing text. Fills `tally` and returns the
// digest.
std::string ComposeDigest(RunContext& context, RunFindings& findings, DigestWriter& writer,
                          ScheduledRunTally& tally, const std::string& unkept = std::string());

// Searches, fetches and composes: returns the digest of the run of
// `state` (see ChooseSearchWindow and SearchQueries for what only new
// articles and `missed` change; a digest that makes up for missed runs
// says so first; one whose record cannot be kept says so in its note) and
// fills `tally`. When the state is watching, the articles of its record
// retracted since they were mailed are looked for first, from the day
// RetractionWindowStart gives, and those not reported yet are listed.
std::string RunScheduledAlert(RunContext& context, const RunState& state, const std::vector<Moment>& missed,
                              ScheduledRunTally& tally);

// Runs the scheduled search of `context` from the state folder's record to
// the run log: search, fetch, compose, deliver (the digest, or a notice
// when the run could search or fetch nothing, once a day), record. Started
// `byScheduler`, it runs only when a run is due (otherwise it ends at once
// with 0, writing nothing) and makes up for the runs missed. Returns the
// process exit code (ExitStatus).
int RunScheduledSearch(RunContext& context, bool byScheduler);

}  // namespace lorvane
