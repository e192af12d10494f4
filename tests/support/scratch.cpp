#include "support/scratch.h"

#include <gtest/gtest.h>

namespace lorvane {
namespace test {

void ScratchStore::Write(const std::vector<SettingsValue>& values) const {
    std::string error;
    ASSERT_TRUE(Create()->Write(values, error)) << error;
}

}  // namespace test
}  // namespace lorvane
