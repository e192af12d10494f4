// The alert runner's entry point and its scheduled run.
#pragma once

#include <string>

#include "runner/run_context.h"

namespace lorvane {

// Runs the alert runner for its command line, with the context of this
// process: lines on standard output and error, input from standard input,
// the public E-utilities service or the one LORVANE_EUTILS_URL names.
// "--version" and "--help" print what they say and return 0. Returns the
// process exit code, as the other RunTessory.
int RunTessory(int argc, const char* const argv[]);

// Runs the alert runner in `context`. With exactly one argument it
// forwards the article of that citation file to a colleague; otherwise
// (no argument, or two or more, which are ignored) it runs the scheduled
// search. Ends quietly when the settings key is missing or, for a
// scheduled run, when alerts are off. Returns the process exit code: 1
// when the process could not be initialised, 0 otherwise.
int RunTessory(RunContext& context, int argc, const char* const argv[]);

// Searches every non-empty query slot of the settings in `context` for the
// window that its clock gives and returns the digest: the opening text, a
// heading and the article entries for each query with hits, and the
// closing text, with a note before it when some queries could not be
// searched or some articles not fetched. Sets `anyHits` when at least one
// article is listed: headings alone are no results to mail.
std::string RunScheduledAlert(RunContext& context, bool& anyHits);

}  // namespace lorvane
