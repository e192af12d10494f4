// The settings dialog's rules that stand apart from its controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

}  // namespace
}  // namespace lorvane
