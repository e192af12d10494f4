// One HTTP request at a time against one server (libcurl on POSIX, WinInet
// on Windows): the E-utilities service's GETs, under the alert runner's
// pacing, retries and line-by-line reading, and the sign-in service's
// POSTs.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/status.h"

namespace lorvane {

// The service a client talks to, and how: where requests go, the limits of
// one transfer, and for the E-utilities service how requests are spaced
// and retried and who sends them.
struct HttpClientOptions {
    std::string baseUrl;                // scheme, host and optional port, no trailing "/"
    std::string userAgent;
    bool paced = true;                  // the public service allows 3 requests a second
    int paceMilliseconds = 350;         // from one paced request's start to the next
    int retries = 3;                    // further tries after a 429 or 5xx answer
    int firstRetryWaitMilliseconds = 1000;  // doubled for every further try
    int maxRetryWaitSeconds = 30;       // a longer Retry-After is not waited for
    int retryBudgetSeconds = 600;       // all retry waits of one run together
    int connectTimeoutSeconds = 30;
    // A body slower than this many bytes a second for the stall time has
    // failed: it catches a server that stops and one that trickles.
    int lowSpeedBytesPerSecond = 100;
    int stallTimeoutSeconds = 30;
    int maxTransferSeconds = 300;       // one request, answer included
    std::size_t maxBodyBytes = 64u * 1024u * 1024u;
    std::string apiKey;  // sent with every request when set; never shown
    // The user's address, sent with every request with the program's name
    // ("tool"): the service asks its clients to say who they are, and
    // writes to that address before it blocks one that misbehaves.
    std::string email;
};

struct HttpResponse {
    long status = 0;
    std::string retryAfter;  // the Retry-After header, if any
    std::string body;        // what arrived of the body
    bool complete = false;   // false: the body broke off; `error` says why
    std::string error;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;

    // Sends GET `path` (sent as given: it must already be a valid request
    // target) with the extra header lines `headers`, following redirects,
    // and fills `response`. Returns false with response.error set when no
    // response arrived (the server could not be reached, the request could
    // not be sent, or no answer came in time). A response whose body broke
    // off is returned with complete == false and the part that arrived.
    virtual bool Get(const std::string& path, const std::vector<std::string>& headers,
                     HttpResponse& response) = 0;

    // Sends POST `path` with `form` as its application/x-www-form-urlencoded
    // body, following no redirect, and fills `response` as Get does.
    virtual bool Post(const std::string& path, const std::string& form, HttpResponse& response) = 0;
};

// Creates a client for the server of `options` in `client`, using the
// system's proxy settings and verifying certificates. Fails when the
// platform's HTTP library cannot be set up.
Status CreateHttpClient(const HttpClientOptions& options, std::unique_ptr<HttpClient>& client);

}  // namespace lorvane
