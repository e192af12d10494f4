// Running a helper program (sendmail, crontab) without a shell.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace lorvane {

struct ChildResult {
    int exitCode = -1;  // -1 when the program did not exit normally
    std::string out;    // what it wrote on standard output
    std::string err;    // what it wrote on standard error
};

struct ChildOptions {
    std::string directory;                           // working folder; empty: this one
    std::map<std::string, std::string> environment;  // changes; an empty value removes one
    int timeLimitSeconds = 0;                        // 0: wait as long as it takes
};

// Runs `program` (a path) with `args`, `input` on its standard input, and
// waits for it to exit, at most the options' time limit: then it and what
// it started are killed. What it started and left running is not waited
// for, and its output after the exit is not read. Returns false with `error` set when it could not be
// started at all or was killed for its time; otherwise true, with its exit
// code and output.
bool RunChild(const std::string& program, const std::vector<std::string>& args,
              const std::string& input, ChildResult& result, std::string& error,
              const ChildOptions& options = ChildOptions());

// Returns the first of: `name` in a folder of the colon-separated `path`,
// then each of `fallbacks`, that is an executable file; empty when none is.
std::string FindProgram(const std::string& name, const std::string& path,
                        const std::vector<std::string>& fallbacks = {});

}  // namespace lorvane
