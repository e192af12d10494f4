#include "config/settings_confirmation.h"

#include "common/mail_delivery.h"

namespace lorvane {

std::string ComposeSettingsConfirmation(const std::string& recipient, AlertFrequency frequency,
                                        const std::string* queryTexts, int queryCount,
                                        MailFormat format, bool onlyNew, const DigestOptions& digest,
                                        const ScheduleStatus& schedule) {
    std::string body = "The Lorvane! system settings were recently modified. The new settings are:\n\n"
                       "Email: " + recipient + "\n\nFrequency: ";
    body += frequency == AlertFrequency::Off ? std::string("Turned off")
                                             : StoredFrequencyText(frequency);
    body += std::string("\n\nFormat: ") + StoredFormatText(format) + "\n\n";
    auto option = [&body](const char* label, bool on) {
        body += std::string(label) + ": " + (on ? "Yes" : "No") + "\n\n";
    };
    option("Only articles I have not been sent before", onlyNew);
    option(kAttachCitationsLabel, digest.attachCitations);
    option(kForwardLinksLabel, digest.forwardLinks);
    option(kAbstractsLabel, digest.abstracts);
    option(kWatchRetractionsLabel, digest.watchRetractions);
    body += schedule.sentence + "\n\n";
    body += schedule.running ? "The following queries will be running:\n\n"
                             : "The following queries are stored:\n\n";
    for (int i = 0; i < queryCount; ++i) body += queryTexts[i] + "\n";
    body += "\nThank you for using Lorvane!\n";
    return body;
}

MailOutcome SendSettingsConfirmation(Console& console, const MailTransportFactory& transport,
                                     const std::string& sender, const std::string& recipient,
                                     AlertFrequency frequency, const std::string* queryTexts,
                                     int queryCount, MailFormat format, bool onlyNew,
                                     const DigestOptions& digest, const ScheduleStatus& schedule) {
    return DeliverMail(transport, console,
                       LorvaneMessage(sender, recipient, "Lorvane! configuration settings",
                                      ComposeSettingsConfirmation(recipient, frequency, queryTexts, queryCount,
                                                                  format, onlyNew, digest, schedule),
                                      false));
}

}  // namespace lorvane
