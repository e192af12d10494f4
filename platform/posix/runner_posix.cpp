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

Status QuoteScriptPath(const std::string& path, std::string& quoted) {
    quoted.clear();
    for (const char c : path) {
        if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return Status();
}

Status WriteTextFileWhole(const std::string& path, const std::string& text, TextFileKind kind) {
    // The modes a new file would get; the umask applies when it is made.
    const mode_t mode = kind == TextFileKind::Script ? 0777 : 0666;
    // A record is written often by the same program: what a killed run left
    // goes first.
    if (kind == TextFileKind::Record) RemoveLeftoverTemporaries(path);
    std::string error;
    return ReplaceFile(path, text, mode, kind == TextFileKind::Record, {}, error) ? Status() : Status::Error(error);
}

Status MakeFolder(const std::string& folder) {
    std::string error;
    return MakeDirectories(folder, error) ? Status() : Status::Error(error);
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

Status TryLockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) {
    const std::string path = PathInFolder(folder, "tessory.lock");
    // Without blocking, and only a regular file: a FIFO or device there
    // must not hold the run.
    auto file = std::make_unique<PosixFolderLock>(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600));
    if (file->fd() < 0) return ErrnoStatus("cannot open " + path, errno);
    struct stat info {};
    if (::fstat(file->fd(), &info) != 0 || !S_ISREG(info.st_mode))
        return Status::Error(path + " is not a regular file");
    while (::flock(file->fd(), LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR) return ErrnoStatus("cannot lock " + path, errno);
    lock = std::move(file);
    return Status();
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace lorvane
