// Progress of a run on standard error, for a person watching a terminal;
// nothing at all when standard error is not one (a scheduled run).
#pragma once

#include <string>

namespace lorvane {

// Shows `line` in place of the previous progress line.
void ShowProgress(const std::string& line);

// Clears the progress line.
void EndProgress();

}  // namespace lorvane
