// The clock and local calendar time.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

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

// 1 January 1970 as an automation date, and the minutes of a day.
constexpr int kAutomationDayOf1970 = 25569;
constexpr int kMinutesPerDay = 24 * 60;

// Sets `date` to the calendar date of `day` (days from 1970). Returns
// false for a day outside the years 100 to 9999.
bool CalendarOfDay(int day, CalendarTime& date);

// Writes `day` as "YYYY-MM-DD"; reads such a text of a real calendar day
// (not 31 April, not month 13) into `day`, returning false for any other.
std::string DateText(int day);
bool ParseDateText(const std::string& text, int& day);

// Returns the time of day that `hour`:`minute` comes to with calendar
// carry (minute 75 is 15 past the next hour), as minutes after midnight.
int CarryTimeOfDay(int hour, int minute);

// A local date and time to the minute, as minutes from 1 January 1970 the
// way the local calendar writes them; kNoMoment for none.
using Moment = std::int64_t;
constexpr Moment kNoMoment = std::numeric_limits<Moment>::min();

// Returns the local moment of `clock`'s present time, or kNoMoment when the
// clock cannot be read as a local date.
Moment LocalMoment(Clock clock);

// Returns the moment of `day` (days from 1970) at `minuteOfDay`, and the
// day of `moment`.
Moment MomentOf(int day, int minuteOfDay);
int MomentDay(Moment moment);

// Reads "YYYY-MM-DDTHH:MM" into a moment (kNoMoment for anything else),
// and writes one so.
Moment ParseMoment(const std::string& text);
std::string MomentText(Moment moment);

}  // namespace lorvane
