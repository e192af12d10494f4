#include "common/alert_settings.h"

#include <cstdio>

#include "common/local_time.h"

namespace lorvane {

const char kEmailValue[] = "Email";
const char kFrequencyValue[] = "Frequency";
const char kFormatValue[] = "Format";
const char kDayValue[] = "Day";
const char kHourValue[] = "Hour";
const char kMinuteValue[] = "Minute";
const char kApiKeyValue[] = "ApiKey";
const char kOnlyNewValue[] = "OnlyNew";
const char kAttachCitationsValue[] = "AttachCitations";
const char kForwardLinksValue[] = "ForwardLinks";
const char kAbstractsValue[] = "Abstracts";
const char kWatchRetractionsValue[] = "WatchRetractions";
const char kScheduleSinceValue[] = "ScheduleSince";
const char* const kWeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

const char kAttachCitationsLabel[] = "Attach the citations of all articles (a RIS file)";
const char kForwardLinksLabel[] = "Add a Forward link that opens your own mail program";
const char kAbstractsLabel[] = "Add each article's abstract and DOI";
const char kWatchRetractionsLabel[] = "Tell me when an article I was sent is retracted";

const char kDailyText[] = "Daily";
const char kWeeklyText[] = "Weekly";
const char kOffText[] = "Off";
const char kHtmlText[] = "HTML";
const char kTextText[] = "Text";

bool operator==(const RunSchedule& a, const RunSchedule& b) {
    if (a.frequency != b.frequency) return false;
    // The weekday and time of a schedule that is off, and the weekday of a
    // daily one, say nothing.
    return a.frequency == AlertFrequency::Off ||
           (a.minuteOfDay == b.minuteOfDay && (a.frequency == AlertFrequency::Daily || a.weekday == b.weekday));
}

RunSchedule ScheduleOfSettings(const AlertSettings& settings) {
    RunSchedule schedule;
    schedule.frequency = settings.frequency;
    for (int day = 0; day < 7; ++day)
        if (settings.day == kWeekdayNames[day]) schedule.weekday = day;
    schedule.minuteOfDay = CarryTimeOfDay(settings.hour, settings.minute);
    return schedule;
}

std::string ScheduleTimeText(const RunSchedule& schedule) {
    char time[8];
    const int minute = ((schedule.minuteOfDay % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
    std::snprintf(time, sizeof time, "%02d:%02d", minute / 60, minute % 60);
    return time;
}

std::string ScheduleText(const RunSchedule& schedule) {
    if (schedule.frequency == AlertFrequency::Daily) return "daily at " + ScheduleTimeText(schedule);
    if (schedule.frequency != AlertFrequency::Weekly) return "turned off";
    const int weekday = schedule.weekday >= 0 && schedule.weekday < 7 ? schedule.weekday : 6;
    return std::string("weekly on ") + kWeekdayNames[weekday] + " at " + ScheduleTimeText(schedule);
}

std::string QueryValueName(int slot) {
    return "Query" + std::to_string(slot);
}

AlertFrequency ParseStoredFrequency(const std::string& text) {
    if (text == kDailyText) return AlertFrequency::Daily;
    if (text == kWeeklyText) return AlertFrequency::Weekly;
    return AlertFrequency::Off;
}

const char* StoredFrequencyText(AlertFrequency frequency) {
    switch (frequency) {
        case AlertFrequency::Daily: return kDailyText;
        case AlertFrequency::Weekly: return kWeeklyText;
        case AlertFrequency::Off: break;
    }
    return kOffText;
}

const char* StoredFormatText(MailFormat format) {
    return format == MailFormat::Text ? kTextText : kHtmlText;
}

}  // namespace lorvane
