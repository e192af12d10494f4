// The built-in SMTP submission transport over libcurl: TLS always (STARTTLS
// on smtp://, or smtps://), certificates always verified, AUTH when a user
// is set, and the server's own words when it refuses.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>

#include "common/composed_mail.h"
#include "common/curl_support.h"
#include "common/mail_server.h"

namespace lorvane {
namespace {

// How long reaching the server may take; the settings bound the whole
// delivery, a second attempt and the goodbye to the server included.
constexpr long kConnectSeconds = 30;

using SteadyClock = std::chrono::steady_clock;

// A host name or an address in brackets: nothing that would change the URL.
bool IsHostName(const std::string& host) {
    if (host.empty() || host.size() > 253 || host[0] == '-') return false;
    for (const char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ':' &&
            c != '[' && c != ']')
            return false;
    return true;
}

// What one exchange with the server left: the message still to be read
// out, and the server's replies, the last refusal kept whole.
struct Exchange {
    SteadyClock::time_point deadline;
    const std::string* text = nullptr;
    std::size_t sent = 0;
    std::string reply;    // the reply being read, its lines joined
    std::string refusal;  // the last 4xx or 5xx reply
};

std::size_t ReadMessage(char* buffer, std::size_t size, std::size_t count, void* user) {
    Exchange& exchange = *static_cast<Exchange*>(user);
    const std::size_t left = exchange.text->size() - exchange.sent;
    const std::size_t bytes = std::min(left, size * count);
    exchange.text->copy(buffer, bytes, exchange.sent);
    exchange.sent += bytes;
    return bytes;
}

int KeepReplies(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    if (type != CURLINFO_HEADER_IN) return 0;
    Exchange& exchange = *static_cast<Exchange*>(user);
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    // "535-first line" continues a reply, "535 last line" ends it.
    exchange.reply += (exchange.reply.empty() ? "" : " ") + line.substr(0, 3) +
                      (line.size() > 4 ? " " + line.substr(4) : std::string());
    if (line.size() > 3 && line[3] == '-') return 0;
    if (!line.empty() && (line[0] == '4' || line[0] == '5')) exchange.refusal = exchange.reply;
    exchange.reply.clear();
    return 0;
}

// Stops the transfer once the delivery's time is up. libcurl's own time
// limit does not cover the goodbye (QUIT) after a failure, which a silent
// server would hold for minutes more.
int StopAtDeadline(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return SteadyClock::now() >= static_cast<Exchange*>(user)->deadline ? 1 : 0;
}

// Returns what to do about a refusal the big providers are known to give,
// or the empty text.
std::string RefusalAdvice(const std::string& reply) {
    auto has = [&reply](const char* text) { return reply.find(text) != std::string::npos; };
    if (has("5.7.139") || has("5.7.30"))
        return "this server no longer takes passwords: choose Sign in (MailAuth=OAuth2)";
    if (reply.rfind("534", 0) == 0 && (has("5.7.9") || has("5.7.8"))) return "use an app password";
    if (reply.rfind("535", 0) == 0 && (has("5.7.3") || has("5.7.8"))) return "the user name or password is wrong";
    return std::string();
}

class SmtpMailTransport : public ComposedMailTransport {
public:
    // `password` is the access token when the server signs in with OAuth 2.0.
    SmtpMailTransport(MailServerSettings server, std::string password)
        : m_server(std::move(server)), m_password(std::move(password)) {}

protected:
    Status Transmit(const MailMessage& message, const std::string& text) override {
        const int port = MailServerPort(m_server);
        if (!IsHostName(m_server.server))
            return Status::Error("the mail server \"" + m_server.server + "\" is not a host name");
        if (port == 0)
            return Status::Error("the mail server's port \"" + m_server.port + "\" is not a number from 1 to 65535");
        std::string failure;
        // The system's certificates first; a private authority's file only
        // when they do not vouch for the server.
        const SteadyClock::time_point deadline = SteadyClock::now() + std::chrono::seconds(m_server.timeLimitSeconds);
        CURLcode code = Attempt(message, text, port, false, deadline, failure);
        if (code == CURLE_PEER_FAILED_VERIFICATION && !m_server.caFile.empty())
            code = Attempt(message, text, port, true, deadline, failure);
        return code == CURLE_OK ? Status() : Status::Error(failure);
    }

private:
    CURLcode Attempt(const MailMessage& message, const std::string& text, int port, bool withCaFile,
                     SteadyClock::time_point deadline, std::string& failure) {
        const std::string where = m_server.server + ":" + std::to_string(port);
        CurlHandle curl(curl_easy_init());
        if (!curl) {
            failure = "cannot start a mail transfer (libcurl)";
            return CURLE_FAILED_INIT;
        }
        CURL* handle = curl.get();
        const std::string url = (m_server.implicitTls ? "smtps://" : "smtp://") + where;
        const std::string from = "<" + message.sender + ">";
        CurlList recipients;
        for (const MailAddressee& addressee : message.addressees) {
            curl_slist* longer = curl_slist_append(recipients.get(), ("<" + addressee.address + ">").c_str());
            if (!longer) {
                failure = "out of memory";
                return CURLE_OUT_OF_MEMORY;
            }
            recipients.release();
            recipients.reset(longer);
        }
        Exchange exchange;
        exchange.deadline = deadline;
        exchange.text = &text;
        char detail[CURL_ERROR_SIZE] = "";
        SetUp(handle, url, withCaFile, from, recipients.get(), exchange, detail);
        const CURLcode code = curl_easy_perform(handle);
        if (code != CURLE_OK) failure = DescribeFailure(code, exchange, where, detail);
        return code;
    }

