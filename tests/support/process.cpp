#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace lorvane {
namespace test {

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input) {
    ProcessResult result;
    signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return result;

    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : environment) {
        if (value.empty())
            merged.erase(name);
        else
            merged[name] = value;
    }
    std::vector<std::string> envText;
    for (const auto& [name, value] : merged) envText.push_back(name + "=" + value);
    std::vector<char*> envp, argv;
    for (std::string& text : envText) envp.push_back(&text[0]);
    envp.push_back(nullptr);
    std::vector<std::string> argText = {program};
    argText.insert(argText.end(), args.begin(), args.end());
    for (std::string& text : argText) argv.push_back(&text[0]);
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (chdir(directory.c_str()) != 0) _exit(126);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }

    // Feed the input and drain both outputs together, so that a child that
    // writes much before it reads cannot block on a full pipe.
    std::size_t written = 0;
    int inFd = in[1];
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen || inFd >= 0) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            bool& open = i == 0 ? outOpen : errOpen;
            if (!open || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0)
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
            else
                open = false;
        }
        if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t wrote = write(inFd, input.data() + written, input.size() - written);
            if (wrote > 0) written += static_cast<std::size_t>(wrote);
            if (wrote <= 0 || written == input.size()) {
                close(inFd);
                inFd = -1;
            }
        }
        if (!outOpen && !errOpen && inFd >= 0) {
            close(inFd);
            inFd = -1;
        }
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

std::string MakeScratchDirectory() {
    char pattern[] = "/tmp/lorvane-test-XXXXXX";
    const char* directory = mkdtemp(pattern);
    return directory ? directory : "";
}


}  // namespace test
}  // namespace lorvane
