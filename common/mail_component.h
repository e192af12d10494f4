// The SMTP mail component: one message at a time, set up field by field
// and then delivered. On Windows it is the registered COM component
// "ANSMTP.OBJ"; on POSIX a component of our own that hands the message to
// the system's sendmail program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/mail_message.h"

namespace lorvane {

// Status of an operation, COM style: 0 is success, a negative value a
// failure that DescribeStatus puts into words.
using MailStatus = std::int32_t;
constexpr MailStatus kMailOk = 0;

// SetMessageFormat values.
constexpr std::int32_t kPlainTextFormat = 0;
constexpr std::int32_t kHtmlFormat = 1;

// AddAddressee kinds.
constexpr std::int32_t kToAddressee = 0;
constexpr std::int32_t kCcAddressee = 1;
constexpr std::int32_t kBccAddressee = 2;

class MailComponent {
public:
    virtual ~MailComponent() = default;

    // Forgets every field of the previous message.
    virtual MailStatus ClearMessage() = 0;
    // Names the SMTP server to deliver through; the empty text leaves the
    // choice to the system's own mail transport.
    virtual MailStatus SetMailServer(const std::string& server) = 0;
    virtual MailStatus SetSenderAddress(const std::string& address) = 0;
    // Adds a recipient of `kind` (To, Cc or Bcc); `result` is its number.
    virtual MailStatus AddAddressee(const std::string& displayName, const std::string& address,
                                    std::int32_t kind, std::int32_t& result) = 0;
    virtual MailStatus SetSubjectLine(const std::string& subject) = 0;
    // kHtmlFormat marks the body as HTML; the default is plain text.
    virtual MailStatus SetMessageFormat(std::int32_t format) = 0;
    virtual MailStatus SetMessageText(const std::string& body) = 0;
    // Adds a file to go with the message. A component that cannot send
    // files refuses with a failing status.
    virtual MailStatus AddAttachment(const MailAttachment& attachment) = 0;
    // Sends the message; `result` is 0 when it was delivered.
    virtual MailStatus DeliverMessage(std::int32_t& result) = 0;
    // Says why the last delivery failed.
    virtual MailStatus DescribeLastFailure(std::string& text) = 0;

    // Returns what a failing status of this component's operations means.
    virtual std::string DescribeStatus(MailStatus status) = 0;
};

// Creates a mail component. Returns nullptr with `error` set when none is
// available (on Windows: "ANSMTP.OBJ" not registered).
std::unique_ptr<MailComponent> CreateMailComponent(std::string& error);

// Creates a mail component as CreateMailComponent does; tests hand in others.
using MailComponentFactory = std::function<std::unique_ptr<MailComponent>(std::string&)>;

}  // namespace lorvane
