// The mail that tells the user which settings were just stored.
#pragma once

#include <string>

#include "common/alert_settings.h"
#include "common/console.h"
#include "common/mail_delivery.h"

namespace lorvane {

// Returns the summary: address, frequency (Daily, Weekly, else Turned
// off), format, whether only new articles are sent, and the first
// `queryCount` of `queryTexts`, one per line.
std::string ComposeSettingsConfirmation(const std::string& recipient, AlertFrequency frequency,
                                        const std::string* queryTexts, int queryCount,
                                        MailFormat format, bool onlyNew);

// Mails that summary through a component that `transport` makes, from
// `sender` to `recipient` with the subject "Lorvane! configuration
// settings", in the component's default format; reports the outcome on
// `console` and returns it.
MailOutcome SendSettingsConfirmation(Console& console, const MailComponentFactory& transport,
                                     const std::string& sender, const std::string& recipient,
                                     AlertFrequency frequency, const std::string* queryTexts,
                                     int queryCount, MailFormat format, bool onlyNew);

}  // namespace lorvane
