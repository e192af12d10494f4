// Automation dates: a day count from 30 December 1899 with the time of day
// as its fraction, the way OLE automation stores dates. Dates before the
// epoch are negative, with the fraction still counting forward in the day
// (-1.25 is 29 December 1899, 06:00). The conversions behave as the
// platform's SystemTimeToVariantTime and VariantTimeToSystemTime do for
// every date from 1 January 100 to 31 December 9999.
#pragma once

#include <cstdint>

namespace lorvane {

// A calendar date and time of day, laid out like the platform's SYSTEMTIME.
struct CalendarTime {
    int year = 0;
    int month = 0;      // 1 to 12
    int dayOfWeek = 0;  // 0 = Sunday
    int day = 0;        // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// Converts `time` to an automation date in `value`. The day of week and the
// milliseconds are ignored. Returns false, leaving `value` alone, when the
// year is outside 100 to 9999, the month outside 1 to 12, the day outside
// the month, or the time of day outside 00:00:00 to 23:59:59.
bool CalendarToAutomationDate(const CalendarTime& time, double& value);

// Converts the automation date `value` to a calendar date and time,
// rounded to the nearest second (milliseconds are always 0). Returns
// false, leaving `time` alone, when `value` lies outside the years 100 to
// 9999 or is not a number.
bool AutomationDateToCalendar(double value, CalendarTime& time);

}  // namespace lorvane
