// Turns POSIX errors into text, in one place for the POSIX platform files.
#pragma once

#include <string>

namespace lorvane {

// Returns "`what`: <the system's text for errno value `error`>".
std::string DescribeErrno(const std::string& what, int error);

}  // namespace lorvane
