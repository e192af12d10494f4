// The run log: what each scheduled run of the alert runner did, kept in
// the runner's state folder for the user and read back by the
// configuration program (nothing reads its words back but the status line
// of the newest summary). Each run adds one summary line that starts with
// its local date and time ("2026-12-08T07:30:05 3 queries searched, ..."),
// followed by the lines of any failure, each indented by two blanks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/automation_date.h"
#include "common/status.h"

namespace lorvane {

// The log's file name in the state folder, and how much of it is kept.
constexpr char kRunLogName[] = "tessory.log";
constexpr std::size_t kRunLogBytes = 1024 * 1024;
// The longest line of an entry; a longer one is cut there, marked so.
constexpr std::size_t kRunLogLineBytes = 2000;

// Returns `time` as the local date and time that starts a summary line:
// "YYYY-MM-DDTHH:MM:SS".
std::string RunLogStamp(const CalendarTime& time);

// Returns one run's entry: the summary line after `stamp`, then each of
// `failures` on an indented line. Control characters in any of them are
// shown escaped, so that no text can start a line of its own, and each
// line is cut within kRunLogLineBytes, marked " [... cut: N bytes in all]".
std::string RunLogEntry(const std::string& stamp, const std::string& summary,
                        const std::vector<std::string>& failures);

// Returns `log` with `entry` added at its end. Past `keepBytes`, the oldest
// whole entries go, as many as it takes; `entry` itself always stays.
std::string AppendRunLogEntry(const std::string& log, const std::string& entry,
                              std::size_t keepBytes = kRunLogBytes);

// Reads into `log` the newest `keepBytes` of the log file at `path` from a
// line start, its line ends as line feeds; empty when there is no such
// file. Fails, leaving it empty, when the file cannot be read or is not a
// regular file (a FIFO there would hold the run without end).
Status ReadRunLog(const std::string& path, std::string& log, std::size_t keepBytes = kRunLogBytes);

// Returns what the configuration program shows of `log`: "Last run: <date
// time>: <outcome>" from its last summary line, or "No scheduled run yet"
// when it holds none.
std::string LastRunStatus(const std::string& log);

}  // namespace lorvane
