// The POSIX mail component: composes an RFC 5322 / MIME message and hands
// it to the system's sendmail program.
#include <unistd.h>

#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <random>

#include "common/mail_component.h"
#include "common/mail_message.h"
#include "common/text.h"
#include "platform/posix/child_process.h"

namespace lorvane {
namespace {

// COM-style failure codes, so that both platforms' statuses read alike.
constexpr MailStatus kInvalidArgument = static_cast<MailStatus>(0x80070057u);
constexpr MailStatus kNotSupported = static_cast<MailStatus>(0x80004001u);

// How long sendmail may take to accept one message.
constexpr int kSendmailTimeLimitSeconds = 120;

std::string RfcDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[64] = "";
    if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S %z", &local);
    return text;
}

// A fresh identifier for every message: time, process and a random number.
std::string MessageId() {
    std::random_device random;
    char host[256] = "localhost";
    if (gethostname(host, sizeof host - 1) != 0 || !IsSafeAddress(host)) std::snprintf(host, sizeof host, "localhost");
    return "<" + std::to_string(std::time(nullptr)) + "." + std::to_string(getpid()) + "." +
           std::to_string(random()) + ".lorvane@" + host + ">";
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

class SendmailComponent : public MailComponent {
public:
    MailStatus ClearMessage() override {
        m_message = MailMessage();
        return kMailOk;
    }

    MailStatus SetMailServer(const std::string& server) override {
        return server.empty() ? kMailOk : kNotSupported;
    }

    MailStatus SetSenderAddress(const std::string& address) override {
        if (!IsSafeAddress(address)) return kInvalidArgument;
        m_message.sender = address;
        return kMailOk;
    }

    MailStatus AddAddressee(const std::string& displayName, const std::string& address,
                            std::int32_t kind, std::int32_t& result) override {
        if (!IsSafeAddress(address) || HasLineBreak(displayName) || kind < kToAddressee ||
            kind > kBccAddressee)
            return kInvalidArgument;
        m_message.addressees.push_back({displayName, address, kind});
        result = static_cast<std::int32_t>(m_message.addressees.size());
        return kMailOk;
    }

    MailStatus SetSubjectLine(const std::string& subject) override {
        if (HasLineBreak(subject)) return kInvalidArgument;
        m_message.subject = subject;
        return kMailOk;
    }

    MailStatus SetMessageFormat(std::int32_t format) override {
        m_message.html = format == kHtmlFormat;
        return kMailOk;
    }

    MailStatus SetMessageText(const std::string& body) override {
        m_message.body = body;
        return kMailOk;
    }

    MailStatus DeliverMessage(std::int32_t& result) override {
        result = 1;
        if (m_message.sender.empty() || m_message.addressees.empty()) {
            m_lastFailure = "the message has no sender or no recipient";
            return kMailOk;
        }
        const char* path = std::getenv("PATH");
        const std::string sendmail =
            FindProgram("sendmail", path ? path : "", {"/usr/sbin/sendmail", "/usr/lib/sendmail"});
        if (sendmail.empty()) {
            m_lastFailure =
                "no sendmail program found (looked on PATH, in /usr/sbin and in /usr/lib)";
            return kMailOk;
        }
        std::vector<std::string> args = {"-i", "-f", m_message.sender, "--"};
        for (const MailAddressee& addressee : m_message.addressees) args.push_back(addressee.address);

        ChildResult child;
        std::string error;
        // A sendmail that never returns must not hold the run.
        ChildOptions options;
        options.timeLimitSeconds = kSendmailTimeLimitSeconds;
        if (!RunChild(sendmail, args, ComposeMailMessage(m_message, RfcDate(), MessageId()), child,
                      error, options)) {
            m_lastFailure = error;
            return kMailOk;
        }
        if (child.exitCode == 0) {
            result = 0;
            return kMailOk;
        }
        // The description is printed as one line: sendmail's lines joined.
        const std::string said = JoinLines(child.err, "; ");
        m_lastFailure = sendmail + (child.exitCode < 0 ? " was stopped"
                                                       : " exited with status " +
                                                             std::to_string(child.exitCode));
        if (!said.empty()) m_lastFailure += ": " + said;
        return kMailOk;
    }

    MailStatus DescribeLastFailure(std::string& text) override {
        text = m_lastFailure;
        return kMailOk;
    }

    std::string DescribeStatus(MailStatus status) override {
        if (status == kInvalidArgument)
            return "refused an address, name or subject holding a line break or another "
                   "control character";
        if (status == kNotSupported) return "can only deliver through the system's sendmail";
        return "failed with status " + std::to_string(status);
    }

private:
    MailMessage m_message;
    std::string m_lastFailure;
};

}  // namespace

std::unique_ptr<MailComponent> CreateMailComponent(std::string& /*error*/) {
    return std::make_unique<SendmailComponent>();
}

}  // namespace lorvane
