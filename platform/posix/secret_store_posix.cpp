// The secret store on POSIX: private files in the settings folder, or what
// a command prints (for keyrings such as secret-tool).
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/secret_store.h"
#include "platform/posix/child_process.h"
#include "platform/posix/posix_error.h"
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
// dropped. Fails with NotFound and MissingText when there is none.
Status ReadSecretFile(Secret which, std::string& secret) {
    const std::string path = SecretFilePath(which);
    struct stat status {};
    std::string error;
    switch (ReadWholeFile(path, 64 * 1024, secret, error, &status)) {
        case FileRead::Missing:
            return Status(StatusCode::NotFound, MissingText(which));
        case FileRead::Failed:
            return Status::Error(error);
        case FileRead::Ok:
            break;
    }
    if ((status.st_mode & 077) != 0) {
        secret.clear();
        return Status(StatusCode::AccessDenied,
                      path + " can be read or written by others: make it private (chmod 600 " + path + ")");
    }
    if (!secret.empty() && secret.back() == '\n') secret.pop_back();
    return Status();
}

}  // namespace

Status RunSecretCommand(const std::string& command, std::string& line) {
    line.clear();
    ChildResult child;
    ChildOptions options;
    options.timeLimitSeconds = kPasswordCommandSeconds;
    std::string error;
    if (!RunChild("/bin/sh", {"-c", command}, "", child, error, options)) return Status::Error(error);
    if (child.exitCode != 0) {
        // Its own first words on what went wrong, within a line's length.
        const std::string said = child.err.substr(0, std::min(child.err.find('\n'), std::size_t{200}));
        return Status::Error("it exited with status " + std::to_string(child.exitCode) +
                             (said.empty() ? "" : ": " + said));
    }
    line = child.out.substr(0, child.out.find('\n'));
    return Status();
}

Status ReadSecret(Secret secret, const std::string& command, std::string& value) {
    value.clear();
    if (command.empty()) return ReadSecretFile(secret, value);
    const Status ran = RunSecretCommand(command, value);
    return ran.ok() ? ran : Status::Error("the mail password command failed: " + ran.message());
}

Status StoreSecret(Secret secret, const std::string& value) {
    const std::string path = SecretFilePath(secret);
    std::string error;
    if (MakeDirectories(ParentDirectory(path), error) && ReplaceFile(path, value, 0600, true, {}, error))
        return Status();
    return Status::Error(error);
}

Status RemoveSecret(Secret secret, bool& removed) {
    const std::string path = SecretFilePath(secret);
    removed = std::remove(path.c_str()) == 0;
    if (removed || errno == ENOENT) return Status();
    return ErrnoStatus("cannot remove " + path, errno);
}

}  // namespace lorvane
