// The search of one query on the E-utilities search service.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lorvane {

// PubMed identifiers of one search, filled from index 0.
using IdentifierArray = std::array<std::int32_t, 1000>;

// Searches `query` (words joined by "+") for articles dated from `minDate`
// to `maxDate` and stores the identifiers found, at most 50, in `ids`.
// Returns the number stored: 0 when the search found nothing or failed.
int SearchQuery(const std::string& query, const std::string& minDate,
                const std::string& maxDate, IdentifierArray& ids);

}  // namespace lorvane
