#include "common/settings_store.h"

namespace lorvane {

Status CheckStorableValues(const std::vector<SettingsValue>& values) {
    for (const SettingsValue& value : values)
        if (value.text.find('\0') != std::string::npos)
            return Status::Error("the value " + value.name + " holds a NUL byte, which a setting cannot");
    return Status();
}

}  // namespace lorvane
