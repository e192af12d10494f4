#include "platform/posix/user_paths.h"

#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/posix/posix_error.h"

namespace lorvane {
namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* account = ::getpwuid(::getuid());
    return account && account->pw_dir ? account->pw_dir : "";
}

}  // namespace

std::string CurrentUserName() {
    const passwd* account = ::getpwuid(::geteuid());
    return account && account->pw_name ? account->pw_name : "";
}

std::string ParentDirectory(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RunningProgramPath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string XdgBaseDirectory(const char* variable, const std::string& homeRelative) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return value;
    return HomeDirectory() + "/" + homeRelative;
}

bool MakeDirectories(const std::string& directory, std::string& error) {
    struct stat info {};
    if (::stat(directory.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        error = directory + " is not a directory";
        return false;
    }
    const std::string parent = ParentDirectory(directory);
    if (parent != directory && !MakeDirectories(parent, error)) return false;
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        error = DescribeErrno("cannot create " + directory, errno);
        return false;
    }
    return true;
}

}  // namespace lorvane
