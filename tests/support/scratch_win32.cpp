#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/win32/registry_settings_store.h"
#include "support/scratch.h"

namespace lorvane {
namespace test {

ScratchStore::ScratchStore() {
    static unsigned serial = 0;
    m_location = "Software\\LorvaneTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++serial);
}

ScratchStore::~ScratchStore() {
    RegDeleteTreeA(HKEY_CURRENT_USER, m_location.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, m_location.c_str());
}

std::unique_ptr<SettingsStore> ScratchStore::Create() const {
    return CreateRegistrySettingsStore(m_location);
}

void SetTimeZone(const char* tz) {
    _putenv_s("TZ", tz);
    _tzset();
}

}  // namespace test
}  // namespace lorvane
