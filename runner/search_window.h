// The search window of a run: today's local date and the date one day
// (daily alerts) or seven days (all other frequencies) before it, as the
// "%d/%d/%d" year/month/day texts that go into a search request.
#pragma once

#include <string>

#include "common/alert_settings.h"
#include "common/local_time.h"

namespace lorvane {

// Returns today's local date as "year/month/day" without leading zeros.
// When the clock cannot be converted to a local date the text is
// "-1/-1/-1".
std::string FormatMaxDate(Clock clock = SystemClock);

// Returns the local date one day (Daily) or seven days (any other
// frequency) before now, as "year/month/day". When the clock cannot be
// converted the span is taken back from 30 December 1899, giving
// "1899/12/29" or "1899/12/23".
std::string FormatMinDate(AlertFrequency frequency, Clock clock = SystemClock);

}  // namespace lorvane
