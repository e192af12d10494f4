#include "common/mail_delivery.h"

namespace lorvane {

MailOutcome MailOutcome::Delivered() {
    MailOutcome outcome;
    outcome.delivered = true;
    outcome.report = "Message delivered!";
    return outcome;
}

MailOutcome MailOutcome::NotSent(const std::string& step) {
    MailOutcome outcome;
    outcome.reason = step;
    outcome.report = "Mail not sent: " + step;
    return outcome;
}

MailOutcome MailOutcome::Failed(const std::string& failure) {
    MailOutcome outcome;
    outcome.report = failure;
    outcome.reason = failure.empty() ? "the mail component gave no reason" : failure;
    return outcome;
}

const char* MailSubject(MailKind kind) {
    return kind == kPeriodicResultsMail ? "Lorvane! Periodic Search Results"
                                        : "Lorvane! Colleague Article Alert";
}

MailMessage LorvaneMessage(const std::string& sender, const std::string& recipient,
                           const std::string& subject, const std::string& body, bool html,
                           const std::vector<MailAttachment>& attachments) {
    MailMessage message;
    message.sender = sender;
    message.addressees.push_back({"Lorvane!", recipient, 0});
    message.subject = subject;
    message.body = body;
    message.html = html;
    message.attachments = attachments;
    return message;
}

MailOutcome TryDeliverMail(const MailTransportFactory& create, const MailMessage& message) {
    std::unique_ptr<MailTransport> transport;
    const Status created = create(transport);
    if (!created.ok()) return MailOutcome::NotSent(created.message());
    MailOutcome outcome = transport->Send(message);
    outcome.notice = created.message();
    return outcome;
}

MailOutcome DeliverMail(const MailTransportFactory& create, Console& console, const MailMessage& message) {
    const MailOutcome outcome = TryDeliverMail(create, message);
    if (!outcome.notice.empty()) console.Diagnose(outcome.notice);
    if (!outcome.leftOut.empty() && outcome.delivered) console.Diagnose(outcome.leftOut);
    console.Line(outcome.report);
    return outcome;
}

bool SendAlertMail(const MailTransportFactory& create, Console& console, const std::string& sender,
                   const std::string& recipient, const std::string& body, bool plainText, MailKind kind) {
    return DeliverMail(create, console, LorvaneMessage(sender, recipient, MailSubject(kind), body, !plainText))
        .delivered;
}

}  // namespace lorvane
