// The settings dialog's rules that stand apart from its controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/local_time.h"
#include "common/text.h"
#include "config/settings_editing.h"

namespace lorvane {
namespace {

TEST(SettingsEditing, QueriesSortIgnoringCase) {
    std::vector<std::string> queries = {"beta", "Alpha", "_under", "alpha", "Zeta", "gamma", "10", "   "};
    std::stable_sort(queries.begin(), queries.end(), QuerySortsBefore);
    EXPECT_EQ(queries, (std::vector<std::string>{"   ", "10", "_under", "Alpha", "alpha", "beta", "gamma", "Zeta"}));
    EXPECT_FALSE(QuerySortsBefore("abc", "abc"));
    EXPECT_TRUE(QuerySortsBefore("ab", "abc"));
}

TEST(SettingsEditing, SecondsLeaveTheTimeFormat) {
    EXPECT_EQ(TimeFormatWithoutSeconds("h:mm:ss tt", ":"), "h:mm tt");
    EXPECT_EQ(TimeFormatWithoutSeconds("HH:mm:ss", ":"), "HH:mm");
    EXPECT_EQ(TimeFormatWithoutSeconds("HH.mm.s", "."), "HH.mm");
    EXPECT_EQ(TimeFormatWithoutSeconds("HH:mm", ":"), "HH:mm");
    EXPECT_EQ(TimeFormatWithoutSeconds("H' h 'mm' min 'ss", "' h '"), "H' h 'mm' min 'ss");
}

TEST(SettingsEditing, StoredNumbersAndCarry) {
    EXPECT_EQ(ReadLikeAtoi("7"), 7);
    EXPECT_EQ(ReadLikeAtoi(" 30x"), 30);
    EXPECT_EQ(ReadLikeAtoi(""), 0);
    EXPECT_EQ(ReadLikeAtoi("x7"), 0);
    EXPECT_EQ(ReadLikeAtoi("-5"), -5);
    EXPECT_EQ(ReadLikeAtoi("99999999999"), 2147483647);
    EXPECT_EQ(ReadLikeAtoi("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(CarryTimeOfDay(7, 75), 8 * 60 + 15);
    EXPECT_EQ(CarryTimeOfDay(23, 61), 1);
    EXPECT_EQ(CarryTimeOfDay(0, -5), 23 * 60 + 55);
    EXPECT_EQ(CarryTimeOfDay(2147483647, 2147483647), 547);  // no overflow on the way
}

TEST(SettingsEditing, TypedTimes) {
    const std::pair<const char*, std::pair<int, int>> read[] = {
        {"1140", {11, 40}}, {"11.40", {11, 40}}, {"11:40", {11, 40}}, {"11 4", {11, 4}}, {"940", {9, 40}},
        {"0940", {9, 40}},  {"11", {11, -1}},    {"7:", {7, -1}},     {"114", {1, 14}},  {"0000", {0, 0}},
        {"071", {7, 1}},    {"093", {9, 3}}};  // typing "0715", "0930": no restart on the way
    for (const auto& [typed, time] : read) {
        int hour = -2, minute = -2;
        EXPECT_TRUE(ReadTypedTime(typed, hour, minute)) << typed;
        EXPECT_EQ(std::make_pair(hour, minute), time) << typed;
    }
    int hour = 0, minute = 0;
    for (const char* typed : {"", "2460", "1160", "24", "11.40.", "1:2:3", "x", ".40", "12345", "1-40", "11:400"})
        EXPECT_FALSE(ReadTypedTime(typed, hour, minute)) << typed;
    std::string typed;  // typed one after the other: a whole time, then the next
    for (const char c : std::string("07159.30")) TypeTimeCharacter(typed, c, hour, minute);
    EXPECT_EQ(std::make_pair(hour, minute), std::make_pair(9, 30));
}

}  // namespace
}  // namespace lorvane
