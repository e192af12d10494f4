#include <limits.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/posix_error.h"
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
    // The modes a new file would get; the umask applies when it is made.
    const mode_t mode = kind == TextFileKind::Script ? 0777 : 0666;
    // A record is written often by the same program: what a killed run left
    // goes first.
    if (kind == TextFileKind::Record) RemoveLeftoverTemporaries(path);
    return ReplaceFile(path, text, mode, kind == TextFileKind::Record, {}, error);
}

bool MakeFolder(const std::string& folder, std::string& error) {
    return MakeDirectories(folder, error);
}

namespace {

class PosixFolderLock : public FolderLock {
public:
    explicit PosixFolderLock(int fd) : m_file(fd) {}
    int fd() const { return m_file.get(); }

private:
    FileDescriptor m_file;  // closing it releases the lock
};

}  // namespace

std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder, bool& busy, std::string& error) {
    busy = false;
    const std::string path = PathInFolder(folder, "tessory.lock");
    auto lock = std::make_unique<PosixFolderLock>(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock->fd() < 0) {
        error = DescribeErrno("cannot open " + path, errno);
        return nullptr;
    }
    while (::flock(lock->fd(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        busy = errno == EWOULDBLOCK;
        if (!busy) error = DescribeErrno("cannot lock " + path, errno);
        return nullptr;
    }
    return lock;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace lorvane
