// Paths on Windows that both programs need.
#pragma once

#include <string>

namespace lorvane {

// Returns the full path of the running program, or the empty text when
// Windows cannot say.
std::string RunningProgramPath();

// Returns the folder part of `path` (up to its last "\" or "/"), or the
// empty text when it has none.
std::string FolderOf(const std::string& path);

}  // namespace lorvane
