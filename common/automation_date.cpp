#include "common/automation_date.h"

#include <cmath>

namespace lorvane {
namespace {

// 1 January 100 and 31 December 9999 as automation dates.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.0;

// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kEpochOffset = 25569;

// Proleptic Gregorian calendar, days relative to 1970-01-01.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Fills date and weekday of `time` from a day count since 1899-12-30.
void SetDate(std::int64_t automationDays, CalendarTime& time) {
    CivilFromDays(automationDays - kEpochOffset, time.year, time.month, time.day);
    // 30 December 1899 was a Saturday.
    time.dayOfWeek = static_cast<int>(((automationDays % 7) + 7 + 6) % 7);
}

}  // namespace

bool CalendarToAutomationDate(const CalendarTime& time, double& value) {
    if (time.year < 100 || time.year > 9999) return false;
    if (time.month < 1 || time.month > 12) return false;
    if (time.day < 1 || time.day > DaysInMonth(time.year, time.month)) return false;
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 ||
        time.second < 0 || time.second > 59)
        return false;

    double date =
        static_cast<double>(DaysFromCivil(time.year, time.month, time.day) + kEpochOffset);
    // Before the epoch the time of day still counts forward, so it moves
    // the value away from zero. Added piece by piece, as the platform does,
    // so that both give the same double.
    const double sign = date < 0.0 ? -1.0 : 1.0;
    date += time.hour / 24.0 * sign;
    date += time.minute / 1440.0 * sign;
    date += time.second / 86400.0 * sign;
    value = date;
    return true;
}

bool AutomationDateToCalendar(double value, CalendarTime& time) {
    if (std::isnan(value) || value <= kMinDate - 1.0 || value >= kMaxDate + 1.0) return false;

    const double datePart = value < 0.0 ? std::ceil(value) : std::floor(value);
    // The small bias keeps a fraction that is a whole number of seconds
    // from truncating to the second before.
    double timePart = std::fabs(value - datePart) + 0.00000000001;
    if (timePart >= 1.0) timePart -= 0.00000000001;

    CalendarTime result;
    const std::int64_t days = static_cast<std::int64_t>(datePart);
    SetDate(days, result);

    timePart *= 24.0;
    result.hour = static_cast<int>(timePart);
    timePart -= result.hour;
    timePart *= 60.0;
    result.minute = static_cast<int>(timePart);
    timePart -= result.minute;
    timePart *= 60.0;
    result.second = static_cast<int>(timePart);
    timePart -= result.second;
    result.milliseconds = 0;

    // Round to the nearest second, carrying into the next day if need be.
    if (timePart > 0.5) {
        if (++result.second == 60) {
            result.second = 0;
            if (++result.minute == 60) {
                result.minute = 0;
                if (++result.hour == 24) {
                    result.hour = 0;
                    SetDate(days + 1, result);
                }
            }
        }
    }
    time = result;
    return true;
}

}  // namespace lorvane
