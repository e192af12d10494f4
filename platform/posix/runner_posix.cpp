#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "runner/runner_services.h"

namespace lorvane {

void ShowConnectionMessage(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
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
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) break;
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
    // Without /proc, the runner installed beside its scripts.
    return directoryText + "/tessory";
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace lorvane
