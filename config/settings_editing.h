// The rules of the settings dialog that do not depend on its controls.
#pragma once

#include <string>

namespace lorvane {

// The address shown on a first start, for the user to overwrite.
extern const char kSampleAddress[];

// Returns whether query `a` sorts before query `b` in the list: a
// comparison that ignores ASCII case, then bytes; one order on every
// platform.
bool QuerySortsBefore(const std::string& a, const std::string& b);

// Returns the time format shown by the time picker: the locale's `format`
// with the first separator + "ss" removed, or failing that the first
// separator + "s" (h:mm:ss tt becomes h:mm tt).
std::string TimeFormatWithoutSeconds(const std::string& format, const std::string& separator);

// Reads what has been typed into the time box so far: "1140", "940",
// "11.40", "11:40" or "11 40" give `hour` and `minute`; one or two digits,
// with or without a separator after them, give the hour alone and a
// `minute` of -1. Returns false for what is no time of day ("2460",
// "1:2:3", "x").
bool ReadTypedTime(const std::string& typed, int& hour, int& minute);

// Adds the typed character `c` (a digit or a separator) to `typed`, what
// has been typed into the time box since it took the focus, and reads the
// time: what cannot continue that time, or follows a whole one, starts a
// new one. Returns false, clearing `typed`, when `c` starts no time either.
bool TypeTimeCharacter(std::string& typed, char c, int& hour, int& minute);

// Returns whether `address` is an e-mail address (local@domain); when it
// is not, says so in a message box first.
bool CheckMailAddress(const std::string& address);

}  // namespace lorvane
