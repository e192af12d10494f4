// The transports of our own: the system's sendmail on POSIX, and an SMTP
// submission server on both platforms.
#pragma once

#include <string>

#include "common/mail_transport.h"
#include "common/mail_message.h"

namespace lorvane {

// A transport of our own: it checks the message, composes it as RFC 5322 /
// MIME text and hands the text to the subclass's way of sending it.
class ComposedMailTransport : public MailTransport {
public:
    // Refuses a sender, addressee or subject that holds a line break or
    // another control character, and leaves out an attachment whose name
    // needs quoting or whose type has parameters.
    MailOutcome Send(const MailMessage& message) override;

protected:
    // Sends `text`, the composed `message`, to its recipients. A failure
    // says in one line why it was not sent.
    virtual Status Transmit(const MailMessage& message, const std::string& text) = 0;
};

// Returns the present local time as a mail's Date header writes it.
std::string MailDate();

// Returns a Message-ID that no other message has: time, a random number and
// the domain of `sender`.
std::string NewMessageId(const std::string& sender);

}  // namespace lorvane
