// The alert runner's entry point and its scheduled run.
#pragma once

#include <string>

#include "common/alert_settings.h"
#include "common/local_time.h"

namespace lorvane {

// Runs the alert runner for its command line. With exactly one argument it
// forwards the article of that citation file to a colleague; otherwise
// (no argument, or two or more, which are ignored) it runs the scheduled
// search. Ends quietly when the settings key is missing or, for a
// scheduled run, when alerts are off. Returns the process exit code: 1
// when the process could not be initialised, 0 otherwise.
int RunTessory(int argc, const char* const argv[]);

// Searches every non-empty query slot of `settings` for the window that
// `clock` gives and returns the digest: the opening text, a heading and
// the article entries for each query with hits, and the closing text.
// Sets `anyHits` when at least one query found something.
std::string RunScheduledAlert(const AlertSettings& settings, Clock clock, bool& anyHits);

}  // namespace lorvane
