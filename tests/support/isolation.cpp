#include "support/isolation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/process.h"

namespace lorvane {
namespace test {
namespace {

const char* const kVariables[] = {"HOME", "PATH", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                                  "XDG_STATE_HOME", "LORVANE_TEST_CRONTAB_FILE"};

}  // namespace

IsolatedEnvironment::IsolatedEnvironment() {
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        m_saved[name] = value ? value : "";
    }
    m_home = MakeScratchDirectory();
    // Also puts sendmail into home/bin; refuses recipients holding "refused".
    m_sink = std::make_unique<MailSink>(m_home, "refused");
    std::filesystem::create_symlink(std::string(LORVANE_STANDIN_DIR) + "/crontab_standin.sh",
                                    m_home + "/bin/crontab");
    for (const auto& [name, value] : m_sink->Environment()) setenv(name.c_str(), value.c_str(), 1);
    setenv("XDG_DATA_HOME", (m_home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_home + "/config").c_str(), 1);
    setenv("XDG_STATE_HOME", (m_home + "/state").c_str(), 1);
    setenv("LORVANE_TEST_CRONTAB_FILE", (m_home + "/crontab").c_str(), 1);
}

IsolatedEnvironment::~IsolatedEnvironment() {
    for (const auto& [name, value] : m_saved) {
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    m_sink.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_home, ignored);
}

std::string IsolatedEnvironment::Crontab() const {
    return ReadFileOr(m_home + "/crontab", "");
}

void IsolatedEnvironment::SetCrontab(const std::string& table) const {
    std::ofstream(m_home + "/crontab") << table;
}

}  // namespace test
}  // namespace lorvane
