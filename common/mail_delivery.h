// Mails that Lorvane sends: the message built once, sent through a
// transport, and what became of it reported.
#pragma once

#include <string>
#include <vector>

#include "common/console.h"
#include "common/mail_transport.h"

namespace lorvane {

// Chooses the subject of a mail: 1 is a digest of periodic search results;
// any other value (the colleague alert passes 2) is a colleague's alert.
using MailKind = int;
constexpr MailKind kPeriodicResultsMail = 1;
constexpr MailKind kColleagueAlertMail = 2;

// Returns the subject of a mail of `kind`.
const char* MailSubject(MailKind kind);

// Returns the message of `body` from `sender` to `recipient` (shown as
// "Lorvane!") with `subject`, marked as HTML when `html` is set, with
// `attachments`.
MailMessage LorvaneMessage(const std::string& sender, const std::string& recipient,
                           const std::string& subject, const std::string& body, bool html,
                           const std::vector<MailAttachment>& attachments = {});

// Sends `message` through a transport that `create` makes; when it makes
// none, the outcome says why. Never throws.
MailOutcome TryDeliverMail(const MailTransportFactory& create, const MailMessage& message);

// As TryDeliverMail, and writes the outcome's report on `console`, and
// what was left out as a diagnostic. Returns the outcome.
MailOutcome DeliverMail(const MailTransportFactory& create, Console& console, const MailMessage& message);

// Mails `body` from `sender` to `recipient` (shown as "Lorvane!") through
// a transport that `create` makes, as plain text when `plainText` is set
// and as HTML otherwise, with the subject that `kind` chooses. Reports as
// DeliverMail does and returns whether the message was delivered. Never
// throws.
bool SendAlertMail(const MailTransportFactory& create, Console& console, const std::string& sender,
                   const std::string& recipient, const std::string& body, bool plainText, MailKind kind);

}  // namespace lorvane
