// The HTTP client over libcurl.
#include <memory>

#include "common/curl_support.h"
#include "common/text.h"
#include "common/http_client.h"

namespace lorvane {
namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        if (AsciiLower(text[i]) != prefix[i]) return false;
    }
    return true;
}

struct Transfer {
    HttpResponse* response;
    std::size_t maxBody;
    bool tooLarge = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer.response->body.size() + bytes > transfer.maxBody) {
        transfer.tooLarge = true;
        return 0;  // makes libcurl stop with a write error
    }
    transfer.response->body.append(data, bytes);
    return bytes;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    std::string line(data, bytes);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (StartsWithIgnoringCase(line, "http/")) {
        // A new response (after a redirect or a 100 Continue) starts afresh.
        transfer.response->retryAfter.clear();
        transfer.response->body.clear();
    } else if (StartsWithIgnoringCase(line, "retry-after:")) {
        std::string value = line.substr(12);
        const std::size_t begin = value.find_first_not_of(" \t");
        transfer.response->retryAfter = begin == std::string::npos ? "" : value.substr(begin);
    }
    return bytes;
}

class CurlHttpClient : public HttpClient {
public:
    CurlHttpClient(const HttpClientOptions& options, CurlHandle handle)
        : m_options(options), m_handle(std::move(handle)) {}

    bool Get(const std::string& path, const std::vector<std::string>& headers,
             HttpResponse& response) override {
        return Perform(path, headers, nullptr, response);
    }

    bool Post(const std::string& path, const std::string& form, HttpResponse& response) override {
        return Perform(path, {}, &form, response);
    }

private:
    // Sends GET `path`, or POST with `form` when it is given.
    bool Perform(const std::string& path, const std::vector<std::string>& headers, const std::string* form,
                 HttpResponse& response) {
        response = HttpResponse();
        CURL* curl = m_handle.get();
        curl_easy_reset(curl);  // keeps the open connection for the next request

        CurlList headerList;
        for (const std::string& header : headers) {
            curl_slist* grown = curl_slist_append(headerList.get(), header.c_str());
            if (!grown) {
                response.error = "out of memory";
                return false;
            }
            headerList.release();
            headerList.reset(grown);
        }

        const std::string url = m_options.baseUrl + path;
        char detail[CURL_ERROR_SIZE] = "";
        Transfer transfer{&response, m_options.maxBodyBytes};
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, m_options.userAgent.c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList.get());
        if (form)
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, form->c_str());
        else
            curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_options.connectTimeoutSeconds));
        // A body that stalls or trickles for the stall time ends the
        // transfer, and so does one request that takes too long in all.
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT,
                         static_cast<long>(m_options.lowSpeedBytesPerSecond));
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_options.stallTimeoutSeconds));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(m_options.maxTransferSeconds));
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);

        const CURLcode result = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
        if (result == CURLE_OK) {
            response.complete = true;
            return true;
        }
        response.error = transfer.tooLarge
                             ? "the answer is larger than " +
                                   std::to_string(m_options.maxBodyBytes) + " bytes"
                             : DescribeCurlError(result, detail);
        return response.status != 0;  // no status line: nothing was answered
    }

    HttpClientOptions m_options;
    CurlHandle m_handle;
};

}  // namespace

Status CreateHttpClient(const HttpClientOptions& options, std::unique_ptr<HttpClient>& client) {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK) return Status::Error(DescribeCurlError(initialised, nullptr));
    CurlHandle handle(curl_easy_init());
    if (!handle) return Status::Error("cannot set up libcurl");
    client = std::make_unique<CurlHttpClient>(options, std::move(handle));
    return Status();
}

}  // namespace lorvane
