// Automation dates: the fixed points of the encoding, its negative side,
// its limits, and the subtraction across the epoch.
#include <gtest/gtest.h>

#include <cmath>

#include "common/automation_date.h"

namespace lorvane {
namespace {

CalendarTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    CalendarTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

double ToDate(const CalendarTime& time) {
    double value = std::nan("");
    EXPECT_TRUE(CalendarToAutomationDate(time, value));
    return value;
}

CalendarTime FromDate(double value) {
    CalendarTime time;
    EXPECT_TRUE(AutomationDateToCalendar(value, time)) << value;
    return time;
}

void ExpectCalendar(const CalendarTime& t, int year, int month, int day, int hour, int minute,
                    int second) {
    EXPECT_EQ(t.year, year);
    EXPECT_EQ(t.month, month);
    EXPECT_EQ(t.day, day);
    EXPECT_EQ(t.hour, hour);
    EXPECT_EQ(t.minute, minute);
    EXPECT_EQ(t.second, second);
}

TEST(AutomationDate, KnownDays) {
    EXPECT_EQ(ToDate(At(1899, 12, 30)), 0.0);
    EXPECT_EQ(ToDate(At(1900, 1, 1)), 2.0);
    EXPECT_EQ(ToDate(At(1970, 1, 1)), 25569.0);
    EXPECT_EQ(ToDate(At(2007, 3, 1)), 39142.0);
    EXPECT_EQ(ToDate(At(1899, 12, 30, 6)), 0.25);
    EXPECT_EQ(ToDate(At(2000, 2, 29, 18)), 36585.75);
    EXPECT_EQ(ToDate(At(100, 1, 1)), -657434.0);
    EXPECT_EQ(ToDate(At(9999, 12, 31)), 2958465.0);
}

TEST(AutomationDate, TimeOfDayCountsForwardBeforeTheEpoch) {
    EXPECT_EQ(ToDate(At(1899, 12, 29, 6)), -1.25);
    ExpectCalendar(FromDate(-1.25), 1899, 12, 29, 6, 0, 0);
    ExpectCalendar(FromDate(-0.5), 1899, 12, 30, 12, 0, 0);
    EXPECT_EQ(FromDate(-1.25).dayOfWeek, 5);  // a Friday
    EXPECT_EQ(FromDate(0.0).dayOfWeek, 6);    // a Saturday
}

TEST(AutomationDate, RoundTripsEveryDayOfSomeYears) {
    for (int year : {1600, 1899, 1900, 2000, 2007, 2008, 2100, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                double value = 0;
                if (!CalendarToAutomationDate(At(year, month, day, 23, 59, 59), value)) {
                    EXPECT_GE(day, 29) << year << "-" << month << "-" << day;
                    continue;
                }
                ExpectCalendar(FromDate(value), year, month, day, 23, 59, 59);
            }
        }
    }
}

TEST(AutomationDate, RefusesWhatIsOutOfRange) {
    double value = 1.5;
    EXPECT_FALSE(CalendarToAutomationDate(At(99, 12, 31), value));
    EXPECT_FALSE(CalendarToAutomationDate(At(10000, 1, 1), value));
    EXPECT_FALSE(CalendarToAutomationDate(At(2007, 2, 29), value));
    EXPECT_FALSE(CalendarToAutomationDate(At(2007, 13, 1), value));
    EXPECT_FALSE(CalendarToAutomationDate(At(2007, 1, 1, 24), value));
    EXPECT_EQ(value, 1.5);

    CalendarTime time;
    EXPECT_FALSE(AutomationDateToCalendar(-657435.0, time));
    EXPECT_FALSE(AutomationDateToCalendar(2958466.0, time));
    EXPECT_FALSE(AutomationDateToCalendar(std::nan(""), time));
    EXPECT_TRUE(AutomationDateToCalendar(-657434.5, time));  // still 1 January 100
    EXPECT_EQ(time.year, 100);
}

TEST(AutomationDate, RoundsToTheNearestSecond) {
    const double almostMidnight = 39142.0 + (86399.6 / 86400.0);
    ExpectCalendar(FromDate(almostMidnight), 2007, 3, 2, 0, 0, 0);
    ExpectCalendar(FromDate(39142.0 + 0.4 / 86400.0), 2007, 3, 1, 0, 0, 0);
}

}  // namespace
}  // namespace lorvane
