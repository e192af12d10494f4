// The user's outgoing mail server: when one is configured, every message
// (digest, colleague alert, confirmation) goes through the built-in SMTP
// submission transport instead of the system's own mail transport.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/mail_component.h"
#include "common/settings_store.h"

namespace lorvane {

// Value names in the settings store.
extern const char kMailServerValue[];           // "MailServer"
extern const char kMailPortValue[];             // "MailPort"
extern const char kMailSecurityValue[];         // "MailSecurity"
extern const char kMailUserValue[];             // "MailUser"
extern const char kMailCAFileValue[];           // "MailCAFile"
extern const char kMailPasswordCommandValue[];  // "MailPasswordCommand"

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
    int timeLimitSeconds = 120;   // not stored: the bound of one whole delivery
};

// Reads the settings through `read`, which returns a value's text (empty
// when it is missing).
MailServerSettings ReadMailServerSettings(const std::function<std::string(const char*)>& read);

// Returns the values that store `server` (all but the password command,
// which is only ever written by hand).
std::vector<SettingsValue> MailServerValues(const MailServerSettings& server);

// Returns the port to connect to: the stored one, or the default of the
// security chosen. Returns 0 when the stored port is not a number from 1
// to 65535.
int MailServerPort(const MailServerSettings& server);

// Creates the built-in SMTP submission transport for `server`, logging in
// with `password` when a user is set.
std::unique_ptr<MailComponent> CreateSmtpMailComponent(const MailServerSettings& server,
                                                       const std::string& password);

// Returns what makes the mail component of a message: the built-in
// transport when `server` names a server, else `systemComponent`. The
// built-in one logs in with `password` when it is given, else with the
// stored password, read when a message is sent (a password that cannot be
// read is the reason no component is made).
MailComponentFactory ChooseMailTransport(const MailServerSettings& server,
                                         MailComponentFactory systemComponent,
                                         const std::string& password = std::string());

// Reads the password of the mail account of `server`. Windows: the
// Credential Manager's generic credential "Lorvane/mail". POSIX: the first
// line that MailPasswordCommand prints, when it is set, else the file
// $XDG_CONFIG_HOME/Lorvane/mail-password (its trailing line feed dropped),
// which must be a regular file that only its owner can read or write.
// Returns false with `error` set when there is no password to be had.
bool ReadMailPassword(const MailServerSettings& server, std::string& password, std::string& error);

// Stores `password` where ReadMailPassword reads it (POSIX: the file, mode
// 0600). Returns false with `error` set when it cannot.
bool StoreMailPassword(const std::string& password, std::string& error);

}  // namespace lorvane
