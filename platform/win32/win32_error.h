// Turns Windows error codes and HRESULTs into text and statuses, in one
// place for the Win32 files.
#pragma once

#include <string>

#include "common/status.h"

namespace lorvane {

// Returns "`what`: <the system's message for error code `code`>", with the
// code in hexadecimal where the system has no message for it. Codes of a
// library with messages of its own (such as "wininet.dll") are looked up
// in `module` first.
std::string DescribeWin32Error(const std::string& what, unsigned long code,
                               const char* module = nullptr);

// Returns the status code that Windows error code or HRESULT `code` calls
// for.
StatusCode Win32StatusCode(unsigned long code);

// Returns the failure of Windows error code or HRESULT `code`, saying
// DescribeWin32Error(`what`, `code`, `module`), with the code that it
// calls for.
Status Win32Status(const std::string& what, unsigned long code, const char* module = nullptr);

}  // namespace lorvane
