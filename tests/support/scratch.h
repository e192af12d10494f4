// What the tests need of the platform: a settings store and a folder of
// their own that are removed afterwards, and a chosen time zone. Nothing
// here touches the settings of the person running the tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/settings_store.h"

namespace lorvane {
namespace test {

// A settings location private to one test: a file in a scratch folder on
// POSIX, a key of its own below HKEY_CURRENT_USER\Software on Windows.
class ScratchStore {
public:
    ScratchStore();
    ~ScratchStore();
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;

    // Returns a new store object over the scratch location.
    std::unique_ptr<SettingsStore> Create() const;

    // Writes `values` through a new store object; fails the test on error.
    void Write(const std::vector<SettingsValue>& values) const;

    // Returns where the location is (a file path, or a registry key path).
    const std::string& location() const { return m_location; }

private:
    std::string m_location;
};

// Returns the bytes of the file at `path`, or `fallback` when it cannot be
// read.
std::string ReadFileOr(const std::string& path, const std::string& fallback = "<missing>");

// Sets the process's time zone from a TZ text such as "UTC0" or "XXX-5".
void SetTimeZone(const char* tz);

}  // namespace test
}  // namespace lorvane
