// A citation file of any bytes: the colleague's message is composed from
// it without crashing, and nothing of it reaches the message unescaped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "runner/colleague_alert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream citation(text);
    // The markup has no "<id>" and no "<q@": either would be the input's.
    const std::string message = lorvane::ComposeColleagueMessage(citation, "<id>", "a<q@example.org");
    if (message.find("<id>") != std::string::npos || message.find("<q@") != std::string::npos)
        std::abort();
    lorvane::ArticleIdentifier(text);
    return 0;
}
