#include "common/composed_mail.h"

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

MailStatus ComposedMailComponent::ClearMessage() {
    m_message = MailMessage();
    return kMailOk;
}

MailStatus ComposedMailComponent::SetMailServer(const std::string& server) {
    return server.empty() ? kMailOk : kMailNotSupported;
}

MailStatus ComposedMailComponent::SetSenderAddress(const std::string& address) {
    if (!IsSafeAddress(address)) return kMailInvalidArgument;
    m_message.sender = address;
    return kMailOk;
}

MailStatus ComposedMailComponent::AddAddressee(const std::string& displayName,
                                               const std::string& address, std::int32_t kind,
                                               std::int32_t& result) {
    if (!IsSafeAddress(address) || HasLineBreak(displayName) || kind < kToAddressee ||
        kind > kBccAddressee)
        return kMailInvalidArgument;
    m_message.addressees.push_back({displayName, address, kind});
    result = static_cast<std::int32_t>(m_message.addressees.size());
    return kMailOk;
}

MailStatus ComposedMailComponent::SetSubjectLine(const std::string& subject) {
    if (HasLineBreak(subject)) return kMailInvalidArgument;
    m_message.subject = subject;
    return kMailOk;
}

MailStatus ComposedMailComponent::SetMessageFormat(std::int32_t format) {
    m_message.html = format == kHtmlFormat;
    return kMailOk;
}

MailStatus ComposedMailComponent::SetMessageText(const std::string& body) {
    m_message.body = body;
    return kMailOk;
}

MailStatus ComposedMailComponent::AddAttachment(const MailAttachment& attachment) {
    auto plain = [](const std::string& text, const char* others) {
        return !text.empty() && text.size() < 200 &&
               text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789" +
                                      std::string(others)) == std::string::npos;
    };
    if (!plain(attachment.name, "-_.") || !plain(attachment.contentType, "-_.+/")) return kMailInvalidArgument;
    m_message.attachments.push_back(attachment);
    return kMailOk;
}

MailStatus ComposedMailComponent::DeliverMessage(std::int32_t& result) {
    result = 1;
    if (m_message.sender.empty() || m_message.addressees.empty()) {
        m_lastFailure = "the message has no sender or no recipient";
        return kMailOk;
    }
    const std::string text =
        ComposeMailMessage(m_message, MailDate(), NewMessageId(m_message.sender));
    if (Transmit(m_message, text, m_lastFailure)) result = 0;
    return kMailOk;
}

MailStatus ComposedMailComponent::DescribeLastFailure(std::string& text) {
    text = m_lastFailure;
    return kMailOk;
}

std::string ComposedMailComponent::DescribeStatus(MailStatus status) {
    if (status == kMailInvalidArgument)
        return "refused an address, name or subject holding a line break or another control "
               "character, or an address longer than " + std::to_string(kMaxAddressLength) +
               " bytes";
    if (status == kMailNotSupported) return "can only deliver through the transport it was made for";
    return "failed with status " + std::to_string(status);
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