    // Sets the transfer of `handle` up: `url`, TLS always, the account's
    // login, the envelope, and the exchange that reads the message out,
    // keeps the replies and stops at the deadline.
    void SetUp(CURL* handle, const std::string& url, bool withCaFile, const std::string& from,
               curl_slist* recipients, Exchange& exchange, char* detail) {
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        // Never in clear: STARTTLS is required on smtp://.
        curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
        if (withCaFile) curl_easy_setopt(handle, CURLOPT_CAINFO, m_server.caFile.c_str());
        if (m_server.auth == MailAuth::OAuth2) {
            // The access token, with SASL XOAUTH2 only.
            curl_easy_setopt(handle, CURLOPT_USERNAME, m_server.user.c_str());
            curl_easy_setopt(handle, CURLOPT_XOAUTH2_BEARER, m_password.c_str());
            curl_easy_setopt(handle, CURLOPT_LOGIN_OPTIONS, "AUTH=XOAUTH2");
        } else if (!m_server.user.empty()) {
            curl_easy_setopt(handle, CURLOPT_USERNAME, m_server.user.c_str());
            curl_easy_setopt(handle, CURLOPT_PASSWORD, m_password.c_str());
        }
        curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
        curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients);
        curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadMessage);
        curl_easy_setopt(handle, CURLOPT_READDATA, &exchange);
        curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);  // the replies reach KeepReplies
        curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, KeepReplies);
        curl_easy_setopt(handle, CURLOPT_DEBUGDATA, &exchange);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(exchange.deadline - SteadyClock::now());
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<long long>(1, left.count())));
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, StopAtDeadline);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &exchange);
        // The connection is closed at the end of the transfer, while the
        // deadline still stops its goodbye, not later by the handle's cache.
        curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail);
    }

    // Returns why the transfer to `where` failed with `code`: the server's
    // refusal in its words, the time limit, no STARTTLS, or libcurl's words.
    std::string DescribeFailure(CURLcode code, const Exchange& exchange, const std::string& where,
                                const char* detail) const {
        if (!exchange.refusal.empty()) {
            const std::string advice = RefusalAdvice(exchange.refusal);
            return "the mail server " + where + " answered: " + exchange.refusal + (advice.empty() ? "" : "; " + advice);
        }
        if (code == CURLE_ABORTED_BY_CALLBACK || SteadyClock::now() >= exchange.deadline)
            return "the mail server " + where + " did not finish the delivery within " +
                   std::to_string(m_server.timeLimitSeconds) + " seconds";
        if (code == CURLE_USE_SSL_FAILED)
            return "the mail server " + where + " does not offer STARTTLS; the message is not sent unencrypted";
        return "cannot send through the mail server " + where + ": " + DescribeCurlError(code, detail);
    }

    MailServerSettings m_server;
    std::string m_password;
};

}  // namespace

std::unique_ptr<MailTransport> CreateSmtpMailTransport(const MailServerSettings& server,
                                                       const std::string& password) {
    return std::make_unique<SmtpMailTransport>(server, password);
}

}  // namespace lorvane
