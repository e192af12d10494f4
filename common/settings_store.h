// The per-user settings key: named text values that the configuration
// program writes and the alert runner reads. One implementation per
// platform: the registry on Windows, an INI-style file on POSIX.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <vector>

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

    // Opens the key for reading and takes in its values. Returns false when
    // the key does not exist or cannot be read; `error` is then left empty
    // for a key that simply does not exist, and says what went wrong
    // otherwise. Reads made before a successful Open find nothing.
    virtual bool Open(std::string& error) = 0;

    // Reads value `name` (matched without regard to ASCII case, as registry
    // names are) into `text`. A text that, with its terminator, needs more
    // than `capacity` bytes is TooLong. On anything but Found, `text` is
    // emptied, so it never keeps an earlier value's text.
    virtual ValueRead Read(const std::string& name, std::size_t capacity,
                           std::string& text) const = 0;

    // Writes `values` in order as one update, creating the key when needed
    // and keeping every value it does not name. Returns false with `error`
    // set when the update could not be made; the values read by a later
    // Open are then the old ones or, where the platform writes value by
    // value, the ones written before the failure.
    virtual bool Write(const std::vector<SettingsValue>& values, std::string& error) = 0;
};

// Returns whether every one of `values` can be stored; false with `error`
// set for the first that cannot (a text holding a NUL character).
bool CheckStorableValues(const std::vector<SettingsValue>& values, std::string& error);

// Returns the store of the current user's settings key on this platform.
// Creating it touches nothing; Open and Write do the work.
std::unique_ptr<SettingsStore> CreateUserSettingsStore();

// Returns where the current user's settings live, for messages and help:
// the registry path on Windows, the file's path on POSIX.
std::string UserSettingsLocation();

}  // namespace lorvane
