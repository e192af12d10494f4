// The user's outgoing mail server: when one is configured, every message
// (digest, colleague alert, confirmation) goes through the built-in SMTP
// submission transport instead of the system's own mail transport.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/mail_transport.h"
#include "common/settings_store.h"
#include "common/status.h"

namespace lorvane {

// Value names in the settings store.
extern const char kMailServerValue[];           // "MailServer"
extern const char kMailPortValue[];             // "MailPort"
extern const char kMailSecurityValue[];         // "MailSecurity"
extern const char kMailUserValue[];             // "MailUser"
extern const char kMailCAFileValue[];           // "MailCAFile"
extern const char kMailPasswordCommandValue[];  // "MailPasswordCommand"
extern const char kMailAuthValue[];             // "MailAuth": "Password" (or absent) or "OAuth2"
extern const char kMailOAuthProviderValue[];    // "MailOAuthProvider": "Microsoft" or "Command"
extern const char kMailOAuthClientIdValue[];    // "MailOAuthClientId"
extern const char kMailTokenCommandValue[];     // "MailTokenCommand"

// How the account signs in to its server.
enum class MailAuth { Password, OAuth2 };
// Where an OAuth 2.0 access token comes from.
enum class OAuthProvider { Microsoft, Command };

// The sign-in service of Microsoft accounts; LORVANE_OAUTH_URL replaces it.
extern const char kMicrosoftLoginUrl[];  // "https://login.microsoftonline.com"

// The two ways of securing the connection, as stored.
extern const char kStartTlsText[];     // "STARTTLS"
extern const char kImplicitTlsText[];  // "TLS"

struct MailServerSettings {
    std::string server;  // host name; empty: none configured
    std::string port;    // empty: 587 with STARTTLS, 465 with TLS
    bool implicitTls = false;     // "TLS": smtps://; anything else STARTTLS on smtp://
    std::string user;             // empty: no authentication
    std::string caFile;           // a PEM file of further trusted certificates
    std::string passwordCommand;  // POSIX: prints the password on its first line
    MailAuth auth = MailAuth::Password;
    OAuthProvider oauthProvider = OAuthProvider::Microsoft;
    std::string oauthClientId;  // empty: the one this build was made with
    std::string tokenCommand;   // prints an access token on its first line
    // Not stored: where Microsoft's sign-in service is, and the bound of
    // one whole delivery.
    std::string oauthUrl = kMicrosoftLoginUrl;
    int timeLimitSeconds = 120;
};

// Reads the settings through `read`, which returns a value's text (empty
// when it is missing).
MailServerSettings ReadMailServerSettings(const std::function<std::string(const char*)>& read);

// Returns the values that store `server` (all but the password and token
// commands, which are only ever written by hand).
std::vector<SettingsValue> MailServerValues(const MailServerSettings& server);

// Returns the port to connect to: the stored one, or the default of the
// security chosen. Returns 0 when the stored port is not a number from 1
// to 65535.
int MailServerPort(const MailServerSettings& server);

// Creates the built-in SMTP submission transport for `server`, logging in
// with `password` when a user is set.
std::unique_ptr<MailTransport> CreateSmtpMailTransport(const MailServerSettings& server,
                                                       const std::string& password);

// Returns what makes the transport of a message: the built-in SMTP
// transport when `server` names a server, else `systemTransport`. The
// built-in one logs in with `password` when it is given, else with the
// stored password, read when a message is sent (a password that cannot be
// read is the reason no transport is made).
MailTransportFactory ChooseMailTransport(const MailServerSettings& server,
                                         MailTransportFactory systemTransport,
                                         const std::string& password = std::string());

// Reads the password of the mail account of `server` from the secret
// store: on POSIX the first line that MailPasswordCommand prints when it
// is set. Fails when there is no password to be had.
Status ReadMailPassword(const MailServerSettings& server, std::string& password);

}  // namespace lorvane
