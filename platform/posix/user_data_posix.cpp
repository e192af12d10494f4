#include <filesystem>
#include <system_error>

#include "common/system_services.h"
#include "config/task_scheduler.h"
#include "config/user_data.h"
#include "platform/posix/user_paths.h"

namespace lorvane {

Status RemoveUserFiles() {
    for (const std::string& folder : {XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/Lorvane",
                                      RunnerWorkingDirectory(), RunnerStateFolder()}) {
        std::error_code failure;
        std::filesystem::remove_all(folder, failure);
        if (failure) return Status::Error("cannot remove " + folder + ": " + failure.message());
    }
    return Status();
}

}  // namespace lorvane
