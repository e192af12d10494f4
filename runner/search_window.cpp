#include "runner/search_window.h"

#include <cstdio>

namespace lorvane {
namespace {

// Returns the local day of `clock` when it is a date of the calendar's
// range, else kNoDay.
int DatedToday(Clock clock) {
    int today = kNoDay;
    CalendarTime date;
    return LocalDayNumber(clock, today) && CalendarOfDay(today, date) ? today : kNoDay;
}

}  // namespace

bool LocalDayNumber(Clock clock, int& day) {
    CalendarTime now;
    if (!LocalCalendarTime(clock(), now)) return false;
    day = DayNumber(now.year, now.month, now.day);
    return true;
}

std::string SearchDateText(int day, bool padded) {
    CalendarTime date;
    CalendarOfDay(day, date);
    char text[16];
    std::snprintf(text, sizeof text, padded ? "%04d/%02d/%02d" : "%d/%d/%d", date.year % 10000, date.month % 100,
                  date.day % 100);
    return text;
}

std::string FormatMaxDate(Clock clock) {
    const int today = DatedToday(clock);
    return today == kNoDay ? "-1/-1/-1" : SearchDateText(today);
}

std::string FormatMinDate(AlertFrequency frequency, Clock clock) {
    const int span = frequency == AlertFrequency::Daily ? 1 : 7;
    const int today = DatedToday(clock);
    // An unreadable clock counts from the first automation date.
    return SearchDateText((today == kNoDay ? -kAutomationDayOf1970 : today) - span);
}

}  // namespace lorvane
