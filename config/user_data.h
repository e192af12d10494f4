// What Lorvane keeps for the user who runs it, removed at once: for an
// uninstaller that was asked to leave nothing of the user's behind.
#pragma once

#include <string>

namespace lorvane {

// Removes the user's settings (with the stored mail password) and the
// folders of the scheduled runs (citation files, scripts, debug.html, the
// log and the record of mailed articles). Windows: the key
// HKEY_CURRENT_USER\Software\Lorvane, the credential "Lorvane/mail" and
// %LOCALAPPDATA%\Lorvane. POSIX: $XDG_CONFIG_HOME/Lorvane,
// $XDG_DATA_HOME/Lorvane and $XDG_STATE_HOME/Lorvane. What is not there
// is no error. Returns false with `error` saying what stays.
bool RemoveUserFiles(std::string& error);

}  // namespace lorvane
