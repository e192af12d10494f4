// Forwarding one article to a colleague: the runner started by an
// article's command script with the path of its citation file.
#pragma once

#include <istream>
#include <string>


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

// Asks on the console of `context` for a colleague's address (one word of
// its input), reads the citation file named by `argument` (double quotes
// removed) and mails the article from the user's address in the settings
// of `context` to the colleague. Nothing is mailed when the file cannot be read or no
// address was typed. Waits two seconds before it returns, so that a
// console window opened for it stays readable.
void SendColleagueAlert(RunContext& context, const std::string& argument);

}  // namespace lorvane
