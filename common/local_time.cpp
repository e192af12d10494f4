#include "common/local_time.h"

#include <cstdio>
#include <ctime>

#include "common/system_services.h"

namespace lorvane {
namespace {

constexpr Moment kMinutesPerDay = 24 * 60;

}  // namespace

std::int64_t SystemClock() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool LocalCalendarTime(std::int64_t seconds, CalendarTime& time) {
    std::tm local{};
    if (!ToLocalTime(seconds, local)) return false;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.dayOfWeek = local.tm_wday;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    // A leap second reads as the last second of its minute.
    time.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    time.milliseconds = 0;
    return true;
}

int DayNumber(int year, int month, int day) {
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<int>(era * 146097 + dayOfEra - 719468);
}

bool CalendarOfDay(int day, CalendarTime& date) {
    // 1 January 1970 is day 25569 of the automation calendar.
    return AutomationDateToCalendar(static_cast<double>(day) + 25569, date);
}

Moment LocalMoment(Clock clock) {
    CalendarTime now;
    if (!LocalCalendarTime(clock(), now)) return kNoMoment;
    return MomentOf(DayNumber(now.year, now.month, now.day), now.hour * 60 + now.minute);
}

Moment MomentOf(int day, int minuteOfDay) { return static_cast<Moment>(day) * kMinutesPerDay + minuteOfDay; }

int MomentDay(Moment moment) {
    return static_cast<int>((moment >= 0 ? moment : moment - kMinutesPerDay + 1) / kMinutesPerDay);
}

Moment ParseMoment(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    char tail = 0;
    if (text.size() != 16 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &year, &month, &day, &hour, &minute, &tail) != 5)
        return kNoMoment;
    CalendarTime date;
    date.year = year;
    date.month = month;
    date.day = day;
    double unused = 0;
    if (!CalendarToAutomationDate(date, unused) || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return kNoMoment;
    return MomentOf(DayNumber(year, month, day), hour * 60 + minute);
}

std::string MomentText(Moment moment) {
    CalendarTime date;
    CalendarOfDay(MomentDay(moment), date);
    const int minute = static_cast<int>(moment - MomentOf(MomentDay(moment), 0));
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", date.year % 10000, date.month % 100,
                  date.day % 100, minute / 60, minute % 60);
    return text;
}

}  // namespace lorvane
