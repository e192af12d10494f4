#include "common/mail_delivery.h"

#include <cstdio>

namespace lorvane {

// This build has no mail component yet: it says so rather than report a
// delivery that did not happen.
void SendAlertMail(const std::string& /*sender*/, const std::string& recipient,
                   const std::string& /*body*/, bool /*plainText*/, MailKind /*kind*/) {
    std::fprintf(stderr, "tessory: sending mail is not available in this build; not sent to %s\n",
                 recipient.c_str());
}

}  // namespace lorvane
