#include "platform/win32/win32_error.h"

#include <windows.h>

#include <cstdio>

namespace lorvane {

std::string DescribeWin32Error(const std::string& what, unsigned long code) {
    char message[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, message, sizeof message, nullptr);
    while (length > 0 && (message[length - 1] == '\n' || message[length - 1] == '\r' ||
                          message[length - 1] == ' ' || message[length - 1] == '.'))
        message[--length] = '\0';
    if (length == 0) std::snprintf(message, sizeof message, "error 0x%08lX", code);
    return what + ": " + message;
}

}  // namespace lorvane
