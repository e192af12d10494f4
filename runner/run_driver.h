// The alert runner's entry point and its scheduled run.
#pragma once

#include "runner/run_context.h"

namespace lorvane {

// Runs the alert runner for its command line, with the context of this
// process: lines on standard output and error, input from standard input,
// the public E-utilities service or the one LORVANE_EUTILS_URL names.
// "--version" and "--help" print what they say and return 0; any other
// argument that starts with "-" is a usage error. Returns the process exit
// code, as the other RunTessory.
int RunTessory(int argc, const char* const argv[]);

// Runs the alert runner in `context`. With exactly one argument it
// forwards the article of that citation file to a colleague; otherwise
// (no argument, or two or more, which are ignored) it runs the scheduled
// search. Ends quietly when the settings key is missing or, for a
// scheduled run, when alerts are off. A scheduled run adds its outcome to
// the run log, and mails a notice instead of a digest when it could search
// or fetch nothing (once a day). Returns the process exit code (ExitStatus).
int RunTessory(RunContext& context, int argc, const char* const argv[]);

}  // namespace lorvane
