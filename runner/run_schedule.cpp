#include "runner/run_schedule.h"

#include <algorithm>

#include "common/text.h"

namespace lorvane {
namespace {

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

// 1 January 1970 was a Thursday.
int WeekdayOfDay(int day) { return static_cast<int>(((day + 4) % 7 + 7) % 7); }

// The moment of the schedule before `moment`.
Moment PreviousMoment(const RunSchedule& schedule, Moment moment) {
    return moment - static_cast<Moment>(schedule.frequency == AlertFrequency::Daily ? 1 : 7) * kMinutesPerDay;
}

}  // namespace

Moment NewestMoment(const RunSchedule& schedule, Moment now) {
    if (schedule.frequency == AlertFrequency::Off || now == kNoMoment) return kNoMoment;
    const int today = MomentDay(now);
    Moment moment = MomentOf(today, schedule.minuteOfDay);
    if (schedule.frequency == AlertFrequency::Weekly)
        moment -= static_cast<Moment>((WeekdayOfDay(today) - schedule.weekday + 7) % 7) * kMinutesPerDay;
    return moment <= now ? moment : PreviousMoment(schedule, moment);
}

DueRun FindDueRun(const RunSchedule& schedule, Moment now, Moment lastServed, Moment since) {
    DueRun run;
    run.serves = NewestMoment(schedule, now);
    if (lastServed > now) lastServed = kNoMoment;
    if (since > now) since = kNoMoment;
    run.due = run.serves != kNoMoment && run.serves > lastServed && run.serves >= since;
    if (!run.due || lastServed == kNoMoment) return run;
    const Moment oldest = std::max(lastServed + 1, now - static_cast<Moment>(kLongestMakeUpDays) * kMinutesPerDay);
    for (Moment moment = PreviousMoment(schedule, run.serves); moment >= oldest && moment >= since;
         moment = PreviousMoment(schedule, moment))
        run.missed.insert(run.missed.begin(), moment);
    return run;
}

std::string MakeUpLine(const std::vector<Moment>& missed) {
    if (missed.empty()) return std::string();
    std::string days;
    for (std::size_t i = 0; i < missed.size(); ++i) {
        CalendarTime date, next;
        CalendarOfDay(MomentDay(missed[i]), date);
        const bool last = i + 1 == missed.size();
        if (!last) CalendarOfDay(MomentDay(missed[i + 1]), next);
        days += std::string(i == 0 ? "" : last ? " and " : ", ") + kWeekdayNames[WeekdayOfDay(MomentDay(missed[i]))] +
                " " + std::to_string(date.day);
        if (last || next.month != date.month) days += std::string(" ") + kMonths[(date.month + 11) % 12];
    }
    return std::string("This digest also covers the scheduled run") + (missed.size() == 1 ? "" : "s") + " of " +
           days + ", missed while the computer was off.";
}

}  // namespace lorvane
