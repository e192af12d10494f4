// Turns Windows error codes into text, in one place for the Win32 files.
#pragma once

#include <string>

namespace lorvane {

// Returns "`what`: <the system's message for error code `code`>", with the
// code in hexadecimal where the system has no message for it.
std::string DescribeWin32Error(const std::string& what, unsigned long code);

}  // namespace lorvane
