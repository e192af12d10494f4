// The alert runner's internet access in the shape its steps use: a
// connection to the E-utilities server and requests whose bodies are read
// piece by piece. What fails returns a Status saying why. Requests to
// the public service are paced, and answers of 429 or 5xx are retried,
// before a body is handed over.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/http_client.h"
#include "common/status.h"

namespace lorvane {

struct RunContext;

// The user agent that the runner's requests send.
extern const char kRunnerAgent[];

// The name every request gives as "tool".
constexpr char kServiceToolName[] = "lorvane";

// The spacing of requests when they carry an API key: 10 a second, with a
// margin.
constexpr int kKeyedPaceMilliseconds = 110;

// The public E-utilities service.
extern const char kPublicEutilsUrl[];

// Returns the options for the service at `mirror` (a local copy or a test
// server: not paced, trailing "/" dropped), or for the public service over
// HTTPS (paced) when `mirror` is empty.
HttpClientOptions EutilsService(const std::string& mirror);

// Longest piece that ReadString hands out.
constexpr std::size_t kMaxPieceLength = 4095;

// Waits for the given time; tests hand in one that does not.
using Sleeper = std::function<void(std::chrono::milliseconds)>;

// Spaces the requests of one run: a request may start only `interval`
// after the start of the one before it; and keeps the run's retry waits
// within their budget.
class Pacer {
public:
    void Wait(std::chrono::milliseconds interval, const Sleeper& sleep);

    // Takes `wait` from a budget of `budget` for the whole run. Returns
    // false, taking nothing, when the budget does not hold it.
    bool TakeRetryWait(std::chrono::milliseconds wait, std::chrono::seconds budget);

private:
    bool m_anyRequest = false;
    std::chrono::steady_clock::time_point m_lastStart;
    std::chrono::milliseconds m_retryWaited{0};
};

// One request and, once sent, its answer.
class HttpFile {
public:
    explicit HttpFile(std::string path) : m_path(std::move(path)) {}

    // Adds a header line for the request unless it is malformed (no
    // "Name: value" form) or one of that name is there already. Returns
    // whether it was added.
    bool AddRequestHeaders(const std::string& header);

    // Sets `piece` to the next piece of the body: up to and including the
    // next line feed, carriage returns dropped, at most 4095 characters.
    // Returns false at the end of the body, and when the request was not
    // sent or the body broke off, once the part that arrived has been
    // handed out: failure() then says why.
    bool ReadString(std::string& piece);
    // Why the body ended before its end; ok while it did not.
    const Status& failure() const { return m_failure; }

    const std::string& path() const { return m_path; }
    const std::vector<std::string>& headers() const { return m_headers; }
    // The status of the answer; 0 before it was sent.
    long status() const { return m_response.status; }
    // Takes the answer to this request; reading starts at its beginning.
    void Answered(HttpResponse response);

private:
    std::string m_path;
    std::vector<std::string> m_headers;
    HttpResponse m_response;
    bool m_sent = false;
    Status m_failure;
    std::size_t m_position = 0;
};

// A connection to the run's E-utilities service: it owns the platform's
// HTTP client and sends requests paced and retried as the service's
// options say.
class HttpConnection {
public:
    HttpConnection(std::unique_ptr<HttpClient> client, HttpClientOptions options, Pacer& pacer,
                   Sleeper sleep);

    // Returns a GET request for `path` on this connection's server.
    HttpFile OpenRequest(const std::string& path) const { return HttpFile(path); }

    // Sends `request`, waiting first where pacing asks for it and trying
    // again after 429 and 5xx answers. Fails when no answer arrived.
    Status SendRequest(HttpFile& request);

private:
    std::unique_ptr<HttpClient> m_client;
    HttpClientOptions m_options;
    Pacer& m_pacer;
    Sleeper m_sleep;
};

// Opens a connection to the service of `context` into `connection`. Fails
// when the platform's HTTP client cannot be set up.
Status OpenConnection(RunContext& context, std::unique_ptr<HttpConnection>& connection);

// Sends a GET request for `path` on `connection` into `request`, with the
// runner's header line "test" (which is malformed and so never sent; the
// request goes out all the same). Fails as SendRequest does.
Status SendRunnerRequest(HttpConnection& connection, const std::string& path, HttpFile& request);

// Appends the whole body of a sent request to `body`, at most `maxBytes`
// of it. Returns false when the body broke off or went past `maxBytes`;
// what arrived before is appended all the same.
bool ReadBody(HttpFile& request, std::string& body, std::size_t maxBytes = static_cast<std::size_t>(-1));

}  // namespace lorvane
