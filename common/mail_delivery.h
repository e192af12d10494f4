// Mail delivery through the SMTP mail component.
#pragma once

#include <string>

#include "common/console.h"
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
// component's default format otherwise. Reports "Message delivered!" or
// the component's failure text on `console`; a failing operation ends the
// sequence with a line saying what failed. Returns whether the message was
// delivered. Never throws.
bool DeliverMail(MailComponent& mail, Console& console, const std::string& sender,
                 const std::string& recipient, const std::string& subject,
                 const std::string& body, bool html);

// The same through a component that `create` makes; when it makes none,
// reports why on `console` and returns false.
bool DeliverMail(const MailComponentFactory& create, Console& console, const std::string& sender,
                 const std::string& recipient, const std::string& subject,
                 const std::string& body, bool html);

// Mails `body` from `sender` to `recipient` (shown as "Lorvane!") through
// a component that `create` makes, as plain text when `plainText` is set
// and as HTML otherwise, with the subject that `kind` chooses. Reports as
// DeliverMail does and returns whether the message was delivered. Never
// throws.
bool SendAlertMail(const MailComponentFactory& create, Console& console, const std::string& sender,
                   const std::string& recipient, const std::string& body, bool plainText,
                   MailKind kind);

}  // namespace lorvane
