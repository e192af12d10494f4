// Fetching the records of a run's hits and appending their entries.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runner/article_entries.h"
#include "runner/record_fields.h"
#include "runner/search_request.h"

namespace lorvane {

struct RunContext;

// Most identifiers asked for in one efetch request.
constexpr std::size_t kBatchSize = 200;

// Largest record of one article taken in; a larger one is a read failure.
constexpr std::size_t kMaxRecordBytes = 4u * 1024u * 1024u;

// Size of a digest past which no further article is appended.
constexpr std::size_t kMaxDigestBytes = 20u * 1024u * 1024u;

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

// Fetches the records of `pmids` (distinct identifiers) from `first` on,
// from the service of `context`, in requests of kBatchSize identifiers,
// and stores the fields of each record that arrived whole in `records`;
// unless `all`, identifiers too few to fill a request are left for a later
// call. A request that cannot be sent reports "connection problem" and its
// identifiers get no entry; one whose answer breaks off reports it and
// keeps the records that arrived whole. Identifiers whose record did not
// come (left out of the answer, cut off, or an answer in another form) are
// left for FetchArticles to fetch alone. In HTML mode each record's
// citation file and script are written as soon as its batch arrived, while
// the next request waits for its turn. Returns where the identifiers not
// asked for yet begin: there, a later call goes on.
std::size_t FetchRecordBatches(RunContext& context, const std::vector<std::int32_t>& pmids,
                               std::size_t first, bool all, RecordCache& records);

// What FetchArticles did for one query's articles.
struct FetchTally {
    int listed = 0;   // entries appended
    int missed = 0;   // articles without an entry, or whose record did not arrive whole
    int leftOut = 0;  // articles not appended because the digest is full
    std::vector<std::int32_t> listedWhole;  // listed from a record that arrived whole
    std::vector<std::int32_t> listedIds;    // every article listed, in order
};

// Appends one entry per article for the first `count` identifiers in `ids`
// to `digest` (ordinals from 1), taking each record from `records` and
// fetching one that is not there alone, from the service of `context`; in
// HTML mode (`plainText` false) also writes each article's citation file
// and command script into the working directory, once a run. A body that breaks off
// reports "connection problem" and still gives an entry from what
// arrived; a request that cannot be sent reports it and ends this query's
// articles. A record over kMaxRecordBytes counts as one that broke off at
// that size. Once the digest holds kMaxDigestBytes, further articles are
// left out. Returns how many articles were listed, missed and left out.
FetchTally FetchArticles(RunContext& context, const IdentifierArray& ids, int count,
                         std::string& digest, bool plainText, RecordCache& records);

}  // namespace lorvane
