#include "platform/posix/posix_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>

#include "platform/posix/posix_error.h"
#include "platform/posix/user_paths.h"

namespace lorvane {

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
}

bool FileDescriptor::Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

namespace {

// Creates a new file "<prefix>XXXXXX" with six random letters or digits,
// with `mode` under the umask (and a folder's default ACL), as mkstemp
// would but with the mode of the file it replaces from the start. Returns
// its descriptor, or -1 with errno set; `name` receives the name.
int CreateTemporary(const std::string& prefix, mode_t mode, std::string& name) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t bits = 0;
        if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != sizeof bits) {
            // Without the kernel's randomness the clock and process still
            // make a collision unlikely; a collision only costs a retry.
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            bits = static_cast<std::uint64_t>(now.tv_nsec) * 2654435761u ^
                   static_cast<std::uint64_t>(::getpid()) << 32 ^ static_cast<std::uint64_t>(attempt);
        }
        name = prefix;
        for (int i = 0; i < 6; ++i, bits /= 62) name += kLetters[bits % 62];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::string& contents, mode_t mode, bool durable,
                 const std::function<void()>& beforeReplace, std::string& error) {
    const std::string directory = ParentDirectory(path);
    const std::size_t slash = path.rfind('/');
    std::string temporary;
    FileDescriptor fd(CreateTemporary(
        directory + "/." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".", mode, temporary));
    if (fd.get() < 0) {
        error = DescribeErrno("cannot create a file in " + directory, errno);
        return false;
    }
    auto fail = [&](const std::string& what) {
        error = DescribeErrno(what, errno);
        ::unlink(temporary.c_str());
        return false;
    };
    if (!WriteAll(fd.get(), contents)) return fail("cannot write " + temporary);
    if (durable && ::fsync(fd.get()) != 0) return fail("cannot flush " + temporary);
    if (!fd.Close()) return fail("cannot write " + temporary);
    if (beforeReplace) beforeReplace();
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail("cannot replace " + path);

    if (durable) {
        // Make the rename itself durable.
        FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) ::fsync(dir.get());
    }
    return true;
}

void RemoveLeftoverTemporaries(const std::string& path) {
    const std::string prefix = "." + std::filesystem::path(path).filename().string() + ".";
    std::error_code error;
    for (std::filesystem::directory_iterator entry(ParentDirectory(path), error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0 &&
            entry->is_regular_file(error))
            ::unlink(entry->path().c_str());
    }
}

FileRead ReadWholeFile(const std::string& path, off_t maxSize, std::string& contents,
                       std::string& error, struct stat* status) {
    // Without blocking: a FIFO put in the file's place must not hold the
    // run until something writes to it.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return FileRead::Missing;
        error = DescribeErrno("cannot open " + path, errno);
        return FileRead::Failed;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        error = DescribeErrno("cannot examine " + path, errno);
        return FileRead::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " is not a regular file";
        return FileRead::Failed;
    }
    if (status) *status = info;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    if (info.st_size > maxSize) {
        error = path + " is too large";
        return FileRead::Failed;
    }
    contents.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = DescribeErrno("cannot read " + path, errno);
            return FileRead::Failed;
        }
        if (got == 0) break;
        contents.append(buffer, static_cast<std::size_t>(got));
        if (contents.size() > static_cast<std::size_t>(maxSize)) {
            error = path + " is too large";
            return FileRead::Failed;
        }
    }
    return FileRead::Ok;
}

}  // namespace lorvane
