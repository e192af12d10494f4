// Mail delivery through the SMTP mail component.
#pragma once

#include <string>

namespace lorvane {

// Chooses the subject of a mail: 1 is a digest of periodic search results;
// any other value (the colleague alert passes 2) is a colleague's alert.
using MailKind = int;
constexpr MailKind kPeriodicResultsMail = 1;
constexpr MailKind kColleagueAlertMail = 2;

// Mails `body` from `sender` to `recipient`, as plain text when `plainText`
// is set and as HTML otherwise, with the subject that `kind` chooses, and
// reports the outcome on standard output.
void SendAlertMail(const std::string& sender, const std::string& recipient,
                   const std::string& body, bool plainText, MailKind kind);

}  // namespace lorvane
