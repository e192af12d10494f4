// Fetching the records of a search's hits and appending their entries.
#pragma once

#include <string>

#include "runner/search_request.h"

namespace lorvane {

// Fetches the record of each of the first `count` identifiers in `ids`
// and appends one entry per article to `digest`.
void FetchArticles(const IdentifierArray& ids, int count, std::string& digest);

}  // namespace lorvane
