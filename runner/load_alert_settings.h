// The alert runner's reading of the settings key.
#pragma once

#include <string>

#include "common/alert_settings.h"
#include "common/settings_store.h"

namespace lorvane {

// Opens `store` and fills `settings` from it: the e-mail address, the 200
// query slots with every "_" turned into "+", the frequency (exactly
// "Daily" or "Weekly", anything else Off), the plain-text flag (false only
// for exactly "HTML") and the API key. A value that is missing, or does
// not fit in 2000 bytes with its terminator, reads as the empty text. Returns false,
// leaving `settings` as it was, when the key cannot be opened; `error` is
// then empty for a key that does not exist and says why otherwise.
bool LoadAlertSettings(SettingsStore& store, AlertSettings& settings, std::string& error);

}  // namespace lorvane
