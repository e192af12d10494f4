// The alert runner's reading of the settings: the texts the configuration
// program writes, and what hand-edited or damaged values turn into.
#include <gtest/gtest.h>

#include "runner/load_alert_settings.h"
#include "support/scratch.h"
#include "support/ok.h"

namespace lorvane {
namespace {

AlertSettings Load(const test::ScratchStore& scratch) {
    AlertSettings settings;
    std::unique_ptr<SettingsStore> store = scratch.Create();
    EXPECT_TRUE(test::Ok(LoadAlertSettings(*store, settings)));
    return settings;
}

AlertSettings LoadWith(const std::vector<SettingsValue>& values) {
    test::ScratchStore scratch;
    scratch.Write(values);
    return Load(scratch);
}

TEST(LoadAlertSettings, ReadsWhatTheConfigurationProgramWrites) {
    std::vector<SettingsValue> values = {{"Email", "reader@example.org"},
                                         {"Frequency", "Daily"},
                                         {"Format", "HTML"}};
    for (int slot = 0; slot < kQuerySlotCount; ++slot) values.push_back({QueryValueName(slot), ""});
    values[3].text = "breast_cancer_therapy";  // Query0
    values[4].text = "a+b_c";                  // Query1: a typed "+" stays
    values[5 + 197].text = "last_slot";        // Query199
    const AlertSettings settings = LoadWith(values);

    EXPECT_EQ(settings.email, "reader@example.org");
    EXPECT_EQ(settings.frequency, AlertFrequency::Daily);
    EXPECT_FALSE(settings.plainText);
    EXPECT_EQ(settings.queries[0], "breast+cancer+therapy");
    EXPECT_EQ(settings.queries[1], "a+b+c");
    EXPECT_EQ(settings.queries[2], "");
    EXPECT_EQ(settings.queries[199], "last+slot");
}

TEST(LoadAlertSettings, FrequencyIsExactAndCaseSensitive) {
    const struct {
        const char* text;
        AlertFrequency expected;
    } cases[] = {
        {"Daily", AlertFrequency::Daily}, {"Weekly", AlertFrequency::Weekly},
        {"Off", AlertFrequency::Off},     {"daily", AlertFrequency::Off},
        {"Daily ", AlertFrequency::Off},  {"WEEKLY", AlertFrequency::Off},
        {"", AlertFrequency::Off},        {"2", AlertFrequency::Off},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadWith({{"Frequency", c.text}}).frequency, c.expected) << '"' << c.text << '"';
}

TEST(LoadAlertSettings, OnlyExactlyHtmlGivesHtmlMail) {
    EXPECT_FALSE(LoadWith({{"Format", "HTML"}}).plainText);
    EXPECT_TRUE(LoadWith({{"Format", "Text"}}).plainText);
    EXPECT_TRUE(LoadWith({{"Format", ""}}).plainText);
    EXPECT_TRUE(LoadWith({{"Format", "html"}}).plainText);
    EXPECT_TRUE(LoadWith({{"Email", "x@example.org"}}).plainText);  // no Format at all
}

TEST(LoadAlertSettings, OversizedOrMissingValuesReadAsEmpty) {
    const AlertSettings settings = LoadWith({
        {"Email", std::string(1999, 'e')},
        {"Query0", std::string(2000, 'q')},
        {"Query1", "fits"},
        {"Query2", std::string(5000, 'r')},
        {"Frequency", std::string(2500, 'D')},
    });
    EXPECT_EQ(settings.email.size(), 1999u);
    EXPECT_EQ(settings.queries[0], "");
    EXPECT_EQ(settings.queries[1], "fits");
    EXPECT_EQ(settings.queries[2], "");
    EXPECT_EQ(settings.queries[3], "");
    EXPECT_EQ(settings.frequency, AlertFrequency::Off);
}

TEST(LoadAlertSettings, MissingKeyLeavesTheRecordAlone) {
    test::ScratchStore scratch;
    AlertSettings settings;
    settings.email = "untouched@example.org";
    std::unique_ptr<SettingsStore> store = scratch.Create();
    EXPECT_EQ(LoadAlertSettings(*store, settings).code(), StatusCode::NotFound);
    EXPECT_EQ(settings.email, "untouched@example.org");
}

}  // namespace
}  // namespace lorvane
