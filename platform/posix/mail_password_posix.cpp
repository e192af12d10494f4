// The mail account's secrets on POSIX: private files, or what a command
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

std::string SecretFilePath(const char* name) {
    return XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/Lorvane/" + name;
}

// Reads the private file `name` into `secret`, its trailing line feed
// dropped. Returns false with `error` set: `missing` when there is none.
bool ReadSecretFile(const char* name, const std::string& missing, std::string& secret, std::string& error) {
    const std::string path = SecretFilePath(name);
    struct stat status {};
    switch (ReadWholeFile(path, 64 * 1024, secret, error, &status)) {
        case FileRead::Missing:
            error = missing;
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

// Replaces the private file `name` with `secret`, whole.
bool WriteSecretFile(const char* name, const std::string& secret, std::string& error) {
    const std::string path = SecretFilePath(name);
    if (!MakeDirectories(ParentDirectory(path), error)) return false;
    return ReplaceFile(path, secret, 0600, true, {}, error);
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

bool ReadMailOAuthToken(std::string& token, std::string& error) {
    return ReadSecretFile("mail-oauth", "not signed in: run tessory --sign-in, or choose \"Sign in...\" in "
                                        "Lorvane's \"Outgoing mail...\"",
                          token, error);
}

bool StoreMailOAuthToken(const std::string& token, std::string& error) {
    return WriteSecretFile("mail-oauth", token, error);
}

bool ReadMailPassword(const MailServerSettings& server, std::string& password, std::string& error) {
    password.clear();
    if (!server.passwordCommand.empty()) {
        if (RunSecretCommand(server.passwordCommand, password, error)) return true;
        error = "the mail password command failed: " + error;
        return false;
    }
    return ReadSecretFile("mail-password",
                          "no mail password: store it with Lorvane, or in " + SecretFilePath("mail-password") +
                              " (mode 0600), or set MailPasswordCommand",
                          password, error);
}

bool StoreMailPassword(const std::string& password, std::string& error) {
    return WriteSecretFile("mail-password", password, error);
}

}  // namespace lorvane
