// Mail delivery through the SMTP mail component.
#pragma once

#include <string>

#include "common/mail_component.h"

namespace lorvane {

// Chooses the subject of a mail: 1 is a digest of periodic search results;
// any other value (the colleague alert passes 2) is a colleague's alert.
using MailKind = int;
constexpr MailKind kPeriodicResultsMail = 1;
constexpr MailKind kColleagueAlertMail = 2;

// Returns the subject of a mail of `kind`.
const char* MailSubject(MailKind kind);

// Mails `body` from `sender` to `recipient` (shown as "Lorvane!") with
// `subject` through `mail`, marked as HTML when `html` is set and in the
// component's default format otherwise. Prints "Message delivered!" or the
// component's failure text on standard output; a failing operation ends
// the sequence with a line saying what failed. Never throws.
void DeliverMail(MailComponent& mail, const std::string& sender, const std::string& recipient,
                 const std::string& subject, const std::string& body, bool html);

// The same through a newly created mail component; when none can be
// created, prints why on standard output and returns.
void DeliverMail(const std::string& sender, const std::string& recipient,
                 const std::string& subject, const std::string& body, bool html);

// Mails `body` from `sender` to `recipient` (shown as "Lorvane!") through
// `mail`, as plain text when `plainText` is set and as HTML otherwise,
// with the subject that `kind` chooses. Prints "Message delivered!" or
// the component's failure text on standard output; a failing operation
// ends the sequence with a line saying what failed. Never throws.
void SendAlertMail(MailComponent& mail, const std::string& sender, const std::string& recipient,
                   const std::string& body, bool plainText, MailKind kind);

// The same through a newly created mail component; when none can be
// created, prints why on standard output and returns.
void SendAlertMail(const std::string& sender, const std::string& recipient,
                   const std::string& body, bool plainText, MailKind kind);

}  // namespace lorvane
