#include "support/standin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/process.h"

namespace lorvane {
namespace test {
namespace {

const char kStandinFolder[] = LORVANE_STANDIN_DIR;
const char kMsmtp[] = "/usr/bin/msmtp";

// Returns the lines of a stand-in's request log.
std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

}  // namespace

ChildServer::ChildServer(const std::string& script, const std::vector<std::string>& args,
                         const std::string& python) {
    int out[2];
    if (pipe(out) != 0) {
        ADD_FAILURE() << "cannot make a pipe";
        return;
    }
    std::vector<std::string> argText = {python, script};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : argText) argv.push_back(&text[0]);
    argv.push_back(nullptr);
    std::fflush(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execvp(python.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    FILE* reader = fdopen(out[0], "r");
    char line[64] = "";
    if (!reader || !std::fgets(line, sizeof line, reader) ||
        std::sscanf(line, "PORT %d", &m_port) != 1)
        ADD_FAILURE() << script << " did not start";
    if (reader) std::fclose(reader);
}

ChildServer::~ChildServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

StandIn::StandIn(const std::string& scenarioJson, double stallSeconds) {
    m_directory = MakeScratchDirectory();
    const std::string scenario = m_directory + "/scenario.json";
    std::string json = scenarioJson;
    if (json.find("\"fixtures\"") == std::string::npos)
        json.insert(json.find('{') + 1, "\"fixtures\": \"" LORVANE_FIXTURES_DIR "\", ");
    std::ofstream(scenario) << json;
    m_server = new ChildServer(std::string(kStandinFolder) + "/eutils_standin.py",
                               {"--scenario", scenario, "--log", m_directory + "/requests.log",
                                "--stall", std::to_string(stallSeconds), "--lifetime", "300"});
}

StandIn::~StandIn() {
    delete m_server;
    std::error_code ignored;
    std::filesystem::remove_all(m_directory, ignored);
}

std::string StandIn::url() const {
    return "http://127.0.0.1:" + std::to_string(m_server->port());
}

std::vector<std::string> StandIn::Requests() const {
    return LogLines(m_directory + "/requests.log");
}

MailSink::MailSink(const std::string& home, const std::string& refuse) : m_home(home) {
    m_store = home + "/sink";
    std::filesystem::create_directories(m_store);
    std::filesystem::create_directories(home + "/bin");
    std::vector<std::string> args = {"--store", m_store, "--lifetime", "300"};
    if (!refuse.empty()) args.insert(args.end(), {"--refuse", refuse});
    m_server = new ChildServer(std::string(kStandinFolder) + "/smtp_sink.py", args);

    // msmtp reads ~/.msmtprc or, with XDG_CONFIG_HOME, its config there.
    const std::string config = "defaults\nauth off\ntls off\naccount default\nhost 127.0.0.1\nport " +
                               std::to_string(m_server->port()) + "\nfrom lorvane-test@example.org\n";
    for (const std::string& path : {home + "/.msmtprc", home + "/config/msmtp/config"}) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << config;
        chmod(path.c_str(), 0600);
    }
    // A sendmail is always found here first: without msmtp, one that
    // fails, never the machine's own.
    const bool haveMsmtp = access(kMsmtp, X_OK) == 0;
    std::filesystem::remove(home + "/bin/sendmail");
    std::filesystem::create_symlink(haveMsmtp ? kMsmtp : "/bin/false", home + "/bin/sendmail");
    if (!haveMsmtp) ADD_FAILURE() << kMsmtp << " is needed for the mail tests (Debian msmtp)";
}

MailSink::~MailSink() {
    delete m_server;
}

std::map<std::string, std::string> MailSink::Environment() const {
    const char* path = std::getenv("PATH");
    return {{"HOME", m_home}, {"PATH", m_home + "/bin:" + (path ? path : "/usr/bin:/bin")}};
}

namespace {

// Reads the messages that a server script stored in `store`.
std::vector<ReceivedMail> StoredMessages(const std::string& store) {
    std::vector<ReceivedMail> messages;
    for (int n = 1;; ++n) {
        const std::string base = store + "/" + std::to_string(n);
        ReceivedMail mail;
        mail.raw = ReadFileOr(base + ".eml", "");
        if (mail.raw.empty()) break;
        mail.envelope = ReadFileOr(base + ".json", "");
        mail.stored = base;
        const ProcessResult parsed =
            RunProcess("/usr/bin/env", {"python3", std::string(kStandinFolder) + "/parse_mail.py",
                                        base + ".eml"},
                       store, {});
        const std::size_t split = parsed.out.find("\n\n");
        EXPECT_NE(split, std::string::npos) << parsed.err;
        if (split == std::string::npos) break;
        std::size_t start = 0;
        while (start < split) {
            const std::size_t end = parsed.out.find('\n', start);
            const std::string line = parsed.out.substr(start, end - start);
            const std::size_t colon = line.find(": ");
            if (colon != std::string::npos) mail.headers[line.substr(0, colon)] = line.substr(colon + 2);
            start = end + 1;
        }
        mail.body = parsed.out.substr(split + 2);
        const auto plain = mail.headers.find("Plain-Length");
        if (plain != mail.headers.end()) {
            const std::size_t length = std::stoul(plain->second);
            mail.plain = mail.body.substr(0, length);
            mail.body.erase(0, length);
        }
        messages.push_back(mail);
    }
    return messages;
}

}  // namespace

std::vector<ReceivedMail> MailSink::Messages() const {
    return StoredMessages(m_store);
}

SubmissionServer::SubmissionServer(const std::string& folder, const std::string& security,
                                   const std::string& user, const std::string& password,
                                   const std::vector<std::string>& options)
    : m_folder(folder) {
    std::filesystem::create_directories(folder + "/store");
    const ProcessResult made = RunProcess(
        "/usr/bin/openssl",
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", folder + "/key.pem", "-out",
         caFile(), "-days", "2", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"},
        folder, {});
    if (made.exitCode != 0) {
        ADD_FAILURE() << "openssl could not make a certificate: " << made.err;
        return;
    }
    std::vector<std::string> args = {"--store", folder + "/store", "--cert", caFile(), "--key",
                                     folder + "/key.pem", "--security", security, "--refuse",
                                     "refused", "--lifetime", "300"};
    if (!user.empty()) args.insert(args.end(), {"--user", user, "--password", password});
    args.insert(args.end(), options.begin(), options.end());
    m_server = new ChildServer(std::string(kStandinFolder) + "/smtp_submission.py", args,
                               "/usr/bin/python3");
}

SubmissionServer::~SubmissionServer() {
    delete m_server;
}

std::vector<ReceivedMail> SubmissionServer::Messages() const {
    return StoredMessages(m_folder + "/store");
}

OAuthStandIn::OAuthStandIn(const std::string& folder, const std::string& account)
    : m_folder((std::filesystem::create_directories(folder), folder)),
      m_server(std::string(kStandinFolder) + "/oauth_standin.py",
               {"--log", folder + "/requests.log", "--next", folder + "/next.json", "--account", account}) {}

std::string OAuthStandIn::url() const {
    return "http://127.0.0.1:" + std::to_string(m_server.port());
}

std::vector<std::string> OAuthStandIn::Requests() const {
    return LogLines(m_folder + "/requests.log");
}

void OAuthStandIn::Revoke() const {
    RunProcess("/usr/bin/env",
               {"python3", "-c", "import urllib.request; urllib.request.urlopen('" + url() + "/revoke', b'')"},
               m_folder, {});
}

void OAuthStandIn::Next(const std::string& change) const {
    std::ofstream(m_folder + "/next.json") << change;
}

std::string ClosedPortUrl() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

}  // namespace test
}  // namespace lorvane
