// The secrets of the user's mail account, in one store per platform:
// Windows, generic credentials of the user's Credential Manager; POSIX,
// private files in the settings folder, or what a command prints. The
// store holds what kStoredSecrets lists and nothing else, so that removing
// the user's data removes each of them.
#pragma once

#include <string>
#include <vector>

#include "common/status.h"

namespace lorvane {

enum class Secret {
    MailPassword,  // the mail account's password
    SignInToken,   // the refresh token of a Microsoft sign-in
};

// Every secret the store can hold.
constexpr Secret kStoredSecrets[] = {Secret::MailPassword, Secret::SignInToken};

// Returns what `secret` is, as a summary names it: "stored mail password",
// "Microsoft sign-in".
const char* SecretName(Secret secret);

// Reads `secret` into `value`. `command`, when not empty, is the user's
// command that prints it on its first line (POSIX; the Credential Manager
// needs none). Fails with StatusCode::NotFound, saying how to store one,
// when there is none.
Status ReadSecret(Secret secret, const std::string& command, std::string& value);

// Stores `value` as `secret`, replacing the one there whole.
Status StoreSecret(Secret secret, const std::string& value);

// Removes `secret`; `removed` tells whether there was one. Fails when it
// is there and cannot be removed.
Status RemoveSecret(Secret secret, bool& removed);

// Removes every secret of kStoredSecrets and adds the names of those that
// were there to `removed`. A failure says what stays.
Status RemoveStoredSecrets(std::vector<std::string>& removed);

// Runs `command` with the system's shell (sh -c on POSIX, cmd /c on
// Windows), at most a minute, and returns the first line it printed in
// `line`. Fails when it cannot be run, runs too long or fails; its output
// never goes into the status.
Status RunSecretCommand(const std::string& command, std::string& line);

}  // namespace lorvane
