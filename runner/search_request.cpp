#include "runner/search_request.h"

#include <cstdio>

#include "common/text.h"
#include "runner/internet.h"
#include "runner/runner_services.h"

namespace lorvane {

const char kRunnerAgent[] = "My Session";

namespace {

const char kLostConnectionText[] =
    "You must be connected to the internet in order to download an update!";

void AppendQueryText(const std::string& query, std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    for (const char c : query) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == ' ') {
            path += '+';
        } else if (c == '#' || c == '&' || c == '%' || byte < 0x20 || byte >= 0x7F) {
            path += '%';
            path += kHex[byte >> 4];
            path += kHex[byte & 0xF];
        } else {
            path += c;
        }
    }
}

}  // namespace

std::string BuildSearchPath(const std::string& query, const std::string& minDate,
                            const std::string& maxDate) {
    std::string path = "/entrez/eutils/esearch.fcgi?db=pubmed&term=";
    AppendQueryText(query, path);
    path += "&fulltext[filter]";
    path += "&retmax=50";
    path += "&mindate=" + minDate;
    path += "&maxdate=" + maxDate;
    return path;
}

int ExtractIdentifiers(const std::string& answer, IdentifierArray& ids) {
    int count = 0;
    std::size_t start = 0;
    while (start < answer.size()) {
        std::size_t end = answer.find('\n', start);
        if (end == std::string::npos) end = answer.size();
        const std::string token = answer.substr(start, end - start);
        start = end + 1;
        if (token.find("<Id>") == std::string::npos) continue;
        if (count >= static_cast<int>(ids.size())) break;
        ids[static_cast<std::size_t>(count++)] =
            ReadLikeAtoi(RemoveAll(RemoveAll(token, "<Id>"), "</Id>"));
    }
    return count;
}

int SearchQuery(const std::string& query, const std::string& minDate,
                const std::string& maxDate, IdentifierArray& ids) {
    std::string answer;
    InternetSession session(kRunnerAgent);
    try {
        std::unique_ptr<HttpConnection> connection =
            session.GetHttpConnection(EutilsServerFromEnvironment());
        std::unique_ptr<HttpFile> request =
            SendRunnerRequest(*connection, BuildSearchPath(query, minDate, maxDate));
        if (!ReadBody(*request, answer)) {
            ShowConnectionMessage(kLostConnectionText);
            // The last line broke off: "<Id>1800" of "<Id>18000003</Id>"
            // would search for another article.
            const std::size_t lastLineFeed = answer.rfind('\n');
            answer.erase(lastLineFeed == std::string::npos ? 0 : lastLineFeed + 1);
        }
    } catch (const InternetException&) {
        std::fputs("not connected for Lorvane! update\n", stdout);
        return 0;
    }
    return ExtractIdentifiers(answer, ids);
}

}  // namespace lorvane
