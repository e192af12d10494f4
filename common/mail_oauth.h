// OAuth 2.0 for the outgoing mail server: Microsoft's device sign-in
// (RFC 8628) and its refresh tokens, or a command that prints an access
// token; the token goes to the server with SASL XOAUTH2.
#pragma once

#include <string>

#include "common/mail_server.h"
#include "common/status.h"

namespace lorvane {

// The client ID this build signs in to Microsoft with when the settings
// name none; empty when it was built without one.
extern const char kBuiltInMicrosoftClientId[];

// Returns the client ID that `server` signs in with, or the empty text
// when there is none.
std::string MicrosoftClientId(const MailServerSettings& server);

// Returns the Microsoft tenant that the account of `address` belongs to:
// "consumers" for outlook.com, hotmail.com, live.com and msn.com
// addresses, "organizations" for any other.
std::string MicrosoftTenant(const std::string& address);

// What the sign-in service asks the person to do.
struct DeviceSignIn {
    std::string deviceCode;       // kept by the program, never shown
    std::string userCode;         // typed by the person at the address
    std::string verificationUri;  // where to sign in
    int intervalSeconds = 5;      // the least wait between two polls
    int expiresInSeconds = 900;   // how long the code is good for
};

// Starts a sign-in for the account `user` of `server`. Fails when there is
// no client ID, no service, or the service refuses (in its words).
Status StartDeviceSignIn(const MailServerSettings& server, DeviceSignIn& signIn);

// Asks whether the person has signed in. Succeeds once they have, storing
// the refresh token and setting `account` to the name the service signed
// in (the user name when it says none). StatusCode::Busy (also for "slow
// down", which adds five seconds to `signIn.intervalSeconds`) asks to poll
// again later; any other failure ends the sign-in.
Status PollDeviceSignIn(const MailServerSettings& server, DeviceSignIn& signIn, std::string& account);

// Returns in `token` an access token for `server`: the first line of its
// token command, or one Microsoft issues for the stored refresh token (a
// new refresh token it sends replaces the stored one, when it is one: a
// value that is not keeps the stored one, and the success says so). A
// sign-in that was revoked or expired fails saying "sign in again"; any
// refusal says the service's code, or its HTTP status when it gave none.
Status MailAccessToken(const MailServerSettings& server, std::string& token);

// Returns the text value of `name` in a flat JSON object `json`, escapes
// decoded; numbers, null and the like as written. Empty when it is not
// there. `isText`, when given, says whether the value was a JSON text.
std::string JsonValue(const std::string& json, const std::string& name, bool* isText = nullptr);

}  // namespace lorvane
