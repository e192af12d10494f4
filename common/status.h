// What became of an operation that can fail: a code that callers may act
// on, and the words that say to a person what failed. Every portable
// function that can fail returns one; each platform file turns its own
// errors (errno, GetLastError, HRESULTs, libcurl codes) into it.
#pragma once

#include <string>
#include <utility>

namespace lorvane {

enum class StatusCode {
    Ok,
    Failed,        // anything without a code of its own
    NotFound,      // what was asked for is not there
    Exists,        // something of that name is there already
    Busy,          // another process holds it; try again later
    AccessDenied,  // the system refused it
    Refused,       // the account or the input was refused
};

class [[nodiscard]] Status {
public:
    Status() = default;  // success
    Status(StatusCode code, std::string message) : m_code(code), m_message(std::move(message)) {}

    // A failure without a code of its own, saying `message`.
    static Status Error(std::string message) { return Status(StatusCode::Failed, std::move(message)); }

    bool ok() const { return m_code == StatusCode::Ok; }
    StatusCode code() const { return m_code; }
    // What failed, in words; may be empty when the code says all.
    const std::string& message() const { return m_message; }

private:
    StatusCode m_code = StatusCode::Ok;
    std::string m_message;
};

}  // namespace lorvane
