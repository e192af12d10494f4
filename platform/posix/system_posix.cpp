#include <csignal>
#include <ctime>

#include "common/system_services.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/user_paths.h"

#include <cerrno>

namespace lorvane {

Status InitializeProcess() {
    // A helper program that exits early must give us an error on write,
    // not end the process.
    if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) return ErrnoStatus("cannot ignore SIGPIPE", errno);
    return Status();
}

bool ToLocalTime(std::int64_t seconds, std::tm& local) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    if (static_cast<std::int64_t>(time) != seconds) return false;
    tzset();  // follow a change of TZ, as the C library's localtime does
    return localtime_r(&time, &local) != nullptr;
}

std::string RunnerStateFolder() {
    return XdgBaseDirectory("XDG_STATE_HOME", ".local/state") + "/Lorvane";
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

}  // namespace lorvane
