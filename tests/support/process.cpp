#include "support/process.h"

#include <cstdlib>

#include "platform/posix/child_process.h"

namespace lorvane {
namespace test {

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input) {
    ChildOptions options;
    options.directory = directory;
    options.environment = environment;
    ChildResult child;
    std::string error;
    ProcessResult result;
    if (!RunChild(program, args, input, child, error, options)) {
        result.err = error;
        return result;
    }
    result.exitCode = child.exitCode;
    result.out = child.out;
    result.err = child.err;
    return result;
}

std::string MakeScratchDirectory() {
    char pattern[] = "/tmp/lorvane-test-XXXXXX";
    const char* directory = mkdtemp(pattern);
    return directory ? directory : "";
}

}  // namespace test
}  // namespace lorvane
