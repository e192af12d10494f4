// The system's mail transport on POSIX: the composed message goes to the
// sendmail program.
#include <cstdlib>

#include "common/composed_mail.h"
#include "common/text.h"
#include "platform/posix/child_process.h"

namespace lorvane {
namespace {

// How long sendmail may take to accept one message.
constexpr int kSendmailTimeLimitSeconds = 120;

class SendmailTransport : public ComposedMailTransport {
protected:
    Status Transmit(const MailMessage& message, const std::string& text) override {
        const char* path = std::getenv("PATH");
        const std::string sendmail =
            FindProgram("sendmail", path ? path : "", {"/usr/sbin/sendmail", "/usr/lib/sendmail"});
        if (sendmail.empty())
            return Status(StatusCode::NotFound, "no sendmail program found (looked on PATH, in /usr/sbin and in /usr/lib)");
        std::vector<std::string> args = {"-i", "-f", message.sender, "--"};
        for (const MailAddressee& addressee : message.addressees) args.push_back(addressee.address);

        ChildResult child;
        // A sendmail that never returns must not hold the run.
        ChildOptions options;
        options.timeLimitSeconds = kSendmailTimeLimitSeconds;
        std::string failure;
        if (!RunChild(sendmail, args, text, child, failure, options)) return Status::Error(failure);
        if (child.exitCode == 0) return Status();
        // The description is printed as one line: sendmail's lines joined.
        const std::string said = JoinLines(child.err, "; ");
        failure = sendmail + (child.exitCode < 0 ? " was stopped" : " exited with status " + std::to_string(child.exitCode));
        return Status::Error(said.empty() ? failure : failure + ": " + said);
    }
};

}  // namespace

Status CreateSystemMailTransport(std::unique_ptr<MailTransport>& transport) {
    transport = std::make_unique<SendmailTransport>();
    return Status();
}

}  // namespace lorvane
