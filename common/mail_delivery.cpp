#include "common/mail_delivery.h"

namespace lorvane {
namespace {

// Says which operation failed with which status.
bool Succeeded(MailComponent& mail, MailStatus status, const char* operation, MailOutcome& outcome) {
    if (status == kMailOk) return true;
    outcome.reason = std::string(operation) + " " + mail.DescribeStatus(status);
    outcome.report = "Mail not sent: " + outcome.reason;
    return false;
}

}  // namespace

const char* MailSubject(MailKind kind) {
    return kind == kPeriodicResultsMail ? "Lorvane! Periodic Search Results"
                                        : "Lorvane! Colleague Article Alert";
}

MailOutcome TryDeliverMail(MailComponent& mail, const std::string& sender,
                           const std::string& recipient, const std::string& subject,
                           const std::string& body, bool html,
                           const std::vector<MailAttachment>& attachments) {
    MailOutcome outcome;
    auto ok = [&](MailStatus status, const char* operation) {
        return Succeeded(mail, status, operation, outcome);
    };
    std::int32_t number = 0, result = 1;
    if (!ok(mail.ClearMessage(), "clearing the message")) return outcome;
    if (!ok(mail.SetMailServer(""), "choosing the mail server")) return outcome;
    if (!ok(mail.SetSenderAddress(sender), "setting the sender")) return outcome;
    if (!ok(mail.AddAddressee("Lorvane!", recipient, kToAddressee, number), "adding the recipient"))
        return outcome;
    if (!ok(mail.SetSubjectLine(subject), "setting the subject")) return outcome;
    if (html && !ok(mail.SetMessageFormat(kHtmlFormat), "setting the format")) return outcome;
    if (!ok(mail.SetMessageText(body), "setting the text")) return outcome;
    for (const MailAttachment& attachment : attachments) {
        // The message is worth sending without a file the component cannot take.
        const MailStatus status = mail.AddAttachment(attachment);
        if (status != kMailOk)
            outcome.leftOut += (outcome.leftOut.empty() ? "" : "; ") + attachment.name +
                               " could not be attached: " + mail.DescribeStatus(status);
    }
    if (!ok(mail.DeliverMessage(result), "delivering")) return outcome;
    if (result == 0) {
        outcome.delivered = true;
        outcome.report = "Message delivered!";
        return outcome;
    }
    std::string failure;
    if (!ok(mail.DescribeLastFailure(failure), "describing the failure")) return outcome;
    outcome.report = failure;
    outcome.reason = failure.empty() ? "the mail component gave no reason" : failure;
    return outcome;
}

MailOutcome TryDeliverMail(const MailComponentFactory& create, const std::string& sender,
                           const std::string& recipient, const std::string& subject,
                           const std::string& body, bool html,
                           const std::vector<MailAttachment>& attachments) {
    std::string error;
    std::unique_ptr<MailComponent> mail = create(error);
    if (!mail) return {false, error, "Mail not sent: " + error, ""};
    return TryDeliverMail(*mail, sender, recipient, subject, body, html, attachments);
}

MailOutcome DeliverMail(const MailComponentFactory& create, Console& console,
                        const std::string& sender, const std::string& recipient,
                        const std::string& subject, const std::string& body, bool html,
                        const std::vector<MailAttachment>& attachments) {
    const MailOutcome outcome = TryDeliverMail(create, sender, recipient, subject, body, html, attachments);
    if (!outcome.leftOut.empty() && outcome.delivered) console.Diagnose(outcome.leftOut);
    console.Line(outcome.report);
    return outcome;
}

bool SendAlertMail(const MailComponentFactory& create, Console& console, const std::string& sender,
                   const std::string& recipient, const std::string& body, bool plainText,
                   MailKind kind) {
    return DeliverMail(create, console, sender, recipient, MailSubject(kind), body, !plainText)
        .delivered;
}

}  // namespace lorvane
