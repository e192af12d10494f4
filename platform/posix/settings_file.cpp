#include "platform/posix/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "common/text.h"
#include "platform/posix/ini_format.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/user_paths.h"

namespace lorvane {
namespace {

const char kSettingsSection[] = "Lorvane";

// A settings file is a few hundred kilobytes at the most; anything far
// larger is not one of ours.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the outcome, which a plain close would lose.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

enum class FileRead { Ok, Missing, Failed };

FileRead ReadWholeFile(const std::string& path, std::string& contents, std::string& error) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
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
    if (info.st_size > kMaxFileSize) {
        error = path + " is too large to be a settings file";
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
        if (contents.size() > static_cast<std::size_t>(kMaxFileSize)) {
            error = path + " is too large to be a settings file";
            return FileRead::Failed;
        }
    }
    return FileRead::Ok;
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

// Puts `contents` in place of the file at `path` so that a reader, or a
// crash at any moment, finds either the old file or the new one whole.
const char kTemporaryPrefix[] = ".Lorvane.ini.";

// Removes the temporary files that saves stopped half-way (a crash, a
// kill) left in `directory`. A save running at this moment in another
// process then fails to replace the file and says so; nothing is lost.
void RemoveLeftoverTemporaries(const std::string& directory) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() == sizeof kTemporaryPrefix - 1 + 6 && name.rfind(kTemporaryPrefix, 0) == 0 &&
            entry->is_regular_file(error))
            ::unlink(entry->path().c_str());
    }
}

bool ReplaceFile(const std::string& path, const std::string& contents,
                 const std::function<void()>& beforeReplace, std::string& error) {
    const std::string directory = ParentDirectory(path);
    RemoveLeftoverTemporaries(directory);
    std::string pattern = directory + "/" + kTemporaryPrefix + "XXXXXX";
    FileDescriptor fd(::mkostemp(&pattern[0], O_CLOEXEC));
    if (fd.get() < 0) {
        error = DescribeErrno("cannot create a file in " + directory, errno);
        return false;
    }
    const std::string temporary = pattern;
    auto fail = [&](const std::string& what) {
        error = DescribeErrno(what, errno);
        ::unlink(temporary.c_str());
        return false;
    };
    if (::fchmod(fd.get(), 0600) != 0) return fail("cannot set the mode of " + temporary);
    if (!WriteAll(fd.get(), contents)) return fail("cannot write " + temporary);
    if (::fsync(fd.get()) != 0) return fail("cannot flush " + temporary);
    if (!fd.Close()) return fail("cannot write " + temporary);
    if (beforeReplace) beforeReplace();
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail("cannot replace " + path);

    // Make the rename itself durable.
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return true;
}

}  // namespace

SettingsFile::SettingsFile(std::string path, std::string section)
    : m_path(std::move(path)), m_section(std::move(section)) {}

bool SettingsFile::Open(std::string& error) {
    error.clear();
    m_open = false;
    m_values.clear();
    std::string contents;
    if (ReadWholeFile(m_path, contents, error) != FileRead::Ok) return false;
    m_values = ReadIniSection(SplitLines(contents), m_section);
    m_open = true;
    return true;
}

ValueRead SettingsFile::Read(const std::string& name, std::size_t capacity,
                             std::string& text) const {
    text.clear();
    if (!m_open) return ValueRead::Missing;
    const auto found = m_values.find(AsciiLower(name));
    if (found == m_values.end()) return ValueRead::Missing;
    if (found->second.size() >= capacity) return ValueRead::TooLong;
    text = found->second;
    return ValueRead::Found;
}

bool SettingsFile::Write(const std::vector<SettingsValue>& values, std::string& error) {
    error.clear();
    if (!CheckStorableValues(values, error)) return false;
    if (!MakeDirectories(ParentDirectory(m_path), error)) return false;

    // Start from the file as it is now, so that values and lines written
    // by anyone else since it was opened are kept.
    std::string contents;
    if (ReadWholeFile(m_path, contents, error) == FileRead::Failed) return false;
    IniLines lines = SplitLines(contents);
    SetIniValues(lines, m_section, values);
    return ReplaceFile(m_path, JoinIniLines(lines), m_beforeReplace, error);
}

void SettingsFile::SetBeforeReplaceHook(std::function<void()> hook) {
    m_beforeReplace = std::move(hook);
}

std::string UserSettingsFilePath() {
    return XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/Lorvane/Lorvane.ini";
}

std::unique_ptr<SettingsStore> CreateUserSettingsStore() {
    return std::make_unique<SettingsFile>(UserSettingsFilePath(), kSettingsSection);
}

std::string UserSettingsLocation() {
    return UserSettingsFilePath();
}

}  // namespace lorvane
