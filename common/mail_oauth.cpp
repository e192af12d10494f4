#include "common/mail_oauth.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "common/http_client.h"
#include "common/secret_store.h"
#include "common/text.h"
#include "lorvane_version.h"

namespace lorvane {
namespace {

const char kScope[] = "https://outlook.office.com/SMTP.Send offline_access openid profile";
const char kDeviceGrant[] = "urn:ietf:params:oauth:grant-type:device_code";
constexpr int kConnectSeconds = 30;
constexpr int kRequestSeconds = 60;
// The longest token taken from the service: a refresh token is about 2 KB,
// an access token a few; anything far past that is not one.
constexpr std::size_t kMaxRefreshTokenBytes = 16 * 1024;
constexpr std::size_t kMaxAccessTokenBytes = 64 * 1024;
// The bounds on the wait between two polls of a sign-in.
constexpr int kLeastPollSeconds = 1;
constexpr int kMostPollSeconds = 60;

// What the service answered: its HTTP status and body.
struct ServiceAnswer {
    long status = 0;
    std::string body;
};

// Percent-encodes a form value: only the unreserved characters stay.
std::string FormValue(const std::string& text) {
    return PercentEncode(text, [](unsigned char byte) {
        return !(byte < 0x80 && std::isalnum(byte)) && byte != '-' && byte != '.' && byte != '_' && byte != '~';
    });
}

// Whether `url` may carry a token: HTTPS, or plain HTTP to this computer.
bool IsSafeServiceUrl(const std::string& url) {
    return url.rfind("https://", 0) == 0 || url.rfind("http://127.0.0.1:", 0) == 0 ||
           url.rfind("http://localhost:", 0) == 0;
}

// Posts the form `fields` to the service's `path` for the account's
// tenant and returns its JSON answer in `answer`. Fails when no answer
// came; an answer with an error field is the caller's to read.
Status PostForm(const MailServerSettings& server, const std::string& path,
                const std::vector<std::pair<std::string, std::string>>& fields, ServiceAnswer& answer) {
    if (!IsSafeServiceUrl(server.oauthUrl))
        return Status::Error("the sign-in service " + server.oauthUrl + " is not an https:// address");
    std::string form;
    for (const auto& [name, value] : fields) form += (form.empty() ? "" : "&") + name + "=" + FormValue(value);
    HttpClientOptions options;
    options.baseUrl = server.oauthUrl;
    options.userAgent = std::string("Lorvane/") + LORVANE_VERSION;
    options.connectTimeoutSeconds = kConnectSeconds;
    options.maxTransferSeconds = kRequestSeconds;
    options.maxBodyBytes = 1024 * 1024;  // no answer of the service is this large
    HttpResponse response;
    std::unique_ptr<HttpClient> client;
    const Status created = CreateHttpClient(options, client);
    if (created.ok() && client->Post("/" + MicrosoftTenant(server.user) + path, form, response) && response.complete) {
        answer = {response.status, response.body};
        return Status();
    }
    return Status::Error("cannot reach the sign-in service " + server.oauthUrl + ": " +
                         (created.ok() ? response.error : created.message()));
}

// Returns the service's refusal in its words: its error code and the first
// line of its description; or, when it gave no code, what it answered
// ("HTTP 500, no error code").
std::string Refusal(const ServiceAnswer& answer) {
    const std::string code = JsonValue(answer.body, "error");
    const std::string description = JsonValue(answer.body, "error_description");
    std::string said = code.empty() ? "HTTP " + std::to_string(answer.status) + ", no error code" : code;
    if (!description.empty()) said += " (" + description.substr(0, description.find_first_of("\r\n")) + ")";
    return said;
}

// Takes the token `name` of `answer` into `token` when it is one: a JSON
// text of printable characters without blanks, not empty, within
// `maxBytes`. Otherwise leaves `token` empty and returns what came instead
// ("refresh_token: null"); the empty text when there was none at all.
std::string TakeToken(const ServiceAnswer& answer, const char* name, std::size_t maxBytes, std::string& token) {
    token.clear();
    bool isText = false;
    const std::string value = JsonValue(answer.body, name, &isText);
    if (!isText && value.empty()) return std::string();
    bool printable = !value.empty();
    for (const char c : value) printable = printable && c > 0x20 && c < 0x7F;
    if (isText && printable && value.size() <= maxBytes) {
        token = value;
        return std::string();
    }
    return std::string(name) + ": " +
           (!isText ? ShowControls(value.substr(0, 40))
            : value.size() > maxBytes ? "a text of " + std::to_string(value.size()) + " bytes, past the " +
                                              std::to_string(maxBytes) + " a token can be"
            : value.empty()           ? "an empty text"
                                      : "a text a token cannot be");
}

// Returns the bytes of base64url `text` (a token's part); stops at the
// first byte that is not base64url.
std::string Base64UrlDecode(const std::string& text) {
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= 'A' && c <= 'Z') digit = c - 'A';
        else if (c >= 'a' && c <= 'z') digit = c - 'a' + 26;
        else if (c >= '0' && c <= '9') digit = c - '0' + 52;
        else if (c == '-' || c == '+') digit = 62;
        else if (c == '_' || c == '/') digit = 63;
        if (digit < 0) break;
        value = (value << 6) | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

// Returns the account an ID token names, or the empty text.
std::string SignedInAccount(const std::string& idToken) {
    const std::size_t first = idToken.find('.');
    if (first == std::string::npos) return std::string();
    const std::size_t second = idToken.find('.', first + 1);
    return JsonValue(Base64UrlDecode(idToken.substr(first + 1, second - first - 1)), "preferred_username");
}

}  // namespace

const char kBuiltInMicrosoftClientId[] = LORVANE_OAUTH_MICROSOFT_CLIENT_ID;

std::string MicrosoftClientId(const MailServerSettings& server) {
    return server.oauthClientId.empty() ? kBuiltInMicrosoftClientId : server.oauthClientId;
}

std::string MicrosoftTenant(const std::string& address) {
    const std::string domain = AsciiLower(address.substr(address.rfind('@') + 1));
    for (const char* personal : {"outlook.com", "hotmail.com", "live.com", "msn.com"})
        if (domain == personal) return "consumers";
    return "organizations";
}

Status StartDeviceSignIn(const MailServerSettings& server, DeviceSignIn& signIn) {
    const std::string clientId = MicrosoftClientId(server);
    if (clientId.empty())
        return Status::Error("a client ID is needed to sign in to Microsoft: your organisation registers Lorvane "
                             "in Microsoft Entra (App registrations, public client, the SMTP.Send permission) and "
                             "you type its ID as \"Client ID\" in \"Outgoing mail...\" (MailOAuthClientId)");
    ServiceAnswer answer;
    const Status posted = PostForm(server, "/oauth2/v2.0/devicecode", {{"client_id", clientId}, {"scope", kScope}}, answer);
    if (!posted.ok()) return posted;
    signIn.deviceCode = JsonValue(answer.body, "device_code");
    signIn.userCode = JsonValue(answer.body, "user_code");
    signIn.verificationUri = JsonValue(answer.body, "verification_uri");
    if (signIn.deviceCode.empty() || signIn.userCode.empty() || signIn.verificationUri.empty())
        return Status(StatusCode::Refused, "the sign-in service refused: " + Refusal(answer) + ", no sign-in code");
    // A service that names a wait of seconds or of decades is polled within
    // sane bounds, and never past the code's life.
    const int interval = ReadLikeAtoi(JsonValue(answer.body, "interval"));
    const int expires = ReadLikeAtoi(JsonValue(answer.body, "expires_in"));
    if (interval > 0) signIn.intervalSeconds = std::min(std::max(interval, kLeastPollSeconds), kMostPollSeconds);
    if (expires > 0) signIn.expiresInSeconds = std::min(expires, 3600);
    return Status();
}

Status PollDeviceSignIn(const MailServerSettings& server, DeviceSignIn& signIn, std::string& account) {
    ServiceAnswer answer;
    const Status posted = PostForm(server, "/oauth2/v2.0/token",
                                   {{"grant_type", kDeviceGrant},
                                    {"client_id", MicrosoftClientId(server)},
                                    {"device_code", signIn.deviceCode}},
                                   answer);
    if (!posted.ok()) return posted;
    std::string refreshToken;
    const std::string unusable = TakeToken(answer, "refresh_token", kMaxRefreshTokenBytes, refreshToken);
    if (!unusable.empty()) return Status(StatusCode::Refused, "the sign-in service sent no usable sign-in: " + unusable);
    if (!refreshToken.empty()) {
        const Status stored = StoreSecret(Secret::SignInToken, refreshToken);
        if (!stored.ok()) return stored;
        account = SignedInAccount(JsonValue(answer.body, "id_token"));
        if (account.empty()) account = server.user;
        return Status();
    }
    const std::string code = JsonValue(answer.body, "error");
    if (code == "slow_down") signIn.intervalSeconds = std::min(signIn.intervalSeconds + 5, kMostPollSeconds);
    if (code == "authorization_pending" || code == "slow_down") return Status(StatusCode::Busy, "");
    return Status(StatusCode::Refused, code == "expired_token" ? "the code expired before the sign-in was done: start again"
                                       : code == "authorization_declined"
                                           ? "the sign-in was declined"
                                           : "the sign-in service refused: " + Refusal(answer));
}

Status MailAccessToken(const MailServerSettings& server, std::string& token) {
    token.clear();
    if (server.oauthProvider == OAuthProvider::Command) {
        if (server.tokenCommand.empty()) return Status::Error("no MailTokenCommand is set to print the access token");
        const Status ran = RunSecretCommand(server.tokenCommand, token);
        if (!ran.ok()) return Status::Error("the mail token command failed: " + ran.message());
        if (!token.empty() && token.back() == '\r') token.pop_back();
        return token.empty() ? Status::Error("the mail token command printed no token") : Status();
    }
    std::string refreshToken;
    ServiceAnswer answer;
    Status status = ReadSecret(Secret::SignInToken, std::string(), refreshToken);
    if (status.ok())
        status = PostForm(server, "/oauth2/v2.0/token",
                          {{"grant_type", "refresh_token"},
                           {"client_id", MicrosoftClientId(server)},
                           {"refresh_token", refreshToken},
                           {"scope", kScope}},
                          answer);
    if (!status.ok()) return status;
    const std::string unusable = TakeToken(answer, "access_token", kMaxAccessTokenBytes, token);
    if (token.empty()) {
        const std::string code = JsonValue(answer.body, "error");
        return Status(StatusCode::Refused,
                      (code == "invalid_grant" || code == "interaction_required" ? "sign in again: "
                                                                                 : "no access token: ") +
                          (unusable.empty() ? Refusal(answer) : unusable));
    }
    // The service may send a new refresh token; the old one then stops
    // working. One that is not a token is not stored over the one kept.
    std::string rotated;
    const std::string bad = TakeToken(answer, "refresh_token", kMaxRefreshTokenBytes, rotated);
    if (!bad.empty()) return Status(StatusCode::Ok, "the sign-in service sent a new sign-in that is not one (" + bad +
                                                        "); the stored one is kept");
    if (rotated.empty() || rotated == refreshToken) return Status();
    const Status kept = StoreSecret(Secret::SignInToken, rotated);
    if (kept.ok()) return kept;
    token.clear();
    return Status::Error("cannot keep the new sign-in: " + kept.message());
}

std::string JsonValue(const std::string& json, const std::string& name, bool* isText) {
    if (isText) *isText = false;
    const std::string key = "\"" + name + "\"";
    for (std::size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1)) {
        std::size_t value = json.find_first_not_of(" \t\r\n", at + key.size());
        if (value == std::string::npos || json[value] != ':') continue;
        value = json.find_first_not_of(" \t\r\n", value + 1);
        if (value == std::string::npos) return std::string();
        if (json[value] != '"') {
            const std::size_t end = json.find_first_of(",}", value);
            std::string raw = json.substr(value, end == std::string::npos ? std::string::npos : end - value);
            while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.back()))) raw.pop_back();
            return raw;
        }
        if (isText) *isText = true;
        std::string text;
        for (std::size_t i = value + 1; i < json.size() && json[i] != '"'; ++i) {
            if (json[i] != '\\' || i + 1 >= json.size()) {
                text += json[i];
                continue;
            }
            const char escaped = json[++i];
            if (escaped == 'u' && i + 4 < json.size()) {
                unsigned code = 0;
                for (int k = 1; k <= 4; ++k) code = code * 16 + static_cast<unsigned>(std::max(0, HexDigitValue(json[i + k])));
                i += 4;
                // As UTF-8; a surrogate half stands for itself.
                if (code < 0x80) {
                    text += static_cast<char>(code);
                } else if (code < 0x800) {
                    text += static_cast<char>(0xC0 | (code >> 6));
                    text += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    text += static_cast<char>(0xE0 | (code >> 12));
                    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    text += static_cast<char>(0x80 | (code & 0x3F));
                }
                continue;
            }
            const std::string from = "bfnrt", to = "\b\f\n\r\t";
            const std::size_t which = from.find(escaped);
            text += which == std::string::npos ? escaped : to[which];
        }
        return text;
    }
    return std::string();
}

}  // namespace lorvane
