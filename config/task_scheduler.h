// The system's task scheduler, as the configuration program needs it: a
// work item that starts the runner on a schedule, stored, found and
// removed by name. Windows: the Task Scheduler; POSIX: the user's crontab.
#pragma once

#include <memory>
#include <string>

#include "common/alert_settings.h"
#include "common/status.h"

namespace lorvane {

// A work item to register: what it starts, when, and as whom.
class CTaskDescriptor {
public:
    CTaskDescriptor() = default;
    virtual ~CTaskDescriptor() = default;

    // When the runner is due: daily, or weekly on a weekday, at a time of
    // day. The scheduler starts it at that time and then every hour (and
    // at logon where it can), so that a run missed while the computer was
    // off is made up; the runner itself decides which start is due.
    void SetSchedule(const RunSchedule& schedule) { m_schedule = schedule; }
    void SetApplication(const std::string& application) { m_application = application; }
    void SetParameters(const std::string& parameters) { m_parameters = parameters; }
    void SetWorkingDirectory(const std::string& directory) { m_workingDirectory = directory; }
    void SetComment(const std::string& comment) { m_comment = comment; }
    // Whether the item runs only while the account is signed in, which
    // needs no password (m_password is then not used).
    void SetOnlyWhenSignedIn(bool only) { m_onlyWhenSignedIn = only; }

    const RunSchedule& schedule() const { return m_schedule; }
    const std::string& application() const { return m_application; }
    const std::string& parameters() const { return m_parameters; }
    const std::string& workingDirectory() const { return m_workingDirectory; }
    const std::string& comment() const { return m_comment; }
    bool onlyWhenSignedIn() const { return m_onlyWhenSignedIn; }

    std::string m_account;
    std::string m_password;

private:
    RunSchedule m_schedule;
    std::string m_application;
    std::string m_parameters;
    std::string m_workingDirectory;
    std::string m_comment;
    bool m_onlyWhenSignedIn = false;
};

// What the scheduler holds under a name, as far as it can tell.
struct RegisteredTask {
    bool scheduleKnown = false;  // whether `schedule` was read back
    RunSchedule schedule;
    bool onlyWhenSignedIn = false;
};

class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;
    // Succeeds when a work item of that name exists, filling `found` with
    // what it says of itself; NotFound when none does.
    virtual Status Find(const std::string& name, RegisteredTask& found) = 0;
    // Removes item `name`; NotFound when there is none.
    virtual Status Delete(const std::string& name) = 0;
    // Stores `descriptor` as item `name`, of which there is none. Fails
    // with StatusCode::Refused when the account is refused, the message
    // saying how; otherwise with what the scheduler said.
    virtual Status Create(const std::string& name, const CTaskDescriptor& descriptor) = 0;
};

// Creates the platform's scheduler. Fails, saying why, when it cannot.
Status CreateTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler);

// Whether registering a work item takes the account's password (or the
// choice to run only while signed in): the Task Scheduler does; cron runs
// the user's own table and needs none.
bool SchedulerNeedsPassword();

// What a scheduled run starts, on this platform: the runner's program
// ("tessory.exe" on Windows, the absolute path of the tessory beside this
// program on POSIX), its working folder, and the sentence part that names
// both for a person ("tessory.exe and it is in the C://Program
// Files/Lorvane!/ directory").
std::string RunnerApplication();
std::string RunnerWorkingDirectory();
std::string RunnerLocationText();

}  // namespace lorvane
