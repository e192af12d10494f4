#include "runner/internet.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace lorvane {
namespace {

const char kPublicEutils[] = "https://eutils.ncbi.nlm.nih.gov";

using SteadyClock = std::chrono::steady_clock;

// Start of the last paced request of this process.
SteadyClock::time_point g_lastPacedStart;
bool g_anyPacedRequest = false;

void WaitForPace(const InternetPolicy& policy) {
    const auto interval = std::chrono::milliseconds(policy.paceMilliseconds);
    if (g_anyPacedRequest) {
        const auto due = g_lastPacedStart + interval;
        const auto now = SteadyClock::now();
        if (now < due) std::this_thread::sleep_for(due - now);
    }
    g_lastPacedStart = SteadyClock::now();
    g_anyPacedRequest = true;
}

bool IsRetryable(long status) {
    return status == 429 || (status >= 500 && status <= 599);
}

// The wait before try `attempt` (1 for the first retry): the server's
// Retry-After in seconds where it gives one, else a doubling wait.
std::chrono::milliseconds RetryWait(const InternetPolicy& policy, const HttpResponse& response,
                                    int attempt) {
    const std::string& after = response.retryAfter;
    if (!after.empty() && after.find_first_not_of("0123456789") == std::string::npos) {
        const long seconds = after.size() > 6 ? policy.maxRetryWaitSeconds : std::atol(after.c_str());
        return std::chrono::seconds(seconds < policy.maxRetryWaitSeconds ? seconds
                                                                         : policy.maxRetryWaitSeconds);
    }
    return std::chrono::milliseconds(static_cast<long long>(policy.firstRetryWaitMilliseconds)
                                     << (attempt - 1));
}

std::string HeaderName(const std::string& header) {
    std::string name = header.substr(0, header.find(':'));
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace

EutilsServer EutilsServerFromEnvironment() {
    const char* mirror = std::getenv("LORVANE_EUTILS_URL");
    if (mirror && *mirror) {
        std::string base = mirror;
        while (!base.empty() && base.back() == '/') base.pop_back();
        return EutilsServer{base, false};
    }
    return EutilsServer{kPublicEutils, true};
}

HttpFile::HttpFile(HttpClient& client, const EutilsServer& server, const InternetPolicy& policy,
                   std::string path)
    : m_client(client), m_server(server), m_policy(policy), m_path(std::move(path)) {}

bool HttpFile::AddRequestHeaders(const std::string& header) {
    const std::size_t colon = header.find(':');
    if (colon == std::string::npos || colon == 0 ||
        header.find_first_of("\r\n") != std::string::npos ||
        header.find(' ') < colon)
        return false;
    const std::string name = HeaderName(header);
    for (const std::string& existing : m_headers)
        if (HeaderName(existing) == name) return false;
    m_headers.push_back(header);
    return true;
}

void HttpFile::SendRequest() {
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(RetryWait(m_policy, m_response, attempt));
        if (m_server.paced) WaitForPace(m_policy);
        if (!m_client.Get(m_path, m_headers, m_response)) throw InternetException(m_response.error);
        if (!IsRetryable(m_response.status) || attempt >= m_policy.retries) break;
    }
    m_sent = true;
    m_position = 0;
}

bool HttpFile::ReadString(std::string& piece) {
    piece.clear();
    const std::string& body = m_response.body;
    if (!m_sent) throw InternetException("the request was not sent");
    while (m_position < body.size() && piece.size() < kMaxPieceLength) {
        const char c = body[m_position++];
        if (c == '\r') continue;
        piece += c;
        if (c == '\n') break;
    }
    if (!piece.empty()) return true;
    if (!m_response.complete && !m_failureReported) {
        m_failureReported = true;
        throw InternetException(m_response.error);
    }
    return false;
}

HttpConnection::HttpConnection(HttpClient& client, EutilsServer server,
                               const InternetPolicy& policy)
    : m_client(client), m_server(std::move(server)), m_policy(policy) {}

std::unique_ptr<HttpFile> HttpConnection::OpenRequest(const std::string& path) {
    return std::make_unique<HttpFile>(m_client, m_server, m_policy, path);
}

InternetSession::InternetSession(std::string agent, InternetPolicy policy)
    : m_agent(std::move(agent)), m_policy(policy) {}

std::unique_ptr<HttpConnection> InternetSession::GetHttpConnection(const EutilsServer& server) {
    HttpClientOptions options;
    options.baseUrl = server.baseUrl;
    options.userAgent = m_agent;
    options.connectTimeoutSeconds = m_policy.connectTimeoutSeconds;
    options.stallTimeoutSeconds = m_policy.stallTimeoutSeconds;
    options.maxBodyBytes = m_policy.maxBodyBytes;
    std::string error;
    m_client = CreateHttpClient(options, error);
    if (!m_client) throw InternetException(error);
    return std::make_unique<HttpConnection>(*m_client, server, m_policy);
}

std::unique_ptr<HttpFile> SendRunnerRequest(HttpConnection& connection, const std::string& path) {
    std::unique_ptr<HttpFile> request = connection.OpenRequest(path);
    request->AddRequestHeaders("test");
    request->SendRequest();
    return request;
}

bool ReadBody(HttpFile& request, std::string& body) {
    try {
        std::string piece;
        while (request.ReadString(piece)) body += piece;
        return true;
    } catch (const InternetException&) {
        return false;
    }
}

}  // namespace lorvane
