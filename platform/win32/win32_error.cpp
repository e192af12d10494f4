#include "platform/win32/win32_error.h"

#include <windows.h>

#include <cstdio>

namespace lorvane {

std::string DescribeWin32Error(const std::string& what, unsigned long code, const char* module) {
    char message[512] = "";
    const HMODULE library = module ? GetModuleHandleA(module) : nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      (library ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                  library, code, 0, message, sizeof message, nullptr);
    while (length > 0 && (message[length - 1] == '\n' || message[length - 1] == '\r' ||
                          message[length - 1] == ' ' || message[length - 1] == '.'))
        message[--length] = '\0';
    if (length == 0) std::snprintf(message, sizeof message, "error 0x%08lX", code);
    return what + ": " + message;
}

StatusCode Win32StatusCode(unsigned long code) {
    // An HRESULT of the Win32 facility carries the error code in its low word.
    const unsigned long plain = (code & 0xFFFF0000UL) == 0x80070000UL ? (code & 0xFFFFUL) : code;
    switch (plain) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NOT_FOUND:
            return StatusCode::NotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return StatusCode::Exists;
        case ERROR_ACCESS_DENIED:
            return StatusCode::AccessDenied;
        case ERROR_LOCK_VIOLATION:
            return StatusCode::Busy;
        default:
            return StatusCode::Failed;
    }
}

Status Win32Status(const std::string& what, unsigned long code, const char* module) {
    return Status(Win32StatusCode(code), DescribeWin32Error(what, code, module));
}

}  // namespace lorvane
