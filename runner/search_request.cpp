#include "runner/search_request.h"

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

}  // namespace

std::string BuildSearchPath(const std::string& query, const std::string& minDate,
                            const std::string& maxDate, bool byEntryDate) {
    std::string path = "/entrez/eutils/esearch.fcgi?db=pubmed&term=";
    path += PercentEncode(ReplaceChar(query, ' ', '+'), ChangesTheRequest);
    path += "&fulltext[filter]";
    path += "&retmax=50";
    path += "&mindate=" + minDate;
    path += "&maxdate=" + maxDate;
    if (byEntryDate) path += "&datetype=edat";
    return path;
}

int ExtractIdentifiers(const std::string& answer, IdentifierArray& ids) {
    int count = 0;
    for (const std::string& token : SplitLines(answer)) {
        if (token.find("<Id>") == std::string::npos) continue;
        if (count >= static_cast<int>(ids.size())) break;
        ids[static_cast<std::size_t>(count++)] =
            ReadLikeAtoi(RemoveAll(RemoveAll(token, "<Id>"), "</Id>"));
    }
    return count;
}

int SearchQuery(RunContext& context, const std::string& query, const std::string& minDate,
                const std::string& maxDate, IdentifierArray& ids, SearchStatus& status) {
    status = SearchStatus::Answered;
    std::string answer;
    try {
        std::unique_ptr<HttpConnection> connection = OpenConnection(context);
        HttpFile request = SendRunnerRequest(
            *connection, BuildSearchPath(QueryTextAsUtf8(query), minDate, maxDate,
                                        context.settings.onlyNew));
        if (request.status() != 200) {
            context.console.Line("not connected for Lorvane! update (the service answered " +
                                 std::to_string(request.status()) + ")");
            status = SearchStatus::Failed;
            return 0;
        }
        if (!ReadBody(request, answer)) {
            status = SearchStatus::Cut;
            if (!context.platform.showConnectionMessageBox(kLostConnectionText))
                context.console.Line(kLostConnectionText);
            // The last line broke off: "<Id>1800" of "<Id>18000003</Id>"
            // would search for another article.
            const std::size_t lastLineFeed = answer.rfind('\n');
            answer.erase(lastLineFeed == std::string::npos ? 0 : lastLineFeed + 1);
        }
    } catch (const InternetException& failure) {
        context.console.Line("not connected for Lorvane! update");
        context.console.Diagnose(std::string("the search could not be sent: ") + failure.what());
        status = SearchStatus::Failed;
        return 0;
    }
    return ExtractIdentifiers(answer, ids);
}

}  // namespace lorvane
