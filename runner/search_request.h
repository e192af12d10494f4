// The search of one query on the E-utilities search service.
#pragma once

#include <array>
#include <cstdint>
#include <string>

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

// Returns the esearch request path for `query` (words joined by "+") and
// the window. Every character goes out as typed except blanks, sent as
// "+", and those that would change what the request means ("#", "&", "%",
// control characters and bytes outside ASCII), which are percent-encoded.
// `byEntryDate` limits by the date an article entered PubMed instead of
// its publication date.
std::string BuildSearchPath(const std::string& query, const std::string& minDate,
                            const std::string& maxDate, bool byEntryDate = false);

// Returns the identifiers of an esearch answer: every line holding "<Id>",
// with the "<Id>" and "</Id>" tags removed, read as a decimal number the
// way atoi reads one. Stores at most ids.size() of them in `ids` and
// returns how many it stored.
int ExtractIdentifiers(const std::string& answer, IdentifierArray& ids);

// Searches `query` (words joined by "+") on the service of `context` for
// articles dated from `minDate` to `maxDate` and stores the identifiers
// found, at most 50, in `ids`. With "only new articles" set, the window
// is that of the date the articles entered PubMed. Returns the number stored: 0 when the
// search found nothing or failed. Reports "not connected for Lorvane!
// update" when the request cannot be sent; tells the user when the answer
// breaks off, and uses what arrived. A search answered with an error
// status (after the retries) is reported like one that could not be sent,
// with the status. Sets `status` to what became of the search.
int SearchQuery(RunContext& context, const std::string& query, const std::string& minDate,
                const std::string& maxDate, IdentifierArray& ids, SearchStatus& status);

}  // namespace lorvane
