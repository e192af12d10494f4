// Fetching the records of a search's hits and appending their entries.
#pragma once

#include <string>

#include "runner/search_request.h"

namespace lorvane {

struct RunContext;

// Returns the efetch request path for `pmid`, asking for the MEDLINE form.
std::string BuildFetchPath(std::int32_t pmid);

// Fetches the record of each of the first `count` identifiers in `ids`
// from the service of `context`, one request each on one connection, extracts its fields and appends
// one entry per article to `digest` (ordinals from 1); in HTML mode
// (`plainText` false) also writes each article's citation file and command
// script into the working directory. A body that breaks off reports
// "connection problem" and still gives an entry from what arrived; a
// request that cannot be sent reports it and ends this query's articles.
void FetchArticles(RunContext& context, const IdentifierArray& ids, int count, std::string& digest,
                   bool plainText);

}  // namespace lorvane
