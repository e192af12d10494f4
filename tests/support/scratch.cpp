#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include "support/ok.h"

namespace lorvane {
namespace test {

void ScratchStore::Write(const std::vector<SettingsValue>& values) const {
    ASSERT_TRUE(test::Ok(Create()->Write(values)));
}

std::string ReadFileOr(const std::string& path, const std::string& fallback) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return fallback;
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

}  // namespace test
}  // namespace lorvane
