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
#include "support/ok.h"

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
        m_sink = std::make_unique<test::MailSink>(m_home, "refused");
    }
    void TearDown() override {
        m_sink.reset();
        std::filesystem::remove_all(m_home);
    }

    // Stores a complete set of settings, as the configuration program does.
    void Configure(const char* frequency, const char* format,
                   const std::vector<std::string>& queries = {},
                   const char* email = "reader@example.org") {
        std::vector<SettingsValue> values;
        for (int slot = 0; slot < kQuerySlotCount; ++slot)
            values.push_back({QueryValueName(slot),
                              slot < static_cast<int>(queries.size()) ? queries[slot] : ""});
        values.push_back({"Frequency", frequency});
        values.push_back({"Email", email});
        values.push_back({"Format", format});
        SettingsFile file(m_home + "/config/Lorvane/Lorvane.ini", "Lorvane");
        ASSERT_TRUE(test::Ok(file.Write(values)));
    }

    // Runs tessory as the scheduler would, with `input` on its standard
    // input. Mail goes to the sink; without a stand-in, requests go
    // nowhere rather than to the internet.
    test::ProcessResult Run(const std::vector<std::string>& args = {},
                            const std::string& eutils = "", const std::string& input = "",
                            const std::map<std::string, std::string>& extra = {}) {
        std::map<std::string, std::string> environment = m_sink->Environment();
        for (const auto& [name, value] : extra) environment[name] = value;
        environment["XDG_CONFIG_HOME"] = m_home + "/config";
        environment["XDG_STATE_HOME"] = m_home + "/state";
        environment["LORVANE_EUTILS_URL"] = eutils.empty() ? test::ClosedPortUrl() : eutils;
        return test::RunProcess(TESSORY_PATH, args, m_work, environment, input);
    }
    // Adds `values` to the stored settings.
    void Store(const std::vector<SettingsValue>& values) {
        SettingsFile file(m_home + "/config/Lorvane/Lorvane.ini", "Lorvane");
        ASSERT_TRUE(test::Ok(file.Write(values)));
    }
    std::string DebugCopy() const { return test::ReadFileOr(m_work + "/debug.html"); }
    std::string RunLog() const { return test::ReadFileOr(m_home + "/state/Lorvane/tessory.log"); }

    std::string m_home;
    std::string m_work;
    std::unique_ptr<test::MailSink> m_sink;
};

}  // namespace lorvane
