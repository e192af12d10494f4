#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <filesystem>

#include "platform/posix/settings_file.h"
#include "support/scratch.h"

namespace lorvane {
namespace test {

ScratchStore::ScratchStore() {
    char pattern[] = "/tmp/lorvane-store-XXXXXX";
    const char* directory = mkdtemp(pattern);
    if (!directory) ADD_FAILURE() << "cannot create a scratch folder";
    m_location = std::string(directory ? directory : "/nonexistent") + "/Lorvane/Lorvane.ini";
}

ScratchStore::~ScratchStore() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(m_location).parent_path().parent_path(),
                                ignored);
}

std::unique_ptr<SettingsStore> ScratchStore::Create() const {
    return std::make_unique<SettingsFile>(m_location, "Lorvane");
}

void SetTimeZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
}

}  // namespace test
}  // namespace lorvane
