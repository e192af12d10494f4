// The Windows settings store over one key of HKEY_CURRENT_USER.
#pragma once

#include <memory>
#include <string>

#include "common/settings_store.h"

namespace lorvane {

// Returns a store over the key at `keyPath` below HKEY_CURRENT_USER.
std::unique_ptr<SettingsStore> CreateRegistrySettingsStore(const std::string& keyPath);

}  // namespace lorvane
