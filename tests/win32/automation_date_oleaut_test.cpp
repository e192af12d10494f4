// Our automation-date conversions against the platform's own
// SystemTimeToVariantTime and VariantTimeToSystemTime.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>

#include "common/automation_date.h"

namespace lorvane {
namespace {

SYSTEMTIME ToSystemTime(const CalendarTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    return st;
}

void ExpectSameCalendar(double value) {
    SYSTEMTIME st{};
    CalendarTime ours;
    const bool theirsOk = VariantTimeToSystemTime(value, &st) != 0;
    const bool oursOk = AutomationDateToCalendar(value, ours);
    ASSERT_EQ(oursOk, theirsOk) << value;
    if (!theirsOk) return;
    EXPECT_EQ(ours.year, st.wYear) << value;
    EXPECT_EQ(ours.month, st.wMonth) << value;
    EXPECT_EQ(ours.day, st.wDay) << value;
    // Where rounding carries into the next day the platform keeps the
    // weekday of the day before; ours names the day it returns.
    const double fraction = std::fabs(value - std::trunc(value));
    if (fraction * 86400.0 < 86399.5) {
        EXPECT_EQ(ours.dayOfWeek, st.wDayOfWeek) << value;
    }
    EXPECT_EQ(ours.hour, st.wHour) << value;
    EXPECT_EQ(ours.minute, st.wMinute) << value;
    EXPECT_EQ(ours.second, st.wSecond) << value;
}

TEST(AutomationDateOleAut, CalendarToDateMatches) {
    int compared = 0;
    for (int year = 100; year <= 9999; year += 7) {
        for (int month = 1; month <= 12; month += 1 + year % 3) {
            for (int day : {1, 13, 28, 29, 30, 31}) {
                CalendarTime t;
                t.year = year;
                t.month = month;
                t.day = day;
                t.hour = (year + day) % 24;
                t.minute = (year * 7 + month) % 60;
                t.second = (year * 13 + day) % 60;
                double ours = 0;
                if (!CalendarToAutomationDate(t, ours)) continue;  // not a date of the month
                SYSTEMTIME st = ToSystemTime(t);
                double theirs = 0;
                ASSERT_TRUE(SystemTimeToVariantTime(&st, &theirs));
                ASSERT_EQ(ours, theirs) << year << "-" << month << "-" << day;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 20000);
}

TEST(AutomationDateOleAut, DateToCalendarMatches) {
    // Whole seconds on both sides of the epoch and across the range.
    for (double days = -657434.0; days < 2958466.0; days += 997.0) {
        for (int second : {0, 1, 43200, 86399}) {
            const double fraction = second / 86400.0;
            ExpectSameCalendar(days < 0 ? days - fraction : days + fraction);
        }
    }
    for (double value : {-657435.0, -657434.99, 2958465.999, 2958466.0, -0.5, -1.25, 0.0,
                         39142.0 + 86399.6 / 86400.0, 39142.0 + 0.4 / 86400.0})
        ExpectSameCalendar(value);
}

}  // namespace
}  // namespace lorvane
