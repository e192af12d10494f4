// Turns Windows error codes into text, in one place for the Win32 files.
#pragma once

#include <string>

namespace lorvane {

// Returns "`what`: <the system's message for error code `code`>", with the
// code in hexadecimal where the system has no message for it. Codes of a
// library with messages of its own (such as "wininet.dll") are looked up
// in `module` first.
std::string DescribeWin32Error(const std::string& what, unsigned long code,
                               const char* module = nullptr);

}  // namespace lorvane
