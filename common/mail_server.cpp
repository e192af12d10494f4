#include "common/mail_server.h"

#include "common/mail_oauth.h"
#include "common/secret_store.h"
#include "common/text.h"

namespace lorvane {

const char kMailServerValue[] = "MailServer";
const char kMailPortValue[] = "MailPort";
const char kMailSecurityValue[] = "MailSecurity";
const char kMailUserValue[] = "MailUser";
const char kMailCAFileValue[] = "MailCAFile";
const char kMailPasswordCommandValue[] = "MailPasswordCommand";
const char kMailAuthValue[] = "MailAuth";
const char kMailOAuthProviderValue[] = "MailOAuthProvider";
const char kMailOAuthClientIdValue[] = "MailOAuthClientId";
const char kMailTokenCommandValue[] = "MailTokenCommand";
const char kMicrosoftLoginUrl[] = "https://login.microsoftonline.com";
const char kStartTlsText[] = "STARTTLS";
const char kImplicitTlsText[] = "TLS";

MailServerSettings ReadMailServerSettings(const std::function<std::string(const char*)>& read) {
    MailServerSettings server;
    server.server = read(kMailServerValue);
    server.port = read(kMailPortValue);
    server.implicitTls = read(kMailSecurityValue) == kImplicitTlsText;
    server.user = read(kMailUserValue);
    server.caFile = read(kMailCAFileValue);
    server.passwordCommand = read(kMailPasswordCommandValue);
    server.auth = read(kMailAuthValue) == "OAuth2" ? MailAuth::OAuth2 : MailAuth::Password;
    server.oauthProvider = read(kMailOAuthProviderValue) == "Command" ? OAuthProvider::Command
                                                                      : OAuthProvider::Microsoft;
    server.oauthClientId = read(kMailOAuthClientIdValue);
    server.tokenCommand = read(kMailTokenCommandValue);
    return server;
}

std::vector<SettingsValue> MailServerValues(const MailServerSettings& server) {
    return {{kMailServerValue, server.server},
            {kMailPortValue, server.port},
            {kMailSecurityValue, server.implicitTls ? kImplicitTlsText : kStartTlsText},
            {kMailUserValue, server.user},
            {kMailCAFileValue, server.caFile},
            {kMailAuthValue, server.auth == MailAuth::OAuth2 ? "OAuth2" : "Password"},
            {kMailOAuthProviderValue, server.oauthProvider == OAuthProvider::Command ? "Command" : "Microsoft"},
            {kMailOAuthClientIdValue, server.oauthClientId}};
}

int MailServerPort(const MailServerSettings& server) {
    if (server.port.empty()) return server.implicitTls ? 465 : 587;
    if (server.port.size() > 5 || server.port.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int port = std::stoi(server.port);
    return port >= 1 && port <= 65535 ? port : 0;
}

Status ReadMailPassword(const MailServerSettings& server, std::string& password) {
    return ReadSecret(Secret::MailPassword, server.passwordCommand, password);
}

MailTransportFactory ChooseMailTransport(const MailServerSettings& server,
                                         MailTransportFactory systemTransport,
                                         const std::string& password) {
    if (server.server.empty()) return systemTransport;
    return [server, password](std::unique_ptr<MailTransport>& transport) {
        std::string stored;
        Status secret;
        if (server.auth == MailAuth::OAuth2)
            secret = MailAccessToken(server, stored);  // a fresh one for each message: it lives an hour
        else if (!server.user.empty() && password.empty())
            secret = ReadMailPassword(server, stored);
        if (!secret.ok()) return secret;
        transport = CreateSmtpMailTransport(server, password.empty() || server.auth == MailAuth::OAuth2 ? stored : password);
        return secret;  // a success may say something beside (a new sign-in not kept)
    };
}

}  // namespace lorvane
