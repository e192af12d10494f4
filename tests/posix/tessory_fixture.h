// A home, a working folder and settings of their own for running tessory
// as a process, the way the scheduler starts it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/alert_settings.h"
#include "platform/posix/settings_file.h"
#include "support/process.h"
#include "support/standin.h"

namespace lorvane {

inline const char kHtmlEmptyDigest[] = "<span> <p><br>Thank you for using Lorvane!<br></span>";
inline const char kTextEmptyDigest[] = "\nThank you for using Lorvane!\n";

class TessoryProcess : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = test::MakeScratchDirectory();
        ASSERT_FALSE(m_home.empty());
        m_work = m_home + "/work";
        std::filesystem::create_directories(m_work);
    }
    void TearDown() override { std::filesystem::remove_all(m_home); }

    // Stores a complete set of settings, as the configuration program does.
    void Configure(const char* frequency, const char* format,
                   const std::vector<std::string>& queries = {}) {
        std::vector<SettingsValue> values;
        for (int slot = 0; slot < kQuerySlotCount; ++slot)
            values.push_back({QueryValueName(slot),
                              slot < static_cast<int>(queries.size()) ? queries[slot] : ""});
        values.push_back({"Frequency", frequency});
        values.push_back({"Email", "reader@example.org"});
        values.push_back({"Format", format});
        SettingsFile file(m_home + "/config/Lorvane/Lorvane.ini", "Lorvane");
        std::string error;
        ASSERT_TRUE(file.Write(values, error)) << error;
    }

    test::ProcessResult Run(const std::vector<std::string>& args = {},
                            const std::string& eutils = "") {
        // Without a stand-in, requests go nowhere rather than to the internet.
        return test::RunProcess(TESSORY_PATH, args, m_work,
                                {{"HOME", m_home},
                                 {"XDG_CONFIG_HOME", m_home + "/config"},
                                 {"LORVANE_EUTILS_URL", eutils.empty() ? test::ClosedPortUrl() : eutils}});
    }
    std::string DebugCopy() const { return test::ReadFileOr(m_work + "/debug.html"); }

    std::string m_home;
    std::string m_work;
};

}  // namespace lorvane
