// The user's settings as both programs hold them, and the names and texts
// under which they live in the per-user settings key.
#pragma once

#include <array>
#include <string>

#include "common/mail_server.h"

namespace lorvane {

// How often the alert runner searches. The numbers are part of the
// contract between the two programs.
enum class AlertFrequency : int {
    Daily = 1,
    Weekly = 2,
    Off = 3,
};

// The mail format; the numbers are those the configuration program keeps.
enum class MailFormat : int {
    Html = 0,
    Text = 1,
};

// Number of query slots in the settings key (values Query0 to Query199).
constexpr int kQuerySlotCount = 200;

// Every value is read into a buffer of this many bytes, terminator
// included: a value of 2000 bytes or more does not fit.
constexpr std::size_t kSettingsValueCapacity = 2000;

// Value names of the settings key.
extern const char kEmailValue[];      // "Email"
extern const char kFrequencyValue[];  // "Frequency"
extern const char kFormatValue[];     // "Format"
extern const char kDayValue[];        // "Day"
extern const char kHourValue[];       // "Hour"
extern const char kMinuteValue[];     // "Minute"
extern const char kApiKeyValue[];     // "ApiKey"
extern const char kOnlyNewValue[];    // "OnlyNew"
extern const char kAttachCitationsValue[];  // "AttachCitations"
extern const char kForwardLinksValue[];     // "ForwardLinks"
extern const char kAbstractsValue[];        // "Abstracts"
extern const char kWatchRetractionsValue[];  // "WatchRetractions"
// The names a Day value holds, Sunday first, as the dialog offers them.
extern const char* const kWeekdayNames[7];
extern const char kScheduleSinceValue[];    // "ScheduleSince": when "Save and exit" last registered the schedule

// Stored texts of the frequency and the mail format.
extern const char kDailyText[];   // "Daily"
extern const char kWeeklyText[];  // "Weekly"
extern const char kOffText[];     // "Off"
extern const char kHtmlText[];    // "HTML"
extern const char kTextText[];    // "Text"

// What a digest holds beyond its list of articles; each is stored as "1"
// or "0", and absent is off: the plain digest.
struct DigestOptions {
    bool attachCitations = false;  // the citations of all articles as one RIS file
    bool forwardLinks = false;     // HTML: a mailto: link per article
    bool abstracts = false;        // each article's abstract and DOI
    // Report the articles mailed before that have been retracted since.
    bool watchRetractions = false;
};

// The check box labels of the options, as the summary mail repeats them.
extern const char kAttachCitationsLabel[];
extern const char kForwardLinksLabel[];
extern const char kAbstractsLabel[];
extern const char kWatchRetractionsLabel[];

struct AlertSettings {
    std::string email;
    // Slot i holds query i; the empty text is a free slot.
    std::array<std::string, kQuerySlotCount> queries;
    AlertFrequency frequency = AlertFrequency::Off;
    // false: HTML mail; true: plain-text mail.
    bool plainText = false;
    // The user's E-utilities API key; empty for none. Alert runner only.
    std::string apiKey;
    // List only articles not mailed in an earlier digest ("OnlyNew" = "1").
    bool onlyNew = false;
    DigestOptions digest;
    // The outgoing mail server; none configured: the system's transport.
    MailServerSettings mail;
    // The schedule: the weekday's name, the time, and the local time
    // ("YYYY-MM-DDTHH:MM") it was last registered at.
    std::string day;
    int hour = 0;
    int minute = 0;
    std::string scheduleSince;
};

// When the runner is scheduled: daily, or weekly on a weekday, at a time.
struct RunSchedule {
    AlertFrequency frequency = AlertFrequency::Off;
    int weekday = 6;  // 0 Sunday .. 6 Saturday; weekly runs only
    int minuteOfDay = 0;
};

bool operator==(const RunSchedule& a, const RunSchedule& b);
inline bool operator!=(const RunSchedule& a, const RunSchedule& b) { return !(a == b); }

// Returns the schedule of `settings`: its frequency, the weekday its Day
// names (Saturday when it names none), and its time with calendar carry.
RunSchedule ScheduleOfSettings(const AlertSettings& settings);

// Returns how a person reads `schedule`: "daily at 07:30", "weekly on
// Monday at 07:30" or "turned off".
std::string ScheduleText(const RunSchedule& schedule);

// Returns the time of day of `schedule` as "HH:MM".
std::string ScheduleTimeText(const RunSchedule& schedule);

// Returns the value name of query slot `slot` ("Query%d", no leading
// zeros). The slot is not range-checked.
std::string QueryValueName(int slot);

// Returns the frequency a stored text stands for: exactly "Daily" or
// "Weekly" (byte for byte, case-sensitive); any other text is Off.
AlertFrequency ParseStoredFrequency(const std::string& text);

// Returns the stored text of a frequency: "Daily", "Weekly" or "Off".
const char* StoredFrequencyText(AlertFrequency frequency);

// Returns the stored text of a mail format: "HTML" or "Text".
const char* StoredFormatText(MailFormat format);

}  // namespace lorvane
