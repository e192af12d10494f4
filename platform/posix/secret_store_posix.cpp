// The secret store on POSIX: private files in the settings folder, or what
// a command prints (for keyrings such as secret-tool).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/secret_store.h"
#include "platform/posix/child_process.h"
#include "platform/posix/posix_file.h"
#include "platform/posix/user_paths.h"

namespace lorvane {
namespace {

// How long the password command may take; a keyring may ask the person.
constexpr int kPasswordCommandSeconds = 60;

// Returns the path of the file that holds `secret`.
std::string SecretFilePath(Secret secret) {
    return XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/Lorvane/" +
           (secret == Secret::MailPassword ? "mail-password" : "mail-oauth");
}

// Returns what to do when there is no `secret`.
std::string MissingText(Secret secret) {
    if (secret == Secret::SignInToken)
        return "not signed in: run tessory --sign-in, or choose \"Sign in...\" in Lorvane's \"Outgoing mail...\"";
    return "no mail password: store it with Lorvane, or in " + SecretFilePath(secret) +
           " (mode 0600), or set MailPasswordCommand";
}

// Reads the private file of `which` into `secret`, its trailing line feed
// dropped. Returns false with `error` set: MissingText when there is none.
bool ReadSecretFile(Secret which, std::string& secret, std::string& error) {
    const std::string path = SecretFilePath(which);
    struct stat status {};
    switch (ReadWholeFile(path, 64 * 1024, secret, error, &status)) {
        case FileRead::Missing:
            error = MissingText(which);
            return false;
        case FileRead::Failed:
            return false;
        case FileRead::Ok:
            break;
    }
    if ((status.st_mode & 077) != 0) {
        secret.clear();
        error = path + " can be read or written by others: make it private (chmod 600 " + path + ")";
        return false;
    }
    if (!secret.empty() && secret.back() == '\n') secret.pop_back();
    return true;
}

}  // namespace

bool RunSecretCommand(const std::string& command, std::string& line, std::string& error) {
    line.clear();
    ChildResult child;
    ChildOptions options;
    options.timeLimitSeconds = kPasswordCommandSeconds;
    if (!RunChild("/bin/sh", {"-c", command}, "", child, error, options)) return false;
    if (child.exitCode != 0) {
        error = "it exited with status " + std::to_string(child.exitCode);
        return false;
    }
    line = child.out.substr(0, child.out.find('\n'));
    return true;
}

bool ReadSecret(Secret secret, const std::string& command, std::string& value, std::string& error) {
    value.clear();
    if (command.empty()) return ReadSecretFile(secret, value, error);
    if (RunSecretCommand(command, value, error)) return true;
    error = "the mail password command failed: " + error;
    return false;
}

bool StoreSecret(Secret secret, const std::string& value, std::string& error) {
    const std::string path = SecretFilePath(secret);
    if (!MakeDirectories(ParentDirectory(path), error)) return false;
    return ReplaceFile(path, value, 0600, true, {}, error);
}

bool RemoveSecret(Secret secret, bool& removed, std::string& error) {
    const std::string path = SecretFilePath(secret);
    removed = std::remove(path.c_str()) == 0;
    if (removed || errno == ENOENT) return true;
    error = "cannot remove " + path + ": " + std::strerror(errno);
    return false;
}

}  // namespace lorvane
