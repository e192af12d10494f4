#include <windows.h>
#include <shellapi.h>

#include "common/system_services.h"
#include "config/user_data.h"
#include "platform/win32/win32_error.h"

namespace lorvane {

Status RemoveUserFiles() {
    const LSTATUS key = RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
    if (key != ERROR_SUCCESS && key != ERROR_FILE_NOT_FOUND)
        return Win32Status("cannot remove the settings", static_cast<DWORD>(key));
    const std::string folder = RunnerStateFolder();
    if (folder.empty() || GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return Status();
    // The shell removes a folder with everything in it; its list of paths
    // ends in two NULs.
    const std::string paths = folder + std::string(2, '\0');
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (SHFileOperationA(&operation) != 0 || operation.fAnyOperationsAborted)
        return Status::Error("cannot remove " + folder);
    return Status();
}

}  // namespace lorvane
