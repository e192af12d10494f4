// The application icon, 16 x 16: a small envelope under a magnifier lens.
#pragma once

namespace lorvane {

// XPM rows of the icon.
extern const char* const* const kAppIconXpm;

}  // namespace lorvane
