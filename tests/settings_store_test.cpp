// The settings store of this platform, through its interface: what one
// program writes, the other reads back byte for byte.
#include <gtest/gtest.h>

#include "common/settings_store.h"
#include "support/scratch.h"
#include "support/ok.h"

namespace lorvane {
namespace {

std::string ReadBack(const test::ScratchStore& scratch, const std::string& name,
                     std::size_t capacity = kUnlimitedCapacity) {
    std::unique_ptr<SettingsStore> store = scratch.Create();
    EXPECT_TRUE(test::Ok(store->Open()));
    std::string text = "left over";
    EXPECT_EQ(store->Read(name, capacity, text), ValueRead::Found) << name;
    return text;
}

TEST(SettingsStore, AwkwardValuesReadBackUnchanged) {
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
    const std::vector<SettingsValue> values = {
        {"LineFeeds", "first\nsecond\r\nthird\n"},
        {"Equals", "a=b==c="},
        {"Semicolon", ";not a comment"},
        {"Bracket", "[Lorvane]"},
        {"Blanks", "   leading and trailing  "},
        {"Tabs", "\tindented\t"},
        {"Backslashes", "C:\\data\\x41\\n\\"},
        {"NonAscii", "caf\xc3\xa9 \xe9t\xe9 \xff"},
        {"EveryByte", everyByte},
        {"Empty", ""},
        {"Long1999", std::string(1999, 'a')},
        {"Long2000", std::string(2000, 'b')},
        {"Long5000", std::string(5000, 'c')},
    };
    test::ScratchStore scratch;
    scratch.Write(values);
    for (const SettingsValue& value : values)
        EXPECT_EQ(ReadBack(scratch, value.name), value.text) << value.name;
}

TEST(SettingsStore, CapacityCountsTheTerminator) {
    test::ScratchStore scratch;
    scratch.Write({{"Fits", std::string(1999, 'x')}, {"DoesNot", std::string(2000, 'y')}});
    std::unique_ptr<SettingsStore> store = scratch.Create();
    ASSERT_TRUE(test::Ok(store->Open()));

    std::string text;
    EXPECT_EQ(store->Read("Fits", 2000, text), ValueRead::Found);
    EXPECT_EQ(text.size(), 1999u);
    EXPECT_EQ(store->Read("DoesNot", 2000, text), ValueRead::TooLong);
    EXPECT_EQ(text, "");  // not the previous value's text
    text = "stale";
    EXPECT_EQ(store->Read("Absent", 2000, text), ValueRead::Missing);
    EXPECT_EQ(text, "");
}

TEST(SettingsStore, MissingKeyIsNotAnError) {
    test::ScratchStore scratch;
    std::unique_ptr<SettingsStore> store = scratch.Create();
    const Status status = store->Open();
    EXPECT_EQ(status.code(), StatusCode::NotFound);
    EXPECT_EQ(status.message(), "");
    std::string text = "stale";
    EXPECT_EQ(store->Read("Email", kUnlimitedCapacity, text), ValueRead::Missing);
    EXPECT_EQ(text, "");
}

TEST(SettingsStore, WriteKeepsValuesItDoesNotName) {
    test::ScratchStore scratch;
    scratch.Write({{"Email", "first@example.org"}, {"Frequency", "Daily"}});
    scratch.Write({{"Frequency", "Weekly"}, {"Day", "Monday"}});
    EXPECT_EQ(ReadBack(scratch, "Email"), "first@example.org");
    EXPECT_EQ(ReadBack(scratch, "Frequency"), "Weekly");
    EXPECT_EQ(ReadBack(scratch, "Day"), "Monday");
}

TEST(SettingsStore, NamesIgnoreCase) {
    test::ScratchStore scratch;
    scratch.Write({{"Email", "a@example.org"}});
    scratch.Write({{"EMAIL", "b@example.org"}});
    EXPECT_EQ(ReadBack(scratch, "email"), "b@example.org");
}

TEST(SettingsStore, RefusesNulAndWritesNothing) {
    test::ScratchStore scratch;
    scratch.Write({{"Email", "kept@example.org"}});
    const Status status =
        scratch.Create()->Write({{"Email", "new@example.org"}, {"Query0", std::string("a\0b", 3)}});
    EXPECT_NE(status.message().find("Query0"), std::string::npos) << status.message();
    EXPECT_EQ(ReadBack(scratch, "Email"), "kept@example.org");
}

TEST(SettingsStore, OpenTakesAFreshLook) {
    test::ScratchStore scratch;
    std::unique_ptr<SettingsStore> reader = scratch.Create();
    EXPECT_FALSE(reader->Open().ok());
    scratch.Write({{"Email", "late@example.org"}});
    ASSERT_TRUE(test::Ok(reader->Open()));
    std::string text;
    EXPECT_EQ(reader->Read("Email", kUnlimitedCapacity, text), ValueRead::Found);
    EXPECT_EQ(text, "late@example.org");
}

}  // namespace
}  // namespace lorvane
