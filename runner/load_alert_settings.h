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
// not fit in 2000 bytes with its terminator, reads as the empty text.
// Fails as the store's Open does (StatusCode::NotFound for a key that does
// not exist), leaving `settings` as it was.
Status LoadAlertSettings(SettingsStore& store, AlertSettings& settings);

}  // namespace lorvane
