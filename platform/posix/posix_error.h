// Turns POSIX errors into text and statuses, in one place for the POSIX
// platform files.
#pragma once

#include <string>

#include "common/status.h"

namespace lorvane {

// Returns "`what`: <the system's text for errno value `error`>".
std::string DescribeErrno(const std::string& what, int error);

// Returns the failure of errno value `error`, saying DescribeErrno(`what`,
// `error`), with the code that the value calls for.
Status ErrnoStatus(const std::string& what, int error);

}  // namespace lorvane
