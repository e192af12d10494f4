#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/posix_error.h"
#include "platform/posix/user_paths.h"
#include "runner/runner_services.h"

namespace lorvane {

bool ShowConnectionMessageBox(const std::string&) {
    return false;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) return buffer.data();
        if (errno != ERANGE) return "";
        buffer.resize(buffer.size() * 2);
    }
}

std::string CommandScriptProgram(const std::string& directoryText) {
    const std::string program = RunningProgramPath();
    // Without /proc, the runner installed beside its scripts.
    return program.empty() ? directoryText + "/tessory" : program;
}

bool QuoteScriptPath(const std::string& path, std::string& quoted, std::string& /*error*/) {
    quoted.clear();
    for (const char c : path) {
        if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return true;
}

bool MakeScriptRunnable(const std::string& path, std::string& error) {
    if (::chmod(path.c_str(), 0755) == 0) return true;
    error = DescribeErrno("cannot make " + path + " runnable", errno);
    return false;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace lorvane
