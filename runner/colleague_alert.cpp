#include "runner/colleague_alert.h"

#include <cstdio>

namespace lorvane {

// This build cannot send mail yet: it says so rather than pretend.
void SendColleagueAlert(const std::string& citationPath) {
    std::fprintf(stderr, "tessory: forwarding articles is not available in this build; not sent: %s\n",
                 citationPath.c_str());
}

}  // namespace lorvane
