#include "common/composed_mail.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

#include "common/local_time.h"
#include "common/system_services.h"

namespace lorvane {
namespace {

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

MailOutcome ComposedMailTransport::Send(const MailMessage& message) {
    const std::string refused =
        " refused an address, name or subject holding a line break or another control character, or an "
        "address longer than " + std::to_string(kMaxAddressLength) + " bytes";
    if (!IsSafeAddress(message.sender))
        return MailOutcome::NotSent("setting the sender" + refused);
    for (const MailAddressee& addressee : message.addressees)
        if (!IsSafeAddress(addressee.address) || HasLineBreak(addressee.displayName) || addressee.kind < 0 ||
            addressee.kind > 2)
            return MailOutcome::NotSent("adding the recipient" + refused);
    if (HasLineBreak(message.subject)) return MailOutcome::NotSent("setting the subject" + refused);

    // The message is worth sending without a file that cannot go with it;
    // only then is it copied, without that file.
    auto plain = [](const std::string& text, const char* others) {
        return !text.empty() && text.size() < 200 &&
               text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789" +
                                      std::string(others)) == std::string::npos;
    };
    auto attachable = [&plain](const MailAttachment& attachment) {
        return plain(attachment.name, "-_.") && plain(attachment.contentType, "-_.+/");
    };
    std::string leftOut;
    for (const MailAttachment& attachment : message.attachments)
        if (!attachable(attachment))
            leftOut += (leftOut.empty() ? "" : "; ") + attachment.name + " could not be attached:" + refused;
    MailMessage trimmed;
    if (!leftOut.empty()) {
        trimmed = message;
        trimmed.attachments.erase(std::remove_if(trimmed.attachments.begin(), trimmed.attachments.end(),
                                                 [&](const MailAttachment& a) { return !attachable(a); }),
                                  trimmed.attachments.end());
    }
    const MailMessage& sent = leftOut.empty() ? message : trimmed;
    MailOutcome outcome = MailOutcome::Failed("the message has no sender or no recipient");
    if (!sent.sender.empty() && !sent.addressees.empty()) {
        const Status sentOff = Transmit(sent, ComposeMailMessage(sent, MailDate(), NewMessageId(sent.sender)));
        outcome = sentOff.ok() ? MailOutcome::Delivered() : MailOutcome::Failed(sentOff.message());
    }
    outcome.leftOut = leftOut;
    return outcome;
}

std::string MailDate() {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    std::tm local{};
    if (!ToLocalTime(now, local)) return std::string();
    // The zone's offset: the local fields read as if they were UTC, less now.
    const long long asUtc = DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400LL +
                            local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    const long long minutes = (asUtc - now) / 60;
    const long long magnitude = minutes < 0 ? -minutes : minutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02lld%02lld",
                  kDays[local.tm_wday % 7], local.tm_mday, kMonths[local.tm_mon % 12],
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                  minutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::string NewMessageId(const std::string& sender) {
    std::random_device random;
    const std::size_t at = sender.rfind('@');
    const std::string domain = at == std::string::npos || at + 1 == sender.size()
                                   ? std::string("localhost")
                                   : sender.substr(at + 1);
    return "<" + std::to_string(std::time(nullptr)) + "." + std::to_string(random()) + "." +
           std::to_string(random()) + ".lorvane@" + domain + ">";
}

}  // namespace lorvane
