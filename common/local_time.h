// The clock and local calendar time.
#pragma once

#include <cstdint>

#include "common/automation_date.h"

namespace lorvane {

// A source of the current time in seconds since 1 January 1970 UTC. The
// programs use SystemClock; tests hand in fixed times.
using Clock = std::int64_t (*)();

// Returns the system's current time in seconds since 1 January 1970 UTC.
std::int64_t SystemClock();

// Converts `seconds` since 1970 UTC to local calendar time in `time`
// (milliseconds 0). Returns false when the platform cannot convert it.
bool LocalCalendarTime(std::int64_t seconds, CalendarTime& time);

// Returns the number of days from 1 January 1970 to a calendar date
// (proleptic Gregorian; negative before 1970).
int DayNumber(int year, int month, int day);

}  // namespace lorvane
