#include "runner/record_fetch.h"

#include "runner/article_entries.h"
#include "runner/internet.h"
#include "runner/record_fields.h"
#include "runner/run_context.h"

namespace lorvane {
namespace {

const char kConnectionProblem[] = "connection problem";

}  // namespace

std::string BuildFetchPath(std::int32_t pmid) {
    return "/entrez/eutils/efetch.fcgi?db=pubmed&id=" + std::to_string(pmid) +
           "&rettype=medline&retmode=text";
}

void FetchArticles(RunContext& context, const IdentifierArray& ids, int count, std::string& digest,
                   bool plainText) {
    std::unique_ptr<HttpConnection> connection;
    try {
        connection = OpenConnection(context);
    } catch (const InternetException&) {
        context.console.Line(kConnectionProblem);
        return;
    }

    for (int i = 0; i < count && i < static_cast<int>(ids.size()); ++i) {
        context.console.ShowProgress("article " + std::to_string(i + 1) + " of " +
                                     std::to_string(count));
        std::string response;
        try {
            HttpFile request =
                SendRunnerRequest(*connection, BuildFetchPath(ids[static_cast<std::size_t>(i)]));
            // A body that broke off still gives an entry from what arrived.
            if (!ReadBody(request, response)) context.console.Line(kConnectionProblem);
        } catch (const InternetException&) {
            context.console.Line(kConnectionProblem);
            break;
        }

        ArticleRecord record;
        record.pmid = ids[static_cast<std::size_t>(i)];
        ExtractArticleFields(response, record);
        const std::string directory = plainText ? std::string() : DirectoryText();
        AppendArticleEntry(i + 1, record, plainText, directory, digest);
        if (!plainText) WriteCitationFiles(record, directory);
    }
}

}  // namespace lorvane
