#include "runner/record_fetch.h"

#include <algorithm>

#include "common/text.h"
#include "runner/digest_writer.h"
#include "runner/internet.h"
#include "runner/run_context.h"

namespace lorvane {
namespace {

const char kConnectionProblem[] = "connection problem";
const char kFetchPath[] = "/entrez/eutils/efetch.fcgi?db=pubmed&id=";
const char kMedlineForm[] = "&rettype=medline&retmode=text";

// Says that records could not be fetched, and the service's reason.
// Returns whether `status` is a success.
bool Reported(Console& console, const Status& status) {
    if (status.ok()) return true;
    console.Line(kConnectionProblem);
    console.Diagnose("the records could not be fetched: " + status.message());
    return false;
}

// Opens the run's connection to the service when it is not open yet.
// Returns false, having reported it, when it cannot be opened.
bool Connect(RunContext& context, std::unique_ptr<HttpConnection>& connection) {
    return connection || Reported(context.console, OpenConnection(context, connection));
}

// Sends the request at `path` and reads its answer into `answer`, with its
// status; `complete` tells whether the body arrived whole (a cut one is
// reported). Returns false, having reported it, when the request could
// not be sent.
bool Ask(RunContext& context, HttpConnection& connection, const std::string& path,
         std::string& answer, bool& complete, long& status) {
    HttpFile request(path);
    if (!Reported(context.console, SendRunnerRequest(connection, path, request))) return false;
    complete = ReadBody(request, answer);
    status = request.status();
    if (!complete) context.console.Line(kConnectionProblem);
    return true;
}

// Takes the answer to the request for the record of `pmid` alone into
// `records`. It gives an entry only with status 200 and a record of a
// known form, and counts as whole only when it also arrived complete and
// within kMaxRecordBytes; a larger one is cut there and reported as a
// read failure.
void TakeSingleAnswer(Console& console, RecordCache& records, std::int32_t pmid,
                      std::string& answer, bool complete, long status, bool withAbstract) {
    if (answer.size() > kMaxRecordBytes) {
        answer.resize(kMaxRecordBytes);
        if (complete) console.Line(kConnectionProblem);
        complete = false;
    }
    FetchedRecord& fetched = records[pmid];
    fetched.record.pmid = pmid;
    // An error answer, or one holding no record, gives no entry: an entry
    // of blank fields would tell the reader nothing.
    fetched.listed = status == 200 && DetectRecordForm(answer) != RecordForm::Unknown;
    fetched.whole = complete && fetched.listed;
    if (fetched.listed) ExtractArticleFields(answer, fetched.record, withAbstract);
}

// Fetches one batch into `records`.
void FetchBatch(RunContext& context, HttpConnection& connection,
                const std::vector<std::int32_t>& batch, RecordCache& records) {
    std::string answer;
    bool whole = true;
    long status = 0;
    if (!Ask(context, connection, BuildBatchFetchPath(batch), answer, whole, status)) {
        for (const std::int32_t pmid : batch) records[pmid].listed = false;
        return;
    }
    // A batch of one is the record's own request: its answer is taken as
    // that, whatever it holds, rather than asked for twice.
    if (batch.size() == 1) {
        TakeSingleAnswer(context.console, records, batch.front(), answer, whole, status,
                         context.settings.digest.abstracts);
        return;
    }
    // Only the MEDLINE form can be split into its records; the identifiers
    // of any other answer are fetched one by one.
    if (DetectRecordForm(answer) != RecordForm::Medline) return;
    for (auto& [pmid, text] : SplitMedlineRecords(answer, !whole)) {
        const bool asked = std::find(batch.begin(), batch.end(), pmid) != batch.end();
        // An oversized record is left for its own request, which cuts it.
        if (!asked || records.count(pmid) || text.size() > kMaxRecordBytes) continue;
        FetchedRecord& fetched = records[pmid];
        fetched.record.pmid = pmid;
        ExtractArticleFields(text, fetched.record, context.settings.digest.abstracts);
    }
}

}  // namespace

std::string BuildFetchPath(std::int32_t pmid) {
    return kFetchPath + std::to_string(pmid) + kMedlineForm;
}

std::string BuildBatchFetchPath(const std::vector<std::int32_t>& pmids) {
    std::string path = kFetchPath;
    for (std::size_t i = 0; i < pmids.size(); ++i) path += (i ? "," : "") + std::to_string(pmids[i]);
    return path + kMedlineForm;
}

std::vector<std::pair<std::int32_t, std::string>> SplitMedlineRecords(const std::string& answer,
                                                                      bool lastMayBeCut) {
    std::vector<std::pair<std::int32_t, std::string>> records;
    std::size_t start = std::string::npos;  // where the record being read begins
    std::int32_t pmid = 0;                  // what its PMID line says, 0 before one
    auto close = [&](std::size_t end) {
        // A record without its PMID line is nobody's: its article, not
        // matched, is fetched alone.
        if (start != std::string::npos && pmid > 0) records.emplace_back(pmid, answer.substr(start, end - start));
        start = std::string::npos;
        pmid = 0;
    };
    for (std::size_t at = 0; at < answer.size();) {
        std::size_t end = answer.find('\n', at);
        end = end == std::string::npos ? answer.size() : end + 1;
        const bool blank = answer.find_first_not_of("\r\n \t", at) >= end;
        const bool pmidLine = answer.compare(at, 6, "PMID- ") == 0;
        // Records end at a blank line; a second PMID line starts another.
        if (blank || (pmidLine && pmid > 0)) close(at);
        if (!blank && start == std::string::npos) start = at;
        if (pmidLine) pmid = ReadLikeAtoi(answer.substr(at + 6, end - at - 6));
        at = end;
    }
    // In an answer that broke off, a record not ended by a blank line may
    // be cut short.
    if (!(lastMayBeCut && pmid > 0)) close(answer.size());
    return records;
}

void FetchRecordBatches(RunContext& context, RunFindings& findings, bool all, DigestWriter& writer) {
    const std::vector<std::int32_t>& pmids = findings.distinct;
    std::unique_ptr<HttpConnection> connection;
    for (std::size_t& first = findings.asked; first < pmids.size() && (all || pmids.size() - first >= kBatchSize);
         first += kBatchSize) {
        if (context.TimeIsUp() || !Connect(context, connection)) return;
        const std::size_t last = std::min(pmids.size(), first + kBatchSize);
        context.console.ShowProgress("records " + std::to_string(first + 1) + " to " + std::to_string(last) +
                                     (all ? " of " + std::to_string(pmids.size()) : std::string()));
        const std::vector<std::int32_t> batch(pmids.begin() + static_cast<std::ptrdiff_t>(first),
                                              pmids.begin() + static_cast<std::ptrdiff_t>(last));
        FetchBatch(context, *connection, batch, findings.records);
        writer.RecordsArrived(batch, findings.records);
    }
}

void FetchArticles(RunContext& context, RunFindings& findings) {
    std::vector<QueryFindings*> lists{&findings.retracted};
    for (QueryFindings& query : findings.queries) lists.push_back(&query);
    for (QueryFindings* list : lists) {
        QueryFindings& query = *list;
        std::unique_ptr<HttpConnection> connection;
        for (std::size_t i = 0; i < query.found.size(); ++i) {
            const std::int32_t pmid = query.found[i];
            if (findings.records.count(pmid)) continue;
            if (context.TimeIsUp() || !Connect(context, connection)) {
                query.reachable = i;
                break;
            }
            context.console.ShowProgress("article " + std::to_string(i + 1) + " of " +
                                         std::to_string(query.found.size()));
            std::string response;
            bool complete = false;
            long status = 0;
            if (!Ask(context, *connection, BuildFetchPath(pmid), response, complete, status)) {
                findings.records[pmid].listed = false;
                query.reachable = i;
                break;
            }
            // A body that broke off still gives an entry from what arrived.
            TakeSingleAnswer(context.console, findings.records, pmid, response, complete, status,
                             context.settings.digest.abstracts);
        }
    }
}

}  // namespace lorvane
