// Runs a program as a child process, as a scheduler or a shell would.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/scratch.h"

namespace lorvane {
namespace test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args` in folder `directory`, with the environment
// of this process changed by `environment` (an empty text removes the
// variable), `input` on its standard input. Waits for it to end.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input = "");

// Returns a new empty folder below /tmp; the caller removes it.
std::string MakeScratchDirectory();

}  // namespace test
}  // namespace lorvane
