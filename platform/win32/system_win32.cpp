#include <windows.h>
#include <shlobj.h>

#include <ctime>
#include <string>
#include <vector>

#include "common/system_services.h"
#include "platform/win32/module_path.h"
#include "platform/win32/win32_error.h"

namespace lorvane {

Status InitializeProcess() {
    if (GetModuleHandleA(nullptr) == nullptr) return Win32Status("cannot find the program's module", GetLastError());
    // Report a missing disk or a failed load to the caller, not in a box
    // that a scheduled run would wait on.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    return Status();
}

bool ToLocalTime(std::int64_t seconds, std::tm& local) {
    const __time64_t time = static_cast<__time64_t>(seconds);
    _tzset();  // follow a change of TZ, as the C library's localtime does
    return _localtime64_s(&local, &time) == 0;
}

std::string RunningProgramPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string RunnerStateFolder() {
    char local[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)))
        return std::string();
    return std::string(local) + "\\Lorvane";
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

}  // namespace lorvane
