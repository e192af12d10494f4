// Files on POSIX: an owner for a descriptor, writing everything, and
// replacing a file whole.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <string>

namespace lorvane {

// Owns one file descriptor and closes it.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the outcome, which a plain close would lose.
    bool Close();

private:
    int m_fd;
};

// Writes all of `data` to `fd`. Returns false (errno set) when it cannot.
bool WriteAll(int fd, const std::string& data);

// Puts `contents` in place of the file at `path`, with `mode` under the
// umask, so that a reader, or the writer stopped at any moment, finds the
// old file or the new one whole: a temporary file ".<name>.XXXXXX" beside
// it, renamed over it. `durable` also flushes the data and the rename to
// the disk. `beforeReplace`, when set, runs just before the rename.
// Returns false with `error` set, leaving the old file and no temporary
// file.
bool ReplaceFile(const std::string& path, const std::string& contents, mode_t mode, bool durable,
                 const std::function<void()>& beforeReplace, std::string& error);

// Removes the temporary files that ReplaceFile calls for `path` stopped
// half-way (a crash, a kill) left beside it. A replacement running at this
// moment in another process then fails and says so; nothing is lost.
void RemoveLeftoverTemporaries(const std::string& path);

enum class FileRead { Ok, Missing, Failed };

// Reads the regular file at `path` into `contents`, without waiting on a
// FIFO put in its place; `status`, when given, receives what fstat says
// of it. Returns Missing when there is no such file, Failed with `error`
// set when it cannot be read, is not a regular file or is larger than
// `maxSize`.
FileRead ReadWholeFile(const std::string& path, off_t maxSize, std::string& contents,
                       std::string& error, struct stat* status = nullptr);

}  // namespace lorvane
