#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>

#include "platform/posix/posix_error.h"

extern char** environ;

namespace lorvane {
namespace {

// How often a running program is looked at to see whether it has exited.
constexpr int kExitPollMilliseconds = 20;

class Pipe {
public:
    Pipe() = default;
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    bool Open() { return pipe2(m_fds, O_CLOEXEC) == 0; }
    int read() const { return m_fds[0]; }
    int write() const { return m_fds[1]; }
    void CloseRead() { Close(m_fds[0]); }
    void CloseWrite() { Close(m_fds[1]); }

private:
    static void Close(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int m_fds[2] = {-1, -1};
};

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& changes) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& change : changes) {
        if (change.second.empty())
            merged.erase(change.first);
        else
            merged[change.first] = change.second;
    }
    std::vector<std::string> entries;
    for (const auto& entry : merged) entries.push_back(entry.first + "=" + entry.second);
    return entries;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool RunChild(const std::string& program, const std::vector<std::string>& args,
              const std::string& input, ChildResult& result, std::string& error,
              const ChildOptions& options) {
    result = ChildResult();
    Pipe in, out, err, failure;
    if (!in.Open() || !out.Open() || !err.Open() || !failure.Open()) {
        error = DescribeErrno("cannot create a pipe", errno);
        return false;
    }
    std::vector<std::string> envText = MergedEnvironment(options.environment);
    std::vector<std::string> argText = {program};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> envp, argv;
    for (std::string& text : envText) envp.push_back(&text[0]);
    envp.push_back(nullptr);
    for (std::string& text : argText) argv.push_back(&text[0]);
    argv.push_back(nullptr);

    // A child that stops reading must give us an error on write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid < 0) {
        error = DescribeErrno("cannot start " + program, errno);
        return false;
    }
    if (pid == 0) {
        // A group of its own, so that a time limit stops what it starts too.
        setpgid(0, 0);
        dup2(in.read(), 0);
        dup2(out.write(), 1);
        dup2(err.write(), 2);
        int code = 0;
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
            code = errno;
        else
            execve(program.c_str(), argv.data(), envp.data());
        if (code == 0) code = errno;
        // Tell the parent why exec failed; it reads this before anything else.
        ssize_t ignored = ::write(failure.write(), &code, sizeof code);
        (void)ignored;
        _exit(127);
    }
    in.CloseRead();
    out.CloseWrite();
    err.CloseWrite();
    failure.CloseWrite();

    int code = 0;
    const bool execFailed = ::read(failure.read(), &code, sizeof code) == sizeof code;

    // Feed the input and drain both outputs together, so that a child that
    // writes much before it reads cannot block on a full pipe.
    using SteadyClock = std::chrono::steady_clock;
    const bool limited = options.timeLimitSeconds > 0;
    const SteadyClock::time_point deadline =
        SteadyClock::now() + std::chrono::seconds(limited ? options.timeLimitSeconds : 0);
    // Milliseconds left for poll(): -1 without a limit, 0 once it has passed.
    auto left = [&]() -> int {
        if (!limited) return -1;
        const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        return rest.count() > 0 ? static_cast<int>(rest.count()) : 0;
    };
    bool timedOut = false;
    std::size_t written = 0;
    bool inOpen = !execFailed && !input.empty();
    if (!inOpen) in.CloseWrite();
    bool outOpen = true, errOpen = true;
    // Reads what one output holds now: 1 when something was read, -1 when
    // nothing is there yet, 0 once it is closed.
    char buffer[16384];
    auto drain = [&](int fd, std::string& into) {
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
        }
        if (got > 0) into.append(buffer, static_cast<std::size_t>(got));
        return got > 0 ? 1 : got < 0 && errno == EAGAIN ? -1 : 0;
    };
    // The wait is for the process, not for its outputs: a program that
    // exits leaving a child of its own behind with them (a sendmail that
    // delivers in the background) is done when it exits.
    int status = -1;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) {
            status = -1;  // reaped elsewhere: how it ended is unknown
            break;
        }
        const int rest = left();
        if (rest == 0) {
            timedOut = true;
            break;
        }
        pollfd fds[3] = {{outOpen ? out.read() : -1, POLLIN, 0}, {errOpen ? err.read() : -1, POLLIN, 0},
                         {inOpen ? in.write() : -1, POLLOUT, 0}};
        // Short waits, so that the exit is seen soon after it happens.
        if (poll(fds, 3, rest < 0 || rest > kExitPollMilliseconds ? kExitPollMilliseconds : rest) <= 0)
            continue;
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) outOpen = drain(out.read(), result.out) != 0;
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) errOpen = drain(err.read(), result.err) != 0;
        if (inOpen && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t wrote = ::write(in.write(), input.data() + written, input.size() - written);
            if (wrote > 0) written += static_cast<std::size_t>(wrote);
            if ((wrote < 0 && errno != EINTR && errno != EAGAIN) || written == input.size()) {
                in.CloseWrite();
                inOpen = false;
            }
        }
    }
    in.CloseWrite();
    if (timedOut) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    } else {
        // What it wrote before it exited is in the pipes; whatever it
        // started may hold them open, so they are read without waiting.
        for (const int fd : {out.read(), err.read()}) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        while (outOpen && drain(out.read(), result.out) > 0) {
        }
        while (errOpen && drain(err.read(), result.err) > 0) {
        }
    }
    if (timedOut) {
        error = program + " did not finish within " + std::to_string(options.timeLimitSeconds) +
                " seconds and was stopped";
        return false;
    }
    if (execFailed) {
        error = DescribeErrno("cannot run " + program, code);
        return false;
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return true;
}

std::string FindProgram(const std::string& name, const std::string& path,
                        const std::vector<std::string>& fallbacks) {
    std::size_t start = 0;
    while (!path.empty() && start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        const std::string folder = end > start ? path.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    for (const std::string& fallback : fallbacks)
        if (IsExecutableFile(fallback)) return fallback;
    return std::string();
}

}  // namespace lorvane
