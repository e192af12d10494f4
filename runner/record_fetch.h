// The fetch stage of a run: the records of the articles its searches
// found, by batches and one by one, into its cache. No layout, no files.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runner/run_findings.h"

namespace lorvane {

struct RunContext;

// Most identifiers asked for in one efetch request.
constexpr std::size_t kBatchSize = 200;

// Largest record of one article taken in; a larger one is a read failure.
constexpr std::size_t kMaxRecordBytes = 4u * 1024u * 1024u;

// Size of a digest past which no further article is appended.
constexpr std::size_t kMaxDigestBytes = 20u * 1024u * 1024u;

// Returns the efetch request path for `pmid`, asking for the MEDLINE form.
std::string BuildFetchPath(std::int32_t pmid);

// Returns the efetch request path for the identifiers `pmids`, in order,
// comma-separated, asking for the MEDLINE form.
std::string BuildBatchFetchPath(const std::vector<std::int32_t>& pmids);

// Splits a MEDLINE answer into its records: each runs from its first line
// to a blank line, or to a second line beginning "PMID- ". Returns each
// with the identifier its PMID line names, in the order of the answer; a
// record without a PMID line is left out. When `lastMayBeCut` (the answer
// broke off), a last record not ended by a blank line is left out.
std::vector<std::pair<std::int32_t, std::string>> SplitMedlineRecords(const std::string& answer,
                                                                      bool lastMayBeCut);

class DigestWriter;

// Fetches the records of the articles in `findings` not asked for yet, from
// the service of `context`, in requests of kBatchSize identifiers, into
// its cache; unless `all`, identifiers too few to fill a request are left
// for a later call. A request that cannot be sent reports "connection
// problem" and its identifiers get no entry; one whose answer breaks off
// reports it and keeps the records that arrived whole. Identifiers whose
// record did not come (left out of the answer, cut off, or an answer in
// another form) are left for FetchArticles. `writer` hears of each batch
// as it arrives.
void FetchRecordBatches(RunContext& context, RunFindings& findings, bool all, DigestWriter& writer);

// Fetches alone, query by query (the retracted articles to report first),
// the record of each article to list that the batches did not bring. A
// body that breaks off reports "connection problem" and still gives an
// entry from what arrived; a request that cannot be sent (or the run's
// time limit) reports it and ends that query's articles. A record over kMaxRecordBytes counts as one that broke
// off at that size.
void FetchArticles(RunContext& context, RunFindings& findings);

}  // namespace lorvane
