#include "platform/posix/ini_format.h"

#include <cstddef>

#include "common/text.h"

namespace lorvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && (IsBlank(text[end - 1]) || text[end - 1] == '\r')) --end;
    return text.substr(begin, end - begin);
}

// What one line of the file is.
struct IniLine {
    enum Kind { Other, Section, Value } kind = Other;
    std::string name;   // section or value name, lower case
    std::string value;  // escaped text of a value line, trimmed
};

IniLine ParseIniLine(const std::string& raw) {
    IniLine line;
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == ';' || text[0] == '#') return line;
    if (text[0] == '[') {
        if (text.back() == ']') {
            line.kind = IniLine::Section;
            line.name = AsciiLower(Trim(text.substr(1, text.size() - 2)));
        }
        return line;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return line;
    line.name = AsciiLower(Trim(text.substr(0, equals)));
    if (line.name.empty()) return line;
    line.kind = IniLine::Value;
    line.value = Trim(text.substr(equals + 1));
    return line;
}

std::string ValueLine(const SettingsValue& value) {
    return value.name + "=" + EscapeIniValue(value.text);
}

}  // namespace

std::string EscapeIniValue(const std::string& value) {
    std::string out;
    out.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        const bool edgeBlank = c == ' ' && (i == 0 || i + 1 == value.size());
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || edgeBlank) {
            out += "\\x";
            AppendHexByte(c, out);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string UnescapeIniValue(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'n') {
            out += '\n';
            ++i;
        } else if (next == 'r') {
            out += '\r';
            ++i;
        } else if (next == 't') {
            out += '\t';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && HexDigitValue(text[i + 2]) >= 0 &&
                   HexDigitValue(text[i + 3]) >= 0 &&
                   HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3]) != 0) {
            // "\x00" is not taken: a value holds no NUL.
            out += static_cast<char>(HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3]));
            i += 3;
        } else {
            out += '\\';  // not an escape: keep the backslash as typed
        }
    }
    return out;
}

std::string JoinIniLines(const IniLines& lines) {
    std::string contents;
    for (const std::string& line : lines) {
        contents += line;
        contents += '\n';
    }
    return contents;
}

std::map<std::string, std::string> ReadIniSection(const IniLines& lines,
                                                  const std::string& section) {
    const std::string wanted = AsciiLower(section);
    std::map<std::string, std::string> values;
    bool inSection = false;
    for (const std::string& raw : lines) {
        const IniLine line = ParseIniLine(raw);
        if (line.kind == IniLine::Section)
            inSection = line.name == wanted;
        else if (line.kind == IniLine::Value && inSection)
            values[line.name] = UnescapeIniValue(line.value);
    }
    return values;
}

void SetIniValues(IniLines& lines, const std::string& section,
                  const std::vector<SettingsValue>& values) {
    const std::string wanted = AsciiLower(section);

    // The value to write for each name; a name given twice takes the later
    // text at the place of the first.
    std::vector<SettingsValue> pending;
    std::map<std::string, std::size_t> indexByName;
    for (const SettingsValue& value : values) {
        const std::string key = AsciiLower(value.name);
        auto found = indexByName.find(key);
        if (found == indexByName.end()) {
            indexByName.emplace(key, pending.size());
            pending.push_back(value);
        } else {
            pending[found->second].text = value.text;
        }
    }
    std::vector<bool> written(pending.size(), false);

    IniLines out;
    out.reserve(lines.size() + pending.size() + 2);
    bool inSection = false;
    bool sectionSeen = false;
    bool inFirstSection = false;
    std::size_t insertAt = 0;  // just past the first matching section's last value
    for (const std::string& raw : lines) {
        const IniLine line = ParseIniLine(raw);
        if (line.kind == IniLine::Section) {
            inSection = line.name == wanted;
            inFirstSection = inSection && !sectionSeen;
            out.push_back(raw);
            if (inFirstSection) {
                sectionSeen = true;
                insertAt = out.size();
            }
            continue;
        }
        if (line.kind == IniLine::Value && inSection) {
            auto found = indexByName.find(line.name);
            if (found != indexByName.end()) {
                if (written[found->second]) continue;  // a duplicate: drop it
                written[found->second] = true;
                out.push_back(ValueLine(pending[found->second]));
            } else {
                out.push_back(raw);
            }
            if (inFirstSection) insertAt = out.size();
            continue;
        }
        out.push_back(raw);
    }

    IniLines added;
    for (std::size_t i = 0; i < pending.size(); ++i)
        if (!written[i]) added.push_back(ValueLine(pending[i]));
    if (!sectionSeen) {
        if (!out.empty() && !Trim(out.back()).empty()) out.emplace_back();
        out.push_back("[" + section + "]");
        insertAt = out.size();
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(insertAt), added.begin(), added.end());
    lines.swap(out);
}

}  // namespace lorvane
