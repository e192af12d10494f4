// The E-utilities stand-in (standin/eutils_standin.py) run as a child
// process on 127.0.0.1 for one test.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace lorvane {
namespace test {

class StandIn {
public:
    // Starts the stand-in over `scenarioJson` (its "fixtures" default to
    // the test fixtures). `stallSeconds` is how long a "stall" answer
    // waits. Fails the test when it does not start.
    explicit StandIn(const std::string& scenarioJson, double stallSeconds = 30);
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // The base URL to hand to LORVANE_EUTILS_URL.
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    // Every request path received so far, in order.
    std::vector<std::string> Requests() const;

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_directory;
};

// Returns a base URL on 127.0.0.1 where nothing listens.
std::string ClosedPortUrl();

}  // namespace test
}  // namespace lorvane
