// The secrets of the user's mail account, in one store per platform:
// Windows, generic credentials of the user's Credential Manager; POSIX,
// private files in the settings folder, or what a command prints. The
// store holds what kStoredSecrets lists and nothing else, so that removing
// the user's data removes each of them.
#pragma once

#include <string>
#include <vector>

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
// needs none). Returns false with `error` set: when there is none, it says
// how to store one.
bool ReadSecret(Secret secret, const std::string& command, std::string& value, std::string& error);

// Stores `value` as `secret`, replacing the one there whole. Returns false
// with `error` set when it cannot.
bool StoreSecret(Secret secret, const std::string& value, std::string& error);

// Removes `secret`; `removed` tells whether there was one. Returns false
// with `error` set when it is there and cannot be removed.
bool RemoveSecret(Secret secret, bool& removed, std::string& error);

// Removes every secret of kStoredSecrets and adds the names of those that
// were there to `removed`. Returns false with `error` saying what stays.
bool RemoveStoredSecrets(std::vector<std::string>& removed, std::string& error);

// Runs `command` with the system's shell (sh -c on POSIX, cmd /c on
// Windows), at most a minute, and returns the first line it printed in
// `line`. Returns false with `error` set when it cannot be run, runs too
// long or fails; its output never goes into `error`.
bool RunSecretCommand(const std::string& command, std::string& line, std::string& error);

}  // namespace lorvane
