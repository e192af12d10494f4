#include "config/settings_editing.h"

#include "common/mail_message.h"
#include "common/text.h"
#include "config/dialog_host.h"

namespace lorvane {

const char kSampleAddress[] = "your.name@example.org";

bool QuerySortsBefore(const std::string& a, const std::string& b) {
    const std::size_t length = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
        const unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // only case differs: a fixed order all the same
}

std::string TimeFormatWithoutSeconds(const std::string& format, const std::string& separator) {
    std::string result = format;
    std::size_t at = result.find(separator + "ss");
    if (at != std::string::npos) return result.erase(at, separator.size() + 2);
    at = result.find(separator + "s");
    if (at != std::string::npos) result.erase(at, separator.size() + 1);
    return result;
}

bool ReadTypedTime(const std::string& typed, int& hour, int& minute) {
    const std::size_t separator = typed.find_first_of(".: ");
    std::string hours = typed.substr(0, separator);
    std::string minutes = separator == std::string::npos ? std::string() : typed.substr(separator + 1);
    if (separator == std::string::npos && typed.size() > 2) {
        // Digits alone: the last two are the minutes ("114" is 1:14); three
        // whose last two are no minutes are two of the hour and the first
        // of the minutes, on their way to four ("071" of "0715").
        const bool hourFirst = typed.size() == 3 && typed[1] > '5';
        hours = typed.substr(0, hourFirst ? 2 : typed.size() - 2);
        minutes = typed.substr(hourFirst ? 2 : typed.size() - 2);
    }
    auto digits = [](const std::string& text) {
        return text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (hours.empty() || hours.size() > 2 || minutes.size() > 2 || !digits(hours) || !digits(minutes))
        return false;
    hour = std::stoi(hours);
    minute = minutes.empty() ? -1 : std::stoi(minutes);
    return hour <= 23 && minute <= 59;
}

bool TypeTimeCharacter(std::string& typed, char c, int& hour, int& minute) {
    minute = -1;
    // A time typed whole (hours and two digits of minutes) is done: what
    // follows is the next one.
    const std::size_t separator = typed.find_first_of(".: ");
    if (separator == std::string::npos ? typed.size() == 4 : typed.size() == separator + 3) typed.clear();
    typed += c;
    if (!ReadTypedTime(typed, hour, minute)) typed = std::string(1, c);
    if (ReadTypedTime(typed, hour, minute)) return true;
    typed.clear();
    return false;
}

bool CheckMailAddress(const std::string& address) {
    if (IsMailAddress(address)) return true;
    AppMessageBox("\"" + address + "\" is not an e-mail address: type the whole address, such as "
                  "name@example.org, without blanks.");
    return false;
}

}  // namespace lorvane
