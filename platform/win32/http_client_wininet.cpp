// The HTTP client over WinInet.
#include <windows.h>
#include <wininet.h>

#include "platform/win32/win32_error.h"
#include "common/http_client.h"

namespace lorvane {
namespace {

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : m_handle(handle) {}
    ~InternetHandle() {
        if (m_handle) InternetCloseHandle(m_handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return m_handle; }
    // Hands the handle over to a new owner.
    HINTERNET Release() {
        HINTERNET handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HINTERNET m_handle;
};

std::string DescribeInternetError(const std::string& what) {
    return DescribeWin32Error(what, GetLastError(), "wininet.dll");
}

Status InternetStatus(const std::string& what) {
    return Win32Status(what, GetLastError(), "wininet.dll");
}

// Reads a text header of the answer; empty when it has none.
std::string QueryHeader(HINTERNET request, DWORD which) {
    char value[256] = "";
    DWORD size = sizeof value;
    DWORD index = 0;
    if (!HttpQueryInfoA(request, which, value, &size, &index)) return std::string();
    return std::string(value, size);
}

// Returns the length that a Content-Length header announces; 0 when it
// announces none that can be read.
unsigned long long AnnouncedLength(const std::string& header) {
    unsigned long long length = 0;
    for (const char c : header) {
        if (c < '0' || c > '9' || length > 1000000000000ULL) return 0;
        length = length * 10 + static_cast<unsigned long long>(c - '0');
    }
    return length;
}

class WinInetHttpClient : public HttpClient {
public:
    WinInetHttpClient(const HttpClientOptions& options, HINTERNET session, HINTERNET connection,
                      bool secure)
        : m_options(options), m_session(session), m_connection(connection), m_secure(secure) {}

    bool Get(const std::string& path, const std::vector<std::string>& headers,
             HttpResponse& response) override {
        return Send("GET", path, headers, std::string(), response);
    }

    bool Post(const std::string& path, const std::string& form, HttpResponse& response) override {
        return Send("POST", path, {"Content-Type: application/x-www-form-urlencoded"}, form, response);
    }

private:
    // Sends `verb` `path` with `body` (none when empty) and reads the answer.
    bool Send(const char* verb, const std::string& path, const std::vector<std::string>& headers,
              const std::string& body, HttpResponse& response) {
        response = HttpResponse();
        DWORD flags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_KEEP_CONNECTION |
                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
        if (m_secure) flags |= INTERNET_FLAG_SECURE;
        // A form is not sent again to wherever a redirect points.
        if (!body.empty()) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
        InternetHandle request(HttpOpenRequestA(m_connection.get(), verb, path.c_str(), nullptr,
                                                nullptr, nullptr, flags, 1));
        if (!request.get()) {
            response.error = DescribeInternetError("cannot open the request");
            return false;
        }
        for (const std::string& header : headers)
            HttpAddRequestHeadersA(request.get(), header.c_str(), static_cast<DWORD>(-1),
                                   HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        if (!HttpSendRequestA(request.get(), nullptr, 0, const_cast<char*>(body.data()),
                              static_cast<DWORD>(body.size()))) {
            response.error = DescribeInternetError("cannot send the request");
            return false;
        }

        DWORD status = 0, size = sizeof status, index = 0;
        HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                       &size, &index);
        response.status = static_cast<long>(status);
        response.retryAfter = QueryHeader(request.get(), HTTP_QUERY_RETRY_AFTER);
        const std::string announced = QueryHeader(request.get(), HTTP_QUERY_CONTENT_LENGTH);

        // A whole request has a time limit: a body that trickles in keeps
        // each read alive but must not hold the run.
        const ULONGLONG limit = GetTickCount64() + static_cast<ULONGLONG>(m_options.maxTransferSeconds) * 1000;
        char buffer[16384];
        for (;;) {
            if (GetTickCount64() > limit) {
                response.error = "the answer took longer than " +
                                 std::to_string(m_options.maxTransferSeconds) + " seconds";
                return true;
            }
            DWORD got = 0;
            if (!InternetReadFile(request.get(), buffer, sizeof buffer, &got)) {
                response.error = DescribeInternetError("the answer broke off");
                return true;
            }
            if (got == 0) break;
            if (response.body.size() + got > m_options.maxBodyBytes) {
                response.error =
                    "the answer is larger than " + std::to_string(m_options.maxBodyBytes) + " bytes";
                return true;
            }
            response.body.append(buffer, got);
        }
        // WinInet ends a body that the server cut short like a whole one.
        if (AnnouncedLength(announced) > response.body.size()) {
            response.error = "the answer broke off after " + std::to_string(response.body.size()) +
                             " of " + announced + " bytes";
            return true;
        }
        response.complete = true;
        return true;
    }

    HttpClientOptions m_options;
    InternetHandle m_session;     // declared first: closed last
    InternetHandle m_connection;
    bool m_secure;
};

}  // namespace

Status CreateHttpClient(const HttpClientOptions& options, std::unique_ptr<HttpClient>& client) {
    char host[256] = "";
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    if (!InternetCrackUrlA(options.baseUrl.c_str(), 0, 0, &parts))
        return InternetStatus("cannot read the address " + options.baseUrl);
    InternetHandle session(InternetOpenA(options.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                         nullptr, nullptr, 0));
    if (!session.get()) return InternetStatus("cannot open an internet session");
    DWORD connectMs = static_cast<DWORD>(options.connectTimeoutSeconds) * 1000;
    DWORD stallMs = static_cast<DWORD>(options.stallTimeoutSeconds) * 1000;
    InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stallMs, sizeof stallMs);
    InternetSetOptionA(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &stallMs, sizeof stallMs);

    InternetHandle connection(InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection.get()) return InternetStatus("cannot connect to " + std::string(host));
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    // The connection handle is closed before the session's.
    HINTERNET connectionHandle = connection.Release();
    client = std::make_unique<WinInetHttpClient>(options, session.Release(), connectionHandle, secure);
    return Status();
}

}  // namespace lorvane
