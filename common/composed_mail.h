// A mail component of our own: it collects the message field by field,
// composes it as RFC 5322 / MIME text and hands it to a transport (the
// system's sendmail, or an SMTP submission server).
#pragma once

#include <string>

#include "common/mail_component.h"
#include "common/mail_message.h"

namespace lorvane {

// COM-style failure codes, so that both platforms' statuses read alike.
constexpr MailStatus kMailInvalidArgument = static_cast<MailStatus>(0x80070057u);
constexpr MailStatus kMailNotSupported = static_cast<MailStatus>(0x80004001u);

class ComposedMailComponent : public MailComponent {
public:
    MailStatus ClearMessage() override;
    // Takes the empty text only: the transport knows its server.
    MailStatus SetMailServer(const std::string& server) override;
    MailStatus SetSenderAddress(const std::string& address) override;
    MailStatus AddAddressee(const std::string& displayName, const std::string& address,
                            std::int32_t kind, std::int32_t& result) override;
    MailStatus SetSubjectLine(const std::string& subject) override;
    MailStatus SetMessageFormat(std::int32_t format) override;
    MailStatus SetMessageText(const std::string& body) override;
    // Takes a name that needs no quoting and a type without parameters.
    MailStatus AddAttachment(const MailAttachment& attachment) override;
    MailStatus DeliverMessage(std::int32_t& result) override;
    MailStatus DescribeLastFailure(std::string& text) override;
    std::string DescribeStatus(MailStatus status) override;

protected:
    // Sends `text`, the composed `message`, to its recipients. Returns
    // false with `failure` set to one line that says why it was not sent.
    virtual bool Transmit(const MailMessage& message, const std::string& text,
                          std::string& failure) = 0;

private:
    MailMessage m_message;
    std::string m_lastFailure;
};

// Returns the present local time as a mail's Date header writes it.
std::string MailDate();

// Returns a Message-ID that no other message has: time, a random number and
// the domain of `sender`.
std::string NewMessageId(const std::string& sender);

}  // namespace lorvane
