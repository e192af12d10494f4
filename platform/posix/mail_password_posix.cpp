// The mail account's password on POSIX: a private file, or what a command
// prints (for keyrings such as secret-tool).
#include <sys/stat.h>

#include "common/mail_server.h"
#include "platform/posix/child_process.h"
#include "platform/posix/posix_file.h"
#include "platform/posix/user_paths.h"

namespace lorvane {
namespace {

// How long the password command may take; a keyring may ask the person.
constexpr int kPasswordCommandSeconds = 60;

std::string PasswordFilePath() {
    return XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/Lorvane/mail-password";
}

}  // namespace

bool ReadMailPassword(const MailServerSettings& server, std::string& password, std::string& error) {
    password.clear();
    if (!server.passwordCommand.empty()) {
        ChildResult child;
        ChildOptions options;
        options.timeLimitSeconds = kPasswordCommandSeconds;
        if (!RunChild("/bin/sh", {"-c", server.passwordCommand}, "", child, error, options)) {
            error = "the mail password command failed: " + error;
            return false;
        }
        if (child.exitCode != 0) {
            error = "the mail password command exited with status " + std::to_string(child.exitCode);
            return false;
        }
        password = child.out.substr(0, child.out.find('\n'));
        return true;
    }
    const std::string path = PasswordFilePath();
    struct stat status {};
    switch (ReadWholeFile(path, 64 * 1024, password, error, &status)) {
        case FileRead::Missing:
            error = "no mail password: store it with Lorvane, or in " + path +
                    " (mode 0600), or set MailPasswordCommand";
            return false;
        case FileRead::Failed:
            return false;
        case FileRead::Ok:
            break;
    }
    if ((status.st_mode & 077) != 0) {
        password.clear();
        error = path + " can be read or written by others: make it private (chmod 600 " + path + ")";
        return false;
    }
    if (!password.empty() && password.back() == '\n') password.pop_back();
    return true;
}

bool StoreMailPassword(const std::string& password, std::string& error) {
    const std::string path = PasswordFilePath();
    if (!MakeDirectories(ParentDirectory(path), error)) return false;
    return ReplaceFile(path, password, 0600, true, {}, error);
}

}  // namespace lorvane
