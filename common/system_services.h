// Small services of the operating system that both programs use. Each
// platform implements them in its own file under platform/.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "common/status.h"

namespace lorvane {

// Prepares the process for the rest of the program (signal dispositions,
// error modes). Fails when the process cannot run.
Status InitializeProcess();

// Converts `seconds` since 1 January 1970 UTC to local broken-down time in
// `local`, with the system's time zone rules. Returns false when the time
// cannot be represented or converted.
bool ToLocalTime(std::int64_t seconds, std::tm& local);

// Returns the folder where the alert runner keeps what it needs from one
// run to the next, its record and its log (POSIX: $XDG_STATE_HOME/Lorvane;
// Windows: %LOCALAPPDATA%\Lorvane), or the empty text when the system
// cannot say.
std::string RunnerStateFolder();

// Returns the path of the file `name` in `folder`.
std::string PathInFolder(const std::string& folder, const std::string& name);

}  // namespace lorvane
