#include "runner/search_request.h"

#include <algorithm>
#include <cctype>

#include "common/text.h"
#include "runner/internet.h"
#include "runner/run_context.h"
#include "runner/runner_services.h"

namespace lorvane {
namespace {

const char kLostConnectionText[] =
    "You must be connected to the internet in order to download an update!";

// The bytes of a query that would change what the request means.
bool ChangesTheRequest(unsigned char byte) {
    return byte == '#' || byte == '&' || byte == '%' || byte < 0x20 || byte >= 0x7F;
}

// Calls `take` with each identifier of `answer` in order (every line
// holding "<Id>", read the way atoi reads a number) while it returns true.
template <typename Take>
void ForEachIdentifier(const std::string& answer, Take take) {
    for (const std::string& token : SplitLines(answer)) {
        if (token.find("<Id>") == std::string::npos) continue;
        if (!take(ReadLikeAtoi(RemoveAll(RemoveAll(token, "<Id>"), "</Id>")))) return;
    }
}

// Sends the search at `path` and puts what arrived of its answer into
// `answer`. Reports a failure as SearchQuery says, and sets `status`.
void AskSearch(RunContext& context, const std::string& path, std::string& answer, SearchStatus& status) {
    status = SearchStatus::Answered;
    answer.clear();
    std::unique_ptr<HttpConnection> connection;
    HttpFile request(path);
    Status sent = OpenConnection(context, connection);
    if (sent.ok()) sent = SendRunnerRequest(*connection, path, request);
    if (!sent.ok()) {
        context.console.Line("not connected for Lorvane! update");
        context.console.Diagnose("the search could not be sent: " + sent.message());
        status = SearchStatus::Failed;
        return;
    }
    if (request.status() != 200) {
        context.console.Line("not connected for Lorvane! update (the service answered " +
                             std::to_string(request.status()) + ")");
        status = SearchStatus::Failed;
        return;
    }
    // A search answer is bounded as a record is: ten thousand identifiers
    // take some 200 KB.
    if (!ReadBody(request, answer, kMaxSearchAnswerBytes)) {
        status = SearchStatus::Cut;
        if (!context.platform.showConnectionMessageBox(kLostConnectionText))
            context.console.Line(kLostConnectionText);
        // The last line broke off: "<Id>1800" of "<Id>18000003</Id>"
        // would search for another article.
        const std::size_t lastLineFeed = answer.rfind('\n');
        answer.erase(lastLineFeed == std::string::npos ? 0 : lastLineFeed + 1);
    }
}

// The window as the search term names it: the articles that entered
// PubMed from `minDate` to `maxDate`, by entry or by create date.
std::string EnteredWindow(const std::string& minDate, const std::string& maxDate) {
    const std::string range = minDate + ":" + maxDate;
    return "(" + range + "[edat]+OR+" + range + "[crdt])";
}

}  // namespace

std::string BuildSearchPath(const std::string& query, const std::string& minDate,
                            const std::string& maxDate, bool byEntryDate, int retmax) {
    const std::string term = PercentEncode(ReplaceChar(query, ' ', '+'), ChangesTheRequest);
    std::string path = "/entrez/eutils/esearch.fcgi?db=pubmed&term=";
    path += byEntryDate ? "(" + term + ")+AND+" + EnteredWindow(minDate, maxDate) : term;
    path += "&fulltext[filter]";
    path += "&retmax=" + std::to_string(retmax);
    if (!byEntryDate) path += "&mindate=" + minDate + "&maxdate=" + maxDate;
    return path;
}

std::string BuildRetractionSearchPath(const std::string& minDate, const std::string& maxDate, int retstart) {
    // Dated by the day a record last changed: the day the service marked
    // it retracted, however long ago it was published.
    std::string path = "/entrez/eutils/esearch.fcgi?db=pubmed&term=%22retracted+publication%22[pt]"
                       "&datetype=mdat&mindate=" + minDate + "&maxdate=" + maxDate +
                       "&retmax=" + std::to_string(kMaxSearchAll);
    return retstart > 0 ? path + "&retstart=" + std::to_string(retstart) : path;
}

std::string PubmedSearchLink(const std::string& query, const std::string& minDate,
                             const std::string& maxDate, bool byEntryDate) {
    const std::string window =
        byEntryDate ? EnteredWindow(minDate, maxDate) : "(" + minDate + ":" + maxDate + "[dp])";
    const std::string term = "(" + ReplaceChar(query, ' ', '+') + ")+AND+" + window;
    return "https://pubmed.ncbi.nlm.nih.gov/?term=" +
           PercentEncode(term, [](unsigned char byte) {
               return !std::isalnum(byte) && byte != '+' && byte != '-' && byte != '_' && byte != '.';
           });
}

int ExtractIdentifiers(const std::string& answer, IdentifierArray& ids) {
    int count = 0;
    ForEachIdentifier(answer, [&](std::int32_t id) {
        if (count >= static_cast<int>(ids.size())) return false;
        ids[static_cast<std::size_t>(count++)] = id;
        return true;
    });
    return count;
}

int ExtractTotal(const std::string& answer) {
    // The result's own count comes first; those of its translation come later.
    const std::size_t at = answer.find("<Count>");
    if (at == std::string::npos) return -1;
    // More than PubMed holds is not a count to do sums with.
    const std::string digits = answer.substr(at + 7, answer.find_first_not_of("0123456789", at + 7) - at - 7);
    return digits.size() > 9 ? kTotalBeyond : std::min(std::max(0, ReadLikeAtoi(digits)), kTotalBeyond);
}

int SearchQuery(RunContext& context, const std::string& query, const std::string& minDate,
                const std::string& maxDate, IdentifierArray& ids, SearchStatus& status, int* total) {
    std::string answer;
    AskSearch(context, BuildSearchPath(QueryTextAsUtf8(query), minDate, maxDate, context.settings.onlyNew),
              answer, status);
    // However many the answer lists, a search gives what it asked for.
    const int count = std::min(ExtractIdentifiers(answer, ids), kSearchRetMax);
    if (total) *total = std::max(count, ExtractTotal(answer));
    return count;
}

std::vector<std::int32_t> SearchRetractions(RunContext& context, const std::string& minDate,
                                            const std::string& maxDate, SearchStatus& status) {
    std::vector<std::int32_t> ids;
    for (int total = -1;;) {
        std::string answer;
        const std::size_t before = ids.size();
        AskSearch(context, BuildRetractionSearchPath(minDate, maxDate, static_cast<int>(before)), answer, status);
        if (before == 0) total = ExtractTotal(answer);
        if (status == SearchStatus::Answered && total < 0) {
            context.console.Diagnose("the search for retracted articles was answered without a count");
            status = SearchStatus::Failed;
        }
        ForEachIdentifier(answer, [&](std::int32_t id) {
            ids.push_back(id);
            return ids.size() - before < static_cast<std::size_t>(kMaxSearchAll);
        });
        if (status != SearchStatus::Answered || static_cast<int>(ids.size()) >= total) return ids;
        if (ids.size() == before || ids.size() >= static_cast<std::size_t>(kMaxRetractedIds) || context.TimeIsUp()) {
            status = SearchStatus::Cut;
            return ids;
        }
    }
}

std::vector<std::int32_t> SearchAllOf(RunContext& context, const std::string& query,
                                      const std::string& minDate, const std::string& maxDate, int total,
                                      SearchStatus& status) {
    std::string answer;
    AskSearch(context,
              BuildSearchPath(QueryTextAsUtf8(query), minDate, maxDate, context.settings.onlyNew,
                              std::min(total, kMaxSearchAll)),
              answer, status);
    std::vector<std::int32_t> ids;
    ForEachIdentifier(answer, [&](std::int32_t id) {
        ids.push_back(id);
        return static_cast<int>(ids.size()) < kMaxSearchAll;
    });
    return ids;
}

}  // namespace lorvane
