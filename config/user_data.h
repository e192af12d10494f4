// What Lorvane keeps for the user who runs it, removed at once: for an
// uninstaller that was asked to leave nothing of the user's behind.
#pragma once

#include <string>

#include "common/status.h"

namespace lorvane {

// Removes the user's settings and the folders of the scheduled runs
// (citation files, scripts, debug.html, the log and the runner's state).
// Windows: the key HKEY_CURRENT_USER\Software\Lorvane and
// %LOCALAPPDATA%\Lorvane. POSIX: $XDG_CONFIG_HOME/Lorvane,
// $XDG_DATA_HOME/Lorvane and $XDG_STATE_HOME/Lorvane. The secret store is
// emptied by RemoveStoredSecrets. What is not there is no error. A failure
// says what stays.
Status RemoveUserFiles();

}  // namespace lorvane
