// The mail that tells the user which settings were just stored.
#pragma once

#include <string>

#include "common/alert_settings.h"
#include "common/console.h"
#include "common/mail_delivery.h"

namespace lorvane {

// What the summary says of the schedule: a sentence on whether and when
// the runner is scheduled, and whether a work item will start it.
struct ScheduleStatus {
    std::string sentence;  // "Alerts are scheduled daily at 07:30." / "No schedule is registered: ..."
    bool running = false;
};

// Returns the summary: address, frequency (Daily, Weekly, else Turned
// off), format, whether only new articles are sent, the digest options
// (each "Yes" or "No" after its check box's label), the schedule, and the
// first `queryCount` of `queryTexts`, one per line, as queries that "will
// be running" only when a work item will run them.
std::string ComposeSettingsConfirmation(const std::string& recipient, AlertFrequency frequency,
                                        const std::string* queryTexts, int queryCount,
                                        MailFormat format, bool onlyNew, const DigestOptions& digest,
                                        const ScheduleStatus& schedule);

// Mails that summary through a transport that `transport` makes, from
// `sender` to `recipient` with the subject "Lorvane! configuration
// settings", as plain text; reports the outcome on
// `console` and returns it.
MailOutcome SendSettingsConfirmation(Console& console, const MailTransportFactory& transport,
                                     const std::string& sender, const std::string& recipient,
                                     AlertFrequency frequency, const std::string* queryTexts,
                                     int queryCount, MailFormat format, bool onlyNew,
                                     const DigestOptions& digest, const ScheduleStatus& schedule);

}  // namespace lorvane
