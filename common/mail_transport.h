// How a message leaves the computer: the system's own mail transport
// (POSIX: the sendmail program; Windows: the registered mail component
// "ANSMTP.OBJ") or the user's own server over SMTP. One call a message.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/mail_message.h"
#include "common/status.h"

namespace lorvane {

// What became of one message.
struct MailOutcome {
    bool delivered = false;
    std::string reason;   // why it was not delivered
    std::string report;   // the line that says what became of it: "Message delivered!" or why not
    std::string leftOut;  // the attachments the transport refused, and why; they did not go
    std::string notice;   // what setting up the transport said beside its success

    // A message that went, or one that `step` stopped before it was
    // handed over ("Mail not sent: " `step`), or one the transport did not
    // take, saying `failure` in its own words.
    static MailOutcome Delivered();
    static MailOutcome NotSent(const std::string& step);
    static MailOutcome Failed(const std::string& failure);
};

class MailTransport {
public:
    virtual ~MailTransport() = default;

    // Sends `message` to its addressees. Attachments the transport cannot
    // take are left out and the outcome says so. Returns what became of
    // the message; never throws.
    virtual MailOutcome Send(const MailMessage& message) = 0;
};

// Creates the system's own mail transport in `transport`. Fails when there
// is none (Windows: "ANSMTP.OBJ" not registered).
Status CreateSystemMailTransport(std::unique_ptr<MailTransport>& transport);

// Creates a transport as CreateSystemMailTransport does; tests and the
// user's own server hand in others. A success may carry a message: what
// is said beside it.
using MailTransportFactory = std::function<Status(std::unique_ptr<MailTransport>&)>;

}  // namespace lorvane
