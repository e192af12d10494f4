// The mail that tells the user which settings were just stored.
#pragma once

#include <string>

namespace lorvane {

// Returns the summary: address, frequency (1 Daily, 2 Weekly, else
// Turned off), format (0 HTML, else Text) and the first `queryCount` of
// `queryTexts`, one per line.
std::string ComposeSettingsConfirmation(const std::string& recipient, int frequency,
                                        const std::string* queryTexts, int queryCount, int format);

// Mails that summary from `sender` to `recipient` with the subject
// "Lorvane! configuration settings", in the mail component's default
// format, and prints the outcome on standard output.
void SendSettingsConfirmation(const std::string& sender, const std::string& recipient,
                              int frequency, const std::string* queryTexts, int queryCount,
                              int format);

}  // namespace lorvane
