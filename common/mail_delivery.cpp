#include "common/mail_delivery.h"

namespace lorvane {
namespace {

// Reports a failing operation; returns whether `status` is a success.
bool Succeeded(MailComponent& mail, Console& console, MailStatus status, const char* operation) {
    if (status == kMailOk) return true;
    console.Line(std::string("Mail not sent: ") + operation + " " + mail.DescribeStatus(status));
    return false;
}

}  // namespace

const char* MailSubject(MailKind kind) {
    return kind == kPeriodicResultsMail ? "Lorvane! Periodic Search Results"
                                        : "Lorvane! Colleague Article Alert";
}

bool DeliverMail(MailComponent& mail, Console& console, const std::string& sender,
                 const std::string& recipient, const std::string& subject,
                 const std::string& body, bool html) {
    auto ok = [&](MailStatus status, const char* operation) {
        return Succeeded(mail, console, status, operation);
    };
    std::int32_t number = 0, outcome = 1;
    if (!ok(mail.ClearMessage(), "clearing the message")) return false;
    if (!ok(mail.SetMailServer(""), "choosing the mail server")) return false;
    if (!ok(mail.SetSenderAddress(sender), "setting the sender")) return false;
    if (!ok(mail.AddAddressee("Lorvane!", recipient, kToAddressee, number), "adding the recipient"))
        return false;
    if (!ok(mail.SetSubjectLine(subject), "setting the subject")) return false;
    if (html && !ok(mail.SetMessageFormat(kHtmlFormat), "setting the format")) return false;
    if (!ok(mail.SetMessageText(body), "setting the text")) return false;
    if (!ok(mail.DeliverMessage(outcome), "delivering")) return false;
    if (outcome == 0) {
        console.Line("Message delivered!");
        return true;
    }
    std::string failure;
    if (!ok(mail.DescribeLastFailure(failure), "describing the failure")) return false;
    console.Line(failure);
    return false;
}

bool DeliverMail(const MailComponentFactory& create, Console& console, const std::string& sender,
                 const std::string& recipient, const std::string& subject,
                 const std::string& body, bool html) {
    std::string error;
    std::unique_ptr<MailComponent> mail = create(error);
    if (!mail) {
        console.Line("Mail not sent: " + error);
        return false;
    }
    return DeliverMail(*mail, console, sender, recipient, subject, body, html);
}

bool SendAlertMail(const MailComponentFactory& create, Console& console, const std::string& sender,
                   const std::string& recipient, const std::string& body, bool plainText,
                   MailKind kind) {
    return DeliverMail(create, console, sender, recipient, MailSubject(kind), body, !plainText);
}

}  // namespace lorvane
