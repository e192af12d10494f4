// The search of one query on the E-utilities search service.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lorvane {

struct RunContext;

// PubMed identifiers of one search, filled from index 0.
using IdentifierArray = std::array<std::int32_t, 1000>;

// What became of one search.
enum class SearchStatus {
    Answered,  // the whole answer arrived
    Cut,       // the answer broke off: the identifiers are those that arrived
    Failed,    // the search could not be made
};

// How many identifiers one search asks for; and the most a search for all
// of a query's articles asks for (the service's own limit).
constexpr int kSearchRetMax = 50;
constexpr int kMaxSearchAll = 10000;
// The most of a search answer that is read; more breaks it off.
constexpr std::size_t kMaxSearchAnswerBytes = 4u * 1024u * 1024u;
// A total of at least this many stands for "more than" it: PubMed holds
// far fewer articles, so the service's answer is not to be taken as read.
constexpr int kTotalBeyond = 100000000;

// Returns the esearch request path for `query` (words joined by "+") and
// the window, asking for `retmax` identifiers. Every character goes out as
// typed except blanks, sent as "+", and those that would change what the
// request means ("#", "&", "%", control characters and bytes outside
// ASCII), which are percent-encoded. The window is that of the publication
// date (mindate, maxdate), or with `byEntryDate` part of the term: the
// articles that entered PubMed in it by their entry date or their create
// date ("(QUERY)+AND+(MIN:MAX[edat]+OR+MIN:MAX[crdt])"), so that a record
// indexed long after it was published is found too.
std::string BuildSearchPath(const std::string& query, const std::string& minDate,
                            const std::string& maxDate, bool byEntryDate = false,
                            int retmax = kSearchRetMax);

// Returns the address that opens the same search, window included, on
// PubMed's web site.
std::string PubmedSearchLink(const std::string& query, const std::string& minDate,
                             const std::string& maxDate, bool byEntryDate);

// Returns the identifiers of an esearch answer: every line holding "<Id>",
// with the "<Id>" and "</Id>" tags removed, read as a decimal number the
// way atoi reads one. Stores at most ids.size() of them in `ids` and
// returns how many it stored.
int ExtractIdentifiers(const std::string& answer, IdentifierArray& ids);

// Returns how many articles an esearch answer says the search found (its
// first "<Count>"), at most kTotalBeyond, or -1 when it says nothing.
int ExtractTotal(const std::string& answer);

// Searches `query` (words joined by "+") on the service of `context` for
// articles dated from `minDate` to `maxDate` and stores the identifiers
// found, at most 50, newest first, in `ids`. With "only new articles" set,
// the window is that of the date the articles entered PubMed. Returns the
// number stored: 0 when the search found nothing or failed; `total`, when
// given, gets how many the service found (at least the number stored).
// Reports "not connected for Lorvane! update" when the request cannot be
// sent, with the service's reason on the diagnostics; tells the user when
// the answer breaks off, and uses what arrived. A search answered with an
// error status (after the retries) is reported like one that could not be
// sent, with the status. Sets `status` to what became of the search.
int SearchQuery(RunContext& context, const std::string& query, const std::string& minDate,
                const std::string& maxDate, IdentifierArray& ids, SearchStatus& status,
                int* total = nullptr);

// Most identifiers one search for retracted articles takes in, by pages of
// kMaxSearchAll.
constexpr int kMaxRetractedIds = 100000;

// Returns the esearch request path for the articles PubMed marks as
// retracted ("retracted publication"[pt]) whose record changed from
// `minDate` to `maxDate` (YYYY/MM/DD), kMaxSearchAll of them from
// `retstart`.
std::string BuildRetractionSearchPath(const std::string& minDate, const std::string& maxDate, int retstart = 0);

// Searches the service of `context` for all the articles marked as
// retracted whose record changed from `minDate` to `maxDate`, by pages,
// and returns their identifiers. Reports and sets `status` as SearchQuery
// does; an answer without a count is Failed, and more than
// kMaxRetractedIds, a page that adds none, or the run's time limit before
// the last page is Cut.
std::vector<std::int32_t> SearchRetractions(RunContext& context, const std::string& minDate,
                                            const std::string& maxDate, SearchStatus& status);

// Searches `query` as SearchQuery does for all of the `total` articles it
// found (at most kMaxSearchAll, newest first) and returns their
// identifiers; reports and sets `status` as SearchQuery does.
std::vector<std::int32_t> SearchAllOf(RunContext& context, const std::string& query,
                                      const std::string& minDate, const std::string& maxDate, int total,
                                      SearchStatus& status);

}  // namespace lorvane
