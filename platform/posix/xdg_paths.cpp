#include "platform/posix/xdg_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_error.h"

namespace lorvane {
namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* account = ::getpwuid(::getuid());
    return account && account->pw_dir ? account->pw_dir : "";
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

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
    const std::string parent = ParentOf(directory);
    if (parent != directory && !MakeDirectories(parent, error)) return false;
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        error = DescribeErrno("cannot create " + directory, errno);
        return false;
    }
    return true;
}

}  // namespace lorvane
