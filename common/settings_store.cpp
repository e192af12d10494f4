#include "common/settings_store.h"

namespace lorvane {

bool CheckStorableValues(const std::vector<SettingsValue>& values, std::string& error) {
    for (const SettingsValue& value : values) {
        if (value.text.find('\0') != std::string::npos) {
            error = "the value " + value.name + " holds a NUL byte, which a setting cannot";
            return false;
        }
    }
    return true;
}

}  // namespace lorvane
