// The user's base folders as the XDG base directory rules name them.
#pragma once

#include <string>

namespace lorvane {

// Returns the folder that environment variable `variable` names when it
// holds an absolute path, else $HOME/`homeRelative` (the account's home
// folder when HOME is unset or empty).
std::string XdgBaseDirectory(const char* variable, const std::string& homeRelative);

// Creates `directory` and its missing parents, private to the user (0700).
// Returns false with `error` set when it cannot.
bool MakeDirectories(const std::string& directory, std::string& error);

}  // namespace lorvane
