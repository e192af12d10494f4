#include <windows.h>
#include <shellapi.h>

#include "common/system_services.h"
#include "config/user_data.h"
#include "platform/win32/win32_error.h"

namespace lorvane {

bool RemoveUserFiles(std::string& error) {
    const LSTATUS key = RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lorvane");
    if (key != ERROR_SUCCESS && key != ERROR_FILE_NOT_FOUND) {
        error = DescribeWin32Error("cannot remove the settings", static_cast<DWORD>(key));
        return false;
    }
    const std::string folder = RunnerStateFolder();
    if (folder.empty() || GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    // The shell removes a folder with everything in it; its list of paths
    // ends in two NULs.
    const std::string paths = folder + std::string(2, '\0');
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (SHFileOperationA(&operation) != 0 || operation.fAnyOperationsAborted) {
        error = "cannot remove " + folder;
        return false;
    }
    return true;
}

}  // namespace lorvane
