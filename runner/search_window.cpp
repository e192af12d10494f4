#include "runner/search_window.h"

#include <cstdio>

namespace lorvane {
namespace {

// Writes year, month and day of `date`; each is -1 when the date is
// invalid or cannot be converted back to the calendar.
std::string FormatDate(const AutomationDate& date) {
    int year = -1, month = -1, day = -1;
    CalendarTime calendar;
    if (date.valid && AutomationDateToCalendar(date.value, calendar)) {
        year = calendar.year;
        month = calendar.month;
        day = calendar.day;
    }
    char text[100];
    std::snprintf(text, sizeof text, "%d/%d/%d", year, month, day);
    return text;
}

}  // namespace

std::string FormatMaxDate(Clock clock) {
    return FormatDate(CurrentAutomationDate(clock));
}

std::string FormatMinDate(AlertFrequency frequency, Clock clock) {
    const double span = frequency == AlertFrequency::Daily ? 1.0 : 7.0;
    return FormatDate(SubtractDays(CurrentAutomationDate(clock), span));
}

}  // namespace lorvane
