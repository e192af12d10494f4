#include <windows.h>

#include <ctime>

#include "common/system_services.h"
#include "platform/win32/win32_error.h"

namespace lorvane {

bool InitializeProcess(std::string& error) {
    if (GetModuleHandleA(nullptr) == nullptr) {
        error = DescribeWin32Error("cannot find the program's module", GetLastError());
        return false;
    }
    // Report a missing disk or a failed load to the caller, not in a box
    // that a scheduled run would wait on.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    return true;
}

bool ToLocalTime(std::int64_t seconds, std::tm& local) {
    const __time64_t time = static_cast<__time64_t>(seconds);
    _tzset();  // follow a change of TZ, as the C library's localtime does
    return _localtime64_s(&local, &time) == 0;
}

}  // namespace lorvane
