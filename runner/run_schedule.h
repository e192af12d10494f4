// When a scheduled run is due. The scheduler starts the runner every hour
// (and, on Windows, at logon); the runner decides: the newest scheduled
// moment at or before now that no completed run has served yet is due,
// unless it lies before the schedule was saved.
#pragma once

#include <string>
#include <vector>

#include "common/alert_settings.h"
#include "common/local_time.h"

namespace lorvane {

// How far back a run makes up for missed moments.
constexpr int kLongestMakeUpDays = 31;

// Returns the newest moment of `schedule` at or before `now`; kNoMoment
// when alerts are off.
Moment NewestMoment(const RunSchedule& schedule, Moment now);

// What a scheduled start finds: whether a run is due, the moment it serves
// and the older moments it makes up for (oldest first, at most
// kLongestMakeUpDays back).
struct DueRun {
    bool due = false;
    Moment serves = kNoMoment;
    std::vector<Moment> missed;
};

// Returns what a start at `now` finds, with `lastServed` the moment the
// last completed run served and `since` the moment the schedule was saved
// (either kNoMoment when unknown). A value ahead of `now` comes from a
// clock that was set wrong, and is not trusted.
DueRun FindDueRun(const RunSchedule& schedule, Moment now, Moment lastServed, Moment since);

// Returns the line that says which missed runs a digest covers: "This
// digest also covers the scheduled runs of Monday 7 and Tuesday 8
// December, missed while the computer was off."
std::string MakeUpLine(const std::vector<Moment>& missed);

}  // namespace lorvane
