#include "runner/internet.h"

#include <cctype>
#include <cstdlib>

#include "common/text.h"
#include "runner/run_context.h"

namespace lorvane {

const char kRunnerAgent[] = "My Session";
const char kPublicEutilsUrl[] = "https://eutils.ncbi.nlm.nih.gov";

namespace {

bool IsRetryable(long status) {
    return status == 429 || (status >= 500 && status <= 599);
}

// The wait before try `attempt` (1 for the first retry): the server's
// Retry-After in seconds where it gives one, else a doubling wait. A wait
// longer than the options allow comes back as -1: not worth waiting for.
std::chrono::milliseconds RetryWait(const HttpClientOptions& options, const HttpResponse& response,
                                    int attempt) {
    const std::string& after = response.retryAfter;
    std::chrono::milliseconds wait(static_cast<long long>(options.firstRetryWaitMilliseconds)
                                   << (attempt - 1));
    if (!after.empty() && after.find_first_not_of("0123456789") == std::string::npos)
        wait = std::chrono::seconds(after.size() > 9 ? 999999999L : std::atol(after.c_str()));
    if (wait > std::chrono::seconds(options.maxRetryWaitSeconds)) return std::chrono::milliseconds(-1);
    return wait;
}

std::string HeaderName(const std::string& header) {
    return AsciiLower(header.substr(0, header.find(':')));
}

}  // namespace

HttpClientOptions EutilsService(const std::string& mirror) {
    HttpClientOptions options;
    options.baseUrl = mirror.empty() ? kPublicEutilsUrl : mirror;
    options.userAgent = kRunnerAgent;
    options.paced = mirror.empty();
    while (!mirror.empty() && !options.baseUrl.empty() && options.baseUrl.back() == '/')
        options.baseUrl.pop_back();
    return options;
}

void Pacer::Wait(std::chrono::milliseconds interval, const Sleeper& sleep) {
    using SteadyClock = std::chrono::steady_clock;
    if (m_anyRequest) {
        const auto due = m_lastStart + interval;
        const auto now = SteadyClock::now();
        if (now < due) sleep(std::chrono::duration_cast<std::chrono::milliseconds>(due - now));
    }
    m_lastStart = SteadyClock::now();
    m_anyRequest = true;
}

bool Pacer::TakeRetryWait(std::chrono::milliseconds wait, std::chrono::seconds budget) {
    if (m_retryWaited + wait > budget) return false;
    m_retryWaited += wait;
    return true;
}

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

void HttpFile::Answered(HttpResponse response) {
    m_response = std::move(response);
    m_sent = true;
    m_failure = Status();
    m_position = 0;
}

bool HttpFile::ReadString(std::string& piece) {
    piece.clear();
    const std::string& body = m_response.body;
    if (!m_sent) {
        m_failure = Status::Error("the request was not sent");
        return false;
    }
    while (m_position < body.size() && piece.size() < kMaxPieceLength) {
        const char c = body[m_position++];
        if (c == '\r') continue;
        piece += c;
        if (c == '\n') break;
    }
    if (!piece.empty()) return true;
    if (!m_response.complete) m_failure = Status::Error(m_response.error);
    return false;
}

HttpConnection::HttpConnection(std::unique_ptr<HttpClient> client, HttpClientOptions options,
                               Pacer& pacer, Sleeper sleep)
    : m_client(std::move(client)), m_options(std::move(options)), m_pacer(pacer),
      m_sleep(std::move(sleep)) {}

Status HttpConnection::SendRequest(HttpFile& request) {
    // Who asks, and the key: every value percent-encoded but for the
    // characters a URL never needs encoded.
    auto encoded = [](const std::string& value) {
        return PercentEncode(value, [](unsigned char byte) {
            return !std::isalnum(byte) && byte != '-' && byte != '_' && byte != '.';
        });
    };
    std::string path = request.path() + "&tool=" + kServiceToolName;
    if (!m_options.email.empty()) path += "&email=" + encoded(m_options.email);
    if (!m_options.apiKey.empty()) path += "&api_key=" + encoded(m_options.apiKey);
    HttpResponse response;
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) {
            // A wait too long, or past the run's budget, hands the answer over.
            const std::chrono::milliseconds wait = RetryWait(m_options, response, attempt);
            if (wait.count() < 0 ||
                !m_pacer.TakeRetryWait(wait, std::chrono::seconds(m_options.retryBudgetSeconds)))
                break;
            m_sleep(wait);
        }
        if (m_options.paced) m_pacer.Wait(std::chrono::milliseconds(m_options.paceMilliseconds), m_sleep);
        if (!m_client->Get(path, request.headers(), response)) return Status::Error(response.error);
        if (!IsRetryable(response.status) || attempt >= m_options.retries) break;
    }
    request.Answered(std::move(response));
    return Status();
}

Status OpenConnection(RunContext& context, std::unique_ptr<HttpConnection>& connection) {
    std::unique_ptr<HttpClient> client;
    const Status created = context.platform.createHttpClient(context.service, client);
    if (!created.ok()) return created;
    connection = std::make_unique<HttpConnection>(std::move(client), context.service, context.pacer, context.sleep);
    return Status();
}

Status SendRunnerRequest(HttpConnection& connection, const std::string& path, HttpFile& request) {
    request = connection.OpenRequest(path);
    request.AddRequestHeaders("test");
    return connection.SendRequest(request);
}

bool ReadBody(HttpFile& request, std::string& body, std::size_t maxBytes) {
    std::string piece;
    const std::size_t start = body.size();
    while (request.ReadString(piece)) {
        body += piece;
        if (body.size() - start > maxBytes) {
            body.resize(start + maxBytes);
            return false;
        }
    }
    return request.failure().ok();
}

}  // namespace lorvane
