// Mail delivery through the SMTP mail component.
#pragma once

#include <string>
#include <vector>

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

// What became of one message.
struct MailOutcome {
    bool delivered = false;
    std::string reason;  // why it was not delivered
    std::string report;  // the line that says what became of it: "Message delivered!" or why not
    std::string leftOut;  // the attachments the component refused, and why; they did not go
};

// Mails `body` from `sender` to `recipient` (shown as "Lorvane!") with
// `subject` through `mail`, marked as HTML when `html` is set and in the
// component's default format otherwise, with `attachments` (those the
// component refuses are left out, and the outcome says so). Returns the
// outcome; the report of a failing operation says which one failed. Never
// throws.
MailOutcome TryDeliverMail(MailComponent& mail, const std::string& sender,
                           const std::string& recipient, const std::string& subject,
                           const std::string& body, bool html,
                           const std::vector<MailAttachment>& attachments = {});

// The same through a component that `create` makes; when it makes none,
// the report says why.
MailOutcome TryDeliverMail(const MailComponentFactory& create, const std::string& sender,
                           const std::string& recipient, const std::string& subject,
                           const std::string& body, bool html,
                           const std::vector<MailAttachment>& attachments = {});

// As TryDeliverMail through a component that `create` makes, and writes
// the outcome's report on `console`, and what was left out as a
// diagnostic. Returns the outcome.
MailOutcome DeliverMail(const MailComponentFactory& create, Console& console,
                        const std::string& sender, const std::string& recipient,
                        const std::string& subject, const std::string& body, bool html,
                        const std::vector<MailAttachment>& attachments = {});

// Mails `body` from `sender` to `recipient` (shown as "Lorvane!") through
// a component that `create` makes, as plain text when `plainText` is set
// and as HTML otherwise, with the subject that `kind` chooses. Reports as
// DeliverMail does and returns whether the message was delivered. Never
// throws.
bool SendAlertMail(const MailComponentFactory& create, Console& console, const std::string& sender,
                   const std::string& recipient, const std::string& body, bool plainText,
                   MailKind kind);

}  // namespace lorvane
