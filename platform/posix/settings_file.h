// The POSIX settings store: one INI-style file, replaced atomically on
// every write and kept private to the user (mode 0600).
#pragma once

#include <functional>
#include <map>
#include <string>

#include "common/settings_store.h"

namespace lorvane {

class SettingsFile : public SettingsStore {
public:
    // A store over the file at `path`, holding its values in `section`.
    SettingsFile(std::string path, std::string section);

    Status Open() override;
    ValueRead Read(const std::string& name, std::size_t capacity,
                   std::string& text) const override;
    Status Write(const std::vector<SettingsValue>& values) override;

    // Called during a write once the new contents are safely on disk beside
    // the file and before they replace it; tests use it to stop a save at
    // that point.
    void SetBeforeReplaceHook(std::function<void()> hook);

private:
    std::string m_path;
    std::string m_section;
    bool m_open = false;
    std::map<std::string, std::string> m_values;  // keyed by lower-case name
    std::function<void()> m_beforeReplace;
};

// Returns the path of the current user's settings file:
// $XDG_CONFIG_HOME/Lorvane/Lorvane.ini, with ~/.config in place of an
// unset, empty or relative XDG_CONFIG_HOME.
std::string UserSettingsFilePath();

}  // namespace lorvane
