// The text format of the POSIX settings file: "[Section]" headers and one
// "Name=value" line per value. Values are escaped so that every byte but
// NUL reads back unchanged; every other line of a file (comments, blank
// lines, lines that cannot be parsed, other sections) is kept as it was
// when values are set.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/settings_store.h"

namespace lorvane {

// Returns `value` escaped for a value line: "\" as "\\", line feed,
// carriage return and tab as "\n", "\r", "\t", other control bytes and a
// blank at either end as "\xHH". All other bytes stand as they are.
std::string EscapeIniValue(const std::string& value);

// Returns the value that escaped text `text` stands for. An unknown escape
// keeps its backslash, so a hand-typed path such as C:\data reads as typed.
std::string UnescapeIniValue(const std::string& text);

// A settings file as its lines, without their line feeds.
using IniLines = std::vector<std::string>;

// Joins lines into file contents, each ending in a line feed.
std::string JoinIniLines(const IniLines& lines);

// Returns the values of `section` (names and sections matched without
// regard to ASCII case), keyed by lower-case name. Where a name stands
// twice the later line wins; lines that are not values are skipped.
std::map<std::string, std::string> ReadIniSection(const IniLines& lines,
                                                  const std::string& section);

// Sets `values` in `section` of `lines`, in order: a value's first line is
// rewritten in place and later lines of the same name are dropped; a new
// value goes after the section's last value, and a missing section is
// added at the end.
void SetIniValues(IniLines& lines, const std::string& section,
                  const std::vector<SettingsValue>& values);

}  // namespace lorvane
