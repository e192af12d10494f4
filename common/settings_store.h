// The per-user settings key: named text values that the configuration
// program writes and the alert runner reads. One implementation per
// platform: the registry on Windows, an INI-style file on POSIX.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "common/status.h"

namespace lorvane {

// Outcome of reading one value.
enum class ValueRead {
    Found,    // the text was read whole
    Missing,  // no such value, or the key is not open
    TooLong,  // the text with its terminator does not fit the capacity
};

// Capacity for reads that take a value whatever its length.
constexpr std::size_t kUnlimitedCapacity = std::numeric_limits<std::size_t>::max();

// One named text, as handed to a write.
struct SettingsValue {
    std::string name;
    std::string text;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the key for reading and takes in its values. Fails with
    // StatusCode::NotFound (and no words) when the key does not exist, and
    // otherwise when it cannot be read. Reads made before a successful
    // Open find nothing.
    virtual Status Open() = 0;

    // Reads value `name` (matched without regard to ASCII case, as registry
    // names are) into `text`. A text that, with its terminator, needs more
    // than `capacity` bytes is TooLong. On anything but Found, `text` is
    // emptied, so it never keeps an earlier value's text.
    virtual ValueRead Read(const std::string& name, std::size_t capacity,
                           std::string& text) const = 0;

    // Writes `values` in order as one update, creating the key when needed
    // and keeping every value it does not name. When the update could not
    // be made, the values read by a later Open are the old ones or, where
    // the platform writes value by value, the ones written before the
    // failure.
    virtual Status Write(const std::vector<SettingsValue>& values) = 0;
};

// Succeeds when every one of `values` can be stored; fails for the first
// that cannot (a text holding a NUL character).
Status CheckStorableValues(const std::vector<SettingsValue>& values);

// Returns the store of the current user's settings key on this platform.
// Creating it touches nothing; Open and Write do the work.
std::unique_ptr<SettingsStore> CreateUserSettingsStore();

// Returns where the current user's settings live, for messages and help:
// the registry path on Windows, the file's path on POSIX.
std::string UserSettingsLocation();

}  // namespace lorvane
