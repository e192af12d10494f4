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

}  // namespace lorvane
