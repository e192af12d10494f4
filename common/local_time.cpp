#include "common/local_time.h"

#include <cstdio>
#include <ctime>

#include "common/system_services.h"

namespace lorvane {

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
    return AutomationDateToCalendar(static_cast<double>(day) + kAutomationDayOf1970, date);
}

std::string DateText(int day) {
    CalendarTime date;
    CalendarOfDay(day, date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year % 10000, date.month % 100, date.day % 100);
    return text;
}

bool ParseDateText(const std::string& text, int& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9') return false;
    CalendarTime date;
    date.year = std::stoi(text.substr(0, 4));
    date.month = std::stoi(text.substr(5, 2));
    date.day = std::stoi(text.substr(8, 2));
    double value = 0;
    if (!CalendarToAutomationDate(date, value)) return false;
    day = DayNumber(date.year, date.month, date.day);
    return true;
}

int CarryTimeOfDay(int hour, int minute) {
    const long long total = static_cast<long long>(hour) * 60 + minute;
    return static_cast<int>(((total % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay);
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
    int day = 0;
    const auto digits = [&text](std::size_t at) {
        return text[at] >= '0' && text[at] <= '9' && text[at + 1] >= '0' && text[at + 1] <= '9'
                   ? (text[at] - '0') * 10 + (text[at + 1] - '0')
                   : 99;
    };
    if (text.size() != 16 || text[10] != 'T' || text[13] != ':' || !ParseDateText(text.substr(0, 10), day))
        return kNoMoment;
    const int hour = digits(11), minute = digits(14);
    return hour < 24 && minute < 60 ? MomentOf(day, hour * 60 + minute) : kNoMoment;
}

std::string MomentText(Moment moment) {
    const int minute = static_cast<int>(moment - MomentOf(MomentDay(moment), 0));
    char time[32];
    std::snprintf(time, sizeof time, "T%02d:%02d", minute / 60, minute % 60);
    return DateText(MomentDay(moment)) + time;
}

}  // namespace lorvane
