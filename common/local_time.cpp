#include "common/local_time.h"

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

}  // namespace lorvane
