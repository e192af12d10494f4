// The runner's days: a day as a count of days from 1 January 1970, local
// to the computer, and the search window's dates as the texts a search
// request writes ("%d/%d/%d" year/month/day, or padded for the entry-date
// window of only new articles).
#pragma once

#include <limits>
#include <string>

#include "common/alert_settings.h"
#include "common/automation_date.h"
#include "common/local_time.h"

namespace lorvane {

// A day as a count of days from 1 January 1970; kNoDay for none.
constexpr int kNoDay = std::numeric_limits<int>::min();

// Returns the local day of `clock`'s present time in `day`, or false when
// the clock cannot be converted to a local date.
bool LocalDayNumber(Clock clock, int& day);

// Returns `day` as a search request writes dates: "2007/3/1"; `padded`,
// as the search term of only new articles writes them: "2007/03/01".
std::string SearchDateText(int day, bool padded = false);

// Returns today's local date as "year/month/day" without leading zeros.
// When the clock cannot be converted to a local date of the years 100 to
// 9999 the text is "-1/-1/-1".
std::string FormatMaxDate(Clock clock = SystemClock);

// Returns the local date one day (Daily) or seven days (any other
// frequency) before now, as "year/month/day". When the clock cannot be
// converted the span is taken back from 30 December 1899, giving
// "1899/12/29" or "1899/12/23".
std::string FormatMinDate(AlertFrequency frequency, Clock clock = SystemClock);

}  // namespace lorvane
