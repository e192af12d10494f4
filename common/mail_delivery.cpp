#include "common/mail_delivery.h"

#include <cstdio>

namespace lorvane {
namespace {

void PrintLine(const std::string& text) {
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Reports a failing operation; returns whether `status` is a success.
bool Succeeded(MailComponent& mail, MailStatus status, const char* operation) {
    if (status == kMailOk) return true;
    PrintLine(std::string("Mail not sent: ") + operation + " " + mail.DescribeStatus(status));
    return false;
}

}  // namespace

const char* MailSubject(MailKind kind) {
    return kind == kPeriodicResultsMail ? "Lorvane! Periodic Search Results"
                                        : "Lorvane! Colleague Article Alert";
}

void DeliverMail(MailComponent& mail, const std::string& sender, const std::string& recipient,
                 const std::string& subject, const std::string& body, bool html) {
    std::int32_t number = 0, outcome = 1;
    if (!Succeeded(mail, mail.ClearMessage(), "clearing the message")) return;
    if (!Succeeded(mail, mail.SetMailServer(""), "choosing the mail server")) return;
    if (!Succeeded(mail, mail.SetSenderAddress(sender), "setting the sender")) return;
    if (!Succeeded(mail, mail.AddAddressee("Lorvane!", recipient, kToAddressee, number),
                   "adding the recipient"))
        return;
    if (!Succeeded(mail, mail.SetSubjectLine(subject), "setting the subject")) return;
    if (html && !Succeeded(mail, mail.SetMessageFormat(kHtmlFormat), "setting the format")) return;
    if (!Succeeded(mail, mail.SetMessageText(body), "setting the text")) return;
    if (!Succeeded(mail, mail.DeliverMessage(outcome), "delivering")) return;
    if (outcome == 0) {
        PrintLine("Message delivered!");
        return;
    }
    std::string failure;
    if (!Succeeded(mail, mail.DescribeLastFailure(failure), "describing the failure")) return;
    PrintLine(failure);
}

void DeliverMail(const std::string& sender, const std::string& recipient,
                 const std::string& subject, const std::string& body, bool html) {
    std::string error;
    std::unique_ptr<MailComponent> mail = CreateMailComponent(error);
    if (!mail) {
        PrintLine("Mail not sent: " + error);
        return;
    }
    DeliverMail(*mail, sender, recipient, subject, body, html);
}

void SendAlertMail(MailComponent& mail, const std::string& sender, const std::string& recipient,
                   const std::string& body, bool plainText, MailKind kind) {
    DeliverMail(mail, sender, recipient, MailSubject(kind), body, !plainText);
}

void SendAlertMail(const std::string& sender, const std::string& recipient,
                   const std::string& body, bool plainText, MailKind kind) {
    DeliverMail(sender, recipient, MailSubject(kind), body, !plainText);
}

}  // namespace lorvane
