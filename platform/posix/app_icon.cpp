#include "platform/posix/app_icon.h"

namespace lorvane {
namespace {

// The same file is installed as the desktop icon.
#include "config/res/lorvane.xpm"

}  // namespace

const char* const* const kAppIconXpm = lorvane_xpm;

}  // namespace lorvane
