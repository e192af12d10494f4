#include "runner/record_fetch.h"

#include <cstdio>

#include "runner/article_entries.h"
#include "runner/internet.h"
#include "runner/progress.h"
#include "runner/record_fields.h"

namespace lorvane {
namespace {

void ReportConnectionProblem() {
    std::fputs("connection problem\n", stdout);
}

}  // namespace

std::string BuildFetchPath(std::int32_t pmid) {
    return "/entrez/eutils/efetch.fcgi?db=pubmed&id=" + std::to_string(pmid) +
           "&rettype=medline&retmode=text";
}

void FetchArticles(const IdentifierArray& ids, int count, std::string& digest, bool plainText) {
    InternetSession session(kRunnerAgent);
    std::unique_ptr<HttpConnection> connection;
    try {
        connection = session.GetHttpConnection(EutilsServerFromEnvironment());
    } catch (const InternetException&) {
        ReportConnectionProblem();
        return;
    }

    for (int i = 0; i < count && i < static_cast<int>(ids.size()); ++i) {
        ShowProgress("article " + std::to_string(i + 1) + " of " + std::to_string(count));
        std::string response;
        try {
            std::unique_ptr<HttpFile> request =
                SendRunnerRequest(*connection, BuildFetchPath(ids[static_cast<std::size_t>(i)]));
            if (!ReadBody(*request, response)) ReportConnectionProblem();  // and use what arrived
        } catch (const InternetException&) {
            ReportConnectionProblem();
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
