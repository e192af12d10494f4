// The user on POSIX: the account's name, its base folders as the XDG base
// directory rules name them, the running program, and folders made on
// demand.
#pragma once

#include <string>

namespace lorvane {

// Returns the folder that environment variable `variable` names when it
// holds an absolute path, else $HOME/`homeRelative` (the account's home
// folder when HOME is unset or empty).
std::string XdgBaseDirectory(const char* variable, const std::string& homeRelative);

// Returns the name of the account the process runs as (its effective user),
// or the empty text when the system does not know it.
std::string CurrentUserName();

// Returns the folder part of `path`: "." without a "/", "/" for the root.
std::string ParentDirectory(const std::string& path);

// Returns the absolute path of the running program, or the empty text
// where the system cannot say (no /proc).
std::string RunningProgramPath();

// Creates `directory` and its missing parents, private to the user (0700).
// Returns false with `error` set when it cannot.
bool MakeDirectories(const std::string& directory, std::string& error);

}  // namespace lorvane
