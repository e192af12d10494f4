// Forwarding one article to a colleague: the runner started by an
// article's command script with the path of its citation file.
#pragma once

#include <istream>
#include <string>

#include "runner/exit_status.h"

namespace lorvane {

struct RunContext;

// Longest colleague address taken from the console, in characters.
constexpr std::size_t kMaxColleagueAddress = 1999;

// Returns the article identifier of a citation file's path: its last
// component (after the last "/" or "\") up to the first ".".
std::string ArticleIdentifier(const std::string& path);

// Returns the HTML message for the article whose citation file is read
// from `citation`: authors, bold title, year, italic journal, bold volume
// and pages from the tagged lines (up to the "%P" line or the first empty
// one), then the PubMed link for `identifier` and `colleague`'s address.
// Every value is HTML-escaped.
std::string ComposeColleagueMessage(std::istream& citation, const std::string& identifier,
                                    const std::string& colleague);

// Reads the citation file named by `argument` (double quotes removed),
// asks on the console of `context` for a colleague's address (one word of
// its input) and mails the article from the user's address in the
// settings of `context` to the colleague. A file that cannot be read is
// named on standard error before anything is asked, and nothing is mailed;
// nor is it when no usable address was typed. Waits two seconds before it
// returns, so that a console window opened for it stays readable. Returns
// the exit status: done, usage (file or address) or not delivered.
ExitStatus SendColleagueAlert(RunContext& context, const std::string& argument);

}  // namespace lorvane
