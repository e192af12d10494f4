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

std::string RunnerStateFolder() {
    return XdgBaseDirectory("XDG_STATE_HOME", ".local/state") + "/Lorvane";
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

bool MakeFolder(const std::string& folder, std::string& error) {
    return MakeDirectories(folder, error);
}

bool PrepareOutputLog(std::size_t keepBytes) {
    struct stat info {};
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (::fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 || !(flags & O_APPEND))
        return false;
    if (static_cast<std::size_t>(info.st_size) <= keepBytes) return true;
    // The log is open for writing only: its tail is read through a second,
    // reading descriptor of the same file.
    FileDescriptor reader(::open("/proc/self/fd/1", O_RDONLY | O_CLOEXEC));
    if (reader.get() < 0) return true;
    std::string tail(keepBytes, '\0');
    const off_t from = info.st_size - static_cast<off_t>(keepBytes);
    const ssize_t got = ::pread(reader.get(), &tail[0], keepBytes, from);
    if (got < 0) return true;
    tail.resize(static_cast<std::size_t>(got));
    const std::size_t lineStart = tail.find('\n');
    tail.erase(0, lineStart == std::string::npos ? 0 : lineStart + 1);
    // Appending writes go to the end, which is now the start.
    if (::ftruncate(STDOUT_FILENO, 0) == 0) WriteAll(STDOUT_FILENO, tail);
    return true;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace lorvane
