// Forwarding one article to a colleague.
#pragma once

#include <string>

namespace lorvane {

// Asks on the console for a colleague's address and mails the article of
// the citation file at `citationPath` to it.
void SendColleagueAlert(const std::string& citationPath);

}  // namespace lorvane
