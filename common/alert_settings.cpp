#include "common/alert_settings.h"

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
const char kScheduleSinceValue[] = "ScheduleSince";
const char* const kWeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

const char kAttachCitationsLabel[] = "Attach the citations of all articles (a RIS file)";
const char kForwardLinksLabel[] = "Add a Forward link that opens your own mail program";
const char kAbstractsLabel[] = "Add each article's abstract and DOI";

const char kDailyText[] = "Daily";
const char kWeeklyText[] = "Weekly";
const char kOffText[] = "Off";
const char kHtmlText[] = "HTML";
const char kTextText[] = "Text";

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
