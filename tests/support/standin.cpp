#include "support/standin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/process.h"

namespace lorvane {
namespace test {

StandIn::StandIn(const std::string& scenarioJson, double stallSeconds) {
    m_directory = MakeScratchDirectory();
    const std::string scenario = m_directory + "/scenario.json";
    std::string json = scenarioJson;
    if (json.find("\"fixtures\"") == std::string::npos)
        json.insert(json.find('{') + 1, "\"fixtures\": \"" LORVANE_FIXTURES_DIR "\", ");
    std::ofstream(scenario) << json;

    int out[2];
    if (pipe(out) != 0) {
        ADD_FAILURE() << "cannot make a pipe";
        return;
    }
    const std::string log = m_directory + "/requests.log";
    const std::string stall = std::to_string(stallSeconds);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execlp("python3", "python3", LORVANE_STANDIN_SCRIPT, "--scenario", scenario.c_str(),
               "--log", log.c_str(), "--stall", stall.c_str(), "--lifetime", "300",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* reader = fdopen(out[0], "r");
    char line[64] = "";
    if (!reader || !std::fgets(line, sizeof line, reader) ||
        std::sscanf(line, "PORT %d", &m_port) != 1)
        ADD_FAILURE() << "the E-utilities stand-in did not start";
    if (reader) std::fclose(reader);
}

StandIn::~StandIn() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_directory, ignored);
}

std::vector<std::string> StandIn::Requests() const {
    std::vector<std::string> paths;
    std::ifstream log(m_directory + "/requests.log");
    for (std::string line; std::getline(log, line);) paths.push_back(line);
    return paths;
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
