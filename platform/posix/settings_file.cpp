#include "platform/posix/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "common/text.h"
#include "platform/posix/ini_format.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_file.h"
#include "platform/posix/user_paths.h"

namespace lorvane {
namespace {

const char kSettingsSection[] = "Lorvane";

// A settings file is a few hundred kilobytes at the most; anything far
// larger is not one of ours.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;


// The file that `path` stands for: the target of a symbolic link, so that
// a replacement goes where the link points and the link stays.
std::string WrittenPath(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    const std::string target = resolved;
    std::free(resolved);
    return target;
}

}  // namespace

SettingsFile::SettingsFile(std::string path, std::string section)
    : m_path(std::move(path)), m_section(std::move(section)) {}

Status SettingsFile::Open() {
    m_open = false;
    m_values.clear();
    std::string contents, error;
    const FileRead read = ReadWholeFile(m_path, kMaxFileSize, contents, error);
    if (read == FileRead::Missing) return Status(StatusCode::NotFound, "");
    if (read == FileRead::Failed) return Status::Error(error);
    m_values = ReadIniSection(SplitLines(contents), m_section);
    m_open = true;
    return Status();
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

Status SettingsFile::Write(const std::vector<SettingsValue>& values) {
    const Status storable = CheckStorableValues(values);
    if (!storable.ok()) return storable;
    std::string error;
    if (!MakeDirectories(ParentDirectory(m_path), error)) return Status::Error(error);

    // Start from the file as it is now, so that values and lines written
    // by anyone else since it was opened are kept.
    std::string contents;
    if (ReadWholeFile(m_path, kMaxFileSize, contents, error) == FileRead::Failed) return Status::Error(error);
    IniLines lines = SplitLines(contents);
    SetIniValues(lines, m_section, values);
    const std::string target = WrittenPath(m_path);
    RemoveLeftoverTemporaries(target);
    return ReplaceFile(target, JoinIniLines(lines), 0600, true, m_beforeReplace, error) ? Status()
                                                                                         : Status::Error(error);
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
