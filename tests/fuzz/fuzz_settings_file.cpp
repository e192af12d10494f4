// A settings file of any bytes: it reads without crashing, and any value,
// escaped as a save writes it, reads back exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "platform/posix/ini_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    lorvane::ReadIniSection(lorvane::SplitLines(text), "Lorvane");
    lorvane::UnescapeIniValue(text);
    if (text.find('\0') == std::string::npos) {
        lorvane::IniLines lines = lorvane::SplitLines("[Lorvane]\nEmail=x\n");
        lorvane::SetIniValues(lines, "Lorvane", {{"Query0", text}});
        const auto values = lorvane::ReadIniSection(lorvane::SplitLines(lorvane::JoinIniLines(lines)),
                                                    "Lorvane");
        const auto found = values.find("query0");
        if (found == values.end() || found->second != text) std::abort();
    }
    return 0;
}
