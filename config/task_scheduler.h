// The system's task scheduler, in the shape of the Task Scheduler 1.0
// operations: work items found, deleted and created by name, each with an
// application, account, flags and triggers. Windows: mstask's COM
// objects; POSIX: the user's crontab.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/status.h"

namespace lorvane {

// Trigger types, as TASK_TRIGGER_TYPE numbers them.
enum class TriggerType : int {
    Daily = 1,   // TASK_TIME_TRIGGER_DAILY
    Weekly = 2,  // TASK_TIME_TRIGGER_WEEKLY
};

// Trigger flags.
constexpr std::uint32_t kTriggerHasEndDate = 1;

// Work item flags.
constexpr std::uint32_t kTaskInteractive = 1;
constexpr std::uint32_t kTaskDontStartOnBatteries = 64;
constexpr std::uint32_t kTaskKillOnBatteries = 128;

// The fields of a TASK_TRIGGER record (48 bytes on Windows).
struct TaskTrigger {
    std::uint16_t triggerSize = 0;
    std::uint16_t beginYear = 0, beginMonth = 0, beginDay = 0;
    std::uint16_t endYear = 0, endMonth = 0, endDay = 0;
    std::uint16_t startHour = 0, startMinute = 0;
    std::uint32_t minutesDuration = 0, minutesInterval = 0;
    std::uint32_t flags = 0;
    TriggerType triggerType = TriggerType::Daily;
    std::uint16_t interval = 0;     // DaysInterval (daily) or WeeksInterval (weekly)
    std::uint16_t daysOfWeek = 0;   // weekly: TASK_SUNDAY (1) .. TASK_SATURDAY (64)
    std::uint16_t randomMinutesInterval = 0;
};

// A work item being set up; Save stores it under its name. A failing
// operation's status says, beyond its code, what the scheduler said of it
// (often nothing); SetAccountInformation's says the refusal's code, as
// "0x80070005".
class ScheduledWorkItem {
public:
    virtual ~ScheduledWorkItem() = default;
    virtual Status SetApplicationName(const std::string& application) = 0;
    virtual Status SetAccountInformation(const std::string& account, const std::string& password) = 0;
    virtual Status SetParameters(const std::string& parameters) = 0;
    virtual Status SetWorkingDirectory(const std::string& directory) = 0;
    virtual Status SetComment(const std::string& comment) = 0;
    virtual Status SetFlags(std::uint32_t flags) = 0;
    // Adds a trigger; `index` is its number for SetTrigger.
    virtual Status CreateTrigger(int& index) = 0;
    virtual Status SetTrigger(int index, const TaskTrigger& trigger) = 0;
    virtual Status Save() = 0;
};

class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;
    // Succeeds when a work item of that name exists; NotFound when none
    // does (or there is no scheduler to ask).
    virtual Status Activate(const std::string& name) = 0;
    virtual Status Delete(const std::string& name) = 0;
    virtual Status NewWorkItem(const std::string& name, std::unique_ptr<ScheduledWorkItem>& item) = 0;
};

// Creates the platform's scheduler. Fails, saying why, when it cannot.
Status CreateTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler);

// Whether the system is of the Windows NT family (always on POSIX).
bool IsNtFamily();

// Whether registering a work item takes the account's password: the Task
// Scheduler does; cron runs the user's own table and needs none.
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
