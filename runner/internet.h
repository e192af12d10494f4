// The alert runner's internet access in the shape its steps use: a
// session, a connection to the E-utilities server, requests whose bodies
// are read piece by piece. Failures are raised as InternetException.
// Requests to the public service are paced, and answers of 429 or 5xx are
// retried, before a body is handed over.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

#include "runner/http_client.h"

namespace lorvane {

// The one failure type of the internet classes.
class InternetException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Longest piece that ReadString hands out.
constexpr std::size_t kMaxPieceLength = 4095;

// Where the E-utilities requests go.
struct EutilsServer {
    std::string baseUrl;  // scheme, host and optional port
    bool paced = true;    // the public service allows 3 requests a second
};

// Returns the server named by LORVANE_EUTILS_URL (not paced), or the
// public service over HTTPS (paced).
EutilsServer EutilsServerFromEnvironment();

// How requests are spaced and retried.
struct InternetPolicy {
    int paceMilliseconds = 350;  // from one paced request's start to the next
    int retries = 3;             // further tries after a 429 or 5xx answer
    int firstRetryWaitMilliseconds = 1000;  // doubled for every further try
    int maxRetryWaitSeconds = 60;           // cap on a server's Retry-After
    int connectTimeoutSeconds = 30;
    int stallTimeoutSeconds = 30;
    std::size_t maxBodyBytes = 64u * 1024u * 1024u;
};

class HttpFile {
public:
    HttpFile(HttpClient& client, const EutilsServer& server, const InternetPolicy& policy,
             std::string path);

    // Adds a header line for the request unless it is malformed (no
    // "Name: value" form) or one of that name is there already. Returns
    // whether it was added.
    bool AddRequestHeaders(const std::string& header);

    // Sends the request, waiting first where pacing asks for it and trying
    // again after 429 and 5xx answers. Throws InternetException when no
    // answer arrived.
    void SendRequest();

    // Sets `piece` to the next piece of the body: up to and including the
    // next line feed, carriage returns dropped, at most 4095 characters.
    // Returns false at the end of the body. Throws InternetException when
    // the body broke off, once the part that arrived has been handed out.
    bool ReadString(std::string& piece);

private:
    HttpClient& m_client;
    const EutilsServer& m_server;
    const InternetPolicy& m_policy;
    std::string m_path;
    std::vector<std::string> m_headers;
    HttpResponse m_response;
    bool m_sent = false;
    bool m_failureReported = false;
    std::size_t m_position = 0;
};

class HttpConnection {
public:
    HttpConnection(HttpClient& client, EutilsServer server, const InternetPolicy& policy);

    // Opens a GET request for `path` on this connection's server.
    std::unique_ptr<HttpFile> OpenRequest(const std::string& path);

private:
    HttpClient& m_client;
    EutilsServer m_server;
    const InternetPolicy& m_policy;
};

class InternetSession {
public:
    // A session that sends `agent` as its user agent.
    explicit InternetSession(std::string agent, InternetPolicy policy = InternetPolicy());

    // Opens a connection to `server`. Throws InternetException when the
    // platform's HTTP client cannot be set up.
    std::unique_ptr<HttpConnection> GetHttpConnection(const EutilsServer& server);

private:
    std::string m_agent;
    InternetPolicy m_policy;
    std::unique_ptr<HttpClient> m_client;
};

// Opens a GET request for `path` on `connection`, adds the runner's
// header line "test" (which is malformed and so never sent; the request
// goes out all the same) and sends it. Throws InternetException.
std::unique_ptr<HttpFile> SendRunnerRequest(HttpConnection& connection, const std::string& path);

// Appends the whole body of a sent request to `body`. Returns false when
// the body broke off; what arrived before is appended all the same.
bool ReadBody(HttpFile& request, std::string& body);

}  // namespace lorvane
