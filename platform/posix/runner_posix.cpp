#include <limits.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/posix_file.h"
#include "platform/posix/user_paths.h"
#include "runner/runner_services.h"

namespace lorvane {

bool ShowConnectionMessageBox(const std::string&) {
    return false;
}

std::string QueryTextAsUtf8(const std::string& query) {
    return query;
}

std::string CurrentDirectoryText() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) return buffer.data();
        if (errno != ERANGE) return "";
        buffer.resize(buffer.size() * 2);
    }
}

std::string CommandScriptProgram(const std::string& directoryText) {
    const std::string program = RunningProgramPath();
    // Without /proc, the runner installed beside its scripts.
    return program.empty() ? directoryText + "/tessory" : program;
}

bool QuoteScriptPath(const std::string& path, std::string& quoted, std::string& /*error*/) {
    quoted.clear();
    for (const char c : path) {
        if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return true;
}

bool WriteTextFileWhole(const std::string& path, const std::string& text, TextFileKind kind,
                        std::string& error) {
    // The modes a new file would get, under the user's umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = kind == TextFileKind::Script ? 0777 : 0666;
    // A record is written often by the same program: what a killed run left
    // goes first.
    if (kind == TextFileKind::Record) RemoveLeftoverTemporaries(path);
    return ReplaceFile(path, text, mode & ~mask, kind == TextFileKind::Record, {}, error);
}

bool MakeFolder(const std::string& folder, std::string& error) {
    return MakeDirectories(folder, error);
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace lorvane
