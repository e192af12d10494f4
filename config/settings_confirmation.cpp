#include "config/settings_confirmation.h"

#include "common/mail_delivery.h"

namespace lorvane {

std::string ComposeSettingsConfirmation(const std::string& recipient, int frequency,
                                        const std::string* queryTexts, int queryCount, int format) {
    std::string body = "The Lorvane! system settings were recently modified. The new settings are:\n\n"
                       "Email: " + recipient + "\n\nFrequency: ";
    body += frequency == 1 ? "Daily\n\n" : frequency == 2 ? "Weekly\n\n" : "Turned off\n\n";
    body += format == 0 ? "Format: HTML\n\n" : "Format: Text\n\n";
    body += "The following queries will be running:\n\n";
    for (int i = 0; i < queryCount; ++i) body += queryTexts[i] + "\n";
    body += "\nThank you for using Lorvane!\n";
    return body;
}

void SendSettingsConfirmation(const std::string& sender, const std::string& recipient,
                              int frequency, const std::string* queryTexts, int queryCount,
                              int format) {
    DeliverMail(sender, recipient, "Lorvane! configuration settings",
                ComposeSettingsConfirmation(recipient, frequency, queryTexts, queryCount, format),
                false);
}

}  // namespace lorvane
