// What a scheduled run finds and decides as it goes, stage by stage: the
// window it searches, each query's articles, and the records fetched.
// The run context says how to run; this says what the run found.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "runner/article_entries.h"
#include "runner/record_fields.h"
#include "runner/search_request.h"

namespace lorvane {

// A record of this run, as far as it was fetched.
struct FetchedRecord {
    ArticleRecord record;  // the extracted fields; raw text is not kept
    bool listed = true;    // false: no record came (not sent, an error answer), so no entry
    bool whole = true;     // false: an error answer or a cut body, fields may be missing
    bool filesWritten = false;  // its citation file and script are written for this run
    ArticleFiles files;         // which of them are there for its entry to link to
};

// The records fetched in one run, by identifier: each identifier is asked
// for once per run, and listed under every query that found it.
using RecordCache = std::map<std::int32_t, FetchedRecord>;

// The dates a run searches from and to, as the requests write them, and
// whether its PubMed links name the entry-date window of new articles.
struct SearchWindow {
    std::string start;
    std::string end;
    bool linkByEntryDate = false;
};

// One query's search and the articles it has to list.
struct QueryFindings {
    std::string query;
    SearchStatus status = SearchStatus::Failed;
    std::vector<std::int32_t> found;  // to list, in order (new ones only, where asked)
    int total = 0;      // how many the service found (new ones only, where asked)
    int following = 0;  // new articles held back for the next runs
    // Articles of `found` from here on could not be fetched: a request
    // failed or the run's time was up.
    std::size_t reachable = std::numeric_limits<std::size_t>::max();
};

struct RunFindings {
    SearchWindow window;
    // The search for retractions, when the run looks for them (`watching`):
    // its `found` are the articles mailed before and retracted since that
    // were not reported yet.
    bool watching = false;
    QueryFindings retracted;
    std::vector<QueryFindings> queries;  // every non-empty query, in order
    // The articles whose records the run fetches, each once, in the order
    // found: the retracted ones to report, then those of the queries.
    std::vector<std::int32_t> distinct;
    int found = 0;                       // distinct articles the queries found
    std::size_t asked = 0;               // of `distinct`, those asked for in batches so far
    RecordCache records;
    bool moreToFollow = false;  // new articles were held back for the next runs
};

}  // namespace lorvane
