// The Windows task scheduler: the Task Scheduler 1.0 COM objects (mstask).
#include <windows.h>
#include <mstask.h>
#include <shlobj.h>
#include <objbase.h>

#include <cstdio>

#include "common/system_services.h"
#include "config/task_scheduler.h"
#include "platform/win32/com_support.h"
#include "platform/win32/module_path.h"
#include "platform/win32/win32_error.h"

namespace lorvane {
namespace {

// {148BD52A-A2AB-11CE-B11F-00AA00530503} and its relatives.
const CLSID kTaskSchedulerClass = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kTaskSchedulerInterface = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const CLSID kTaskClass = {0x148BD520, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kTaskInterface = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The status of a Task Scheduler call: its code says all there is to say.
Status Result(HRESULT result) {
    return SUCCEEDED(result) ? Status() : Status(Win32StatusCode(static_cast<unsigned long>(result)), "");
}

// Whether the system is of the NT family, where a work item may show its
// windows to the signed-in user.
bool IsNtFamily() {
    return (GetVersion() & 0x80000000u) == 0;
}

// The work item's flags: it does not start on batteries and stops when the
// computer goes on them (a missed start is made up at a later chance);
// without a password it runs only while its account is signed in.
DWORD WorkItemFlags(const CTaskDescriptor& descriptor) {
    DWORD flags = TASK_FLAG_DONT_START_IF_ON_BATTERIES | TASK_FLAG_KILL_IF_GOING_ON_BATTERIES;
    if (IsNtFamily()) flags |= TASK_FLAG_INTERACTIVE;
    if (descriptor.onlyWhenSignedIn()) flags |= TASK_FLAG_RUN_ONLY_IF_LOGGED_ON;
    return flags;
}

// The trigger of the schedule's moments: daily, or weekly on its weekday,
// from the first week of 2000 at its time, and then every hour until the
// next moment, so that a moment missed while the computer was off, asleep
// or on batteries gets a chance within the hour it can run again. The
// runner, started with --scheduled, decides which start is due.
TASK_TRIGGER ScheduleTrigger(const RunSchedule& schedule) {
    TASK_TRIGGER trigger{};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.wBeginYear = 2000;
    trigger.wBeginMonth = 1;
    trigger.wBeginDay = 1;  // a Saturday; the 2nd is a Sunday, and so on
    trigger.wStartHour = static_cast<WORD>(schedule.minuteOfDay / 60);
    trigger.wStartMinute = static_cast<WORD>(schedule.minuteOfDay % 60);
    trigger.MinutesInterval = 60;
    if (schedule.frequency == AlertFrequency::Daily) {
        trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
        trigger.Type.Daily.DaysInterval = 1;
        trigger.MinutesDuration = 24 * 60;
    } else {
        const int weekday = schedule.weekday >= 0 && schedule.weekday < 6 ? schedule.weekday : 6;
        trigger.wBeginDay = static_cast<WORD>(weekday == 6 ? 1 : 2 + weekday);
        trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        trigger.Type.Weekly.WeeksInterval = 1;
        trigger.Type.Weekly.rgfDaysOfTheWeek = static_cast<WORD>(1u << weekday);  // TASK_SUNDAY is 1
        trigger.MinutesDuration = 7 * 24 * 60;
    }
    return trigger;
}

// The trigger that gives a chance when the user signs in.
TASK_TRIGGER LogonTrigger() {
    TASK_TRIGGER trigger{};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.wBeginYear = 2000;
    trigger.wBeginMonth = 1;
    trigger.wBeginDay = 1;
    trigger.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
    return trigger;
}

// Reads the schedule back from a time trigger; false for other kinds.
bool ReadSchedule(const TASK_TRIGGER& trigger, RunSchedule& schedule) {
    schedule.minuteOfDay = trigger.wStartHour * 60 + trigger.wStartMinute;
    if (trigger.TriggerType == TASK_TIME_TRIGGER_DAILY) {
        schedule.frequency = AlertFrequency::Daily;
        return true;
    }
    if (trigger.TriggerType != TASK_TIME_TRIGGER_WEEKLY) return false;
    schedule.frequency = AlertFrequency::Weekly;
    for (int weekday = 6; weekday >= 0; --weekday)
        if (trigger.Type.Weekly.rgfDaysOfTheWeek & (1u << weekday)) schedule.weekday = weekday;
    return true;
}

Status AddTrigger(ITask& task, TASK_TRIGGER record) {
    WORD number = 0;
    ComPtr<ITaskTrigger> trigger;
    const HRESULT result = task.CreateTrigger(&number, trigger.address());
    return FAILED(result) ? Result(result) : Result(trigger->SetTrigger(&record));
}

// Sets the account the item runs as: with the password, or with none when
// it runs only while the account is signed in (its flag already set).
Status SetAccount(ITask& task, const CTaskDescriptor& descriptor) {
    const std::wstring password = ToWide(descriptor.m_password);
    const HRESULT result = task.SetAccountInformation(ToWide(descriptor.m_account).c_str(),
                                                      descriptor.onlyWhenSignedIn() ? nullptr : password.c_str());
    if (SUCCEEDED(result)) return Status();
    char code[80];
    std::snprintf(code, sizeof code, "Failed calling ITask::SetAccountInformation: error = 0x%x",
                  static_cast<unsigned>(result));
    return Status(StatusCode::Refused, code);
}

// Sets what the item starts, where, with which flags and triggers, and
// makes the run's own folder, which must be there and writable by the user.
Status Fill(ITask& task, const CTaskDescriptor& descriptor) {
    Status status = Result(task.SetApplicationName(ToWide(descriptor.application()).c_str()));
    if (status.ok()) status = Result(task.SetFlags(WorkItemFlags(descriptor)));
    if (status.ok()) status = SetAccount(task, descriptor);
    if (status.ok() && !descriptor.parameters().empty())
        status = Result(task.SetParameters(ToWide(descriptor.parameters()).c_str()));
    if (status.ok() && !descriptor.workingDirectory().empty())
        status = Result(task.SetWorkingDirectory(ToWide(descriptor.workingDirectory()).c_str()));
    if (status.ok() && !descriptor.comment().empty())
        status = Result(task.SetComment(ToWide(descriptor.comment()).c_str()));
    if (status.ok()) status = AddTrigger(task, ScheduleTrigger(descriptor.schedule()));
    if (status.ok()) status = AddTrigger(task, LogonTrigger());
    if (status.ok() && !descriptor.workingDirectory().empty()) {
        const int made = SHCreateDirectoryExA(nullptr, descriptor.workingDirectory().c_str(), nullptr);
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
            status = Result(HRESULT_FROM_WIN32(static_cast<DWORD>(made)));
    }
    return status;
}

class ComTaskScheduler : public TaskScheduler {
public:
    ComTaskScheduler() = default;
    ComPtr<ITaskScheduler>& reference() { return m_scheduler; }

    Status Find(const std::string& name, RegisteredTask& found) override {
        ComPtr<IUnknown> activated;
        ComPtr<ITask> task;
        HRESULT result = m_scheduler->Activate(ToWide(name).c_str(), kTaskInterface, activated.address());
        if (SUCCEEDED(result)) result = activated->QueryInterface(kTaskInterface, task.out());
        if (FAILED(result)) return Result(result);
        found = RegisteredTask();
        DWORD flags = 0;
        if (SUCCEEDED(task->GetFlags(&flags))) found.onlyWhenSignedIn = (flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON) != 0;
        WORD count = 0;
        if (FAILED(task->GetTriggerCount(&count))) count = 0;
        for (WORD index = 0; index < count && !found.scheduleKnown; ++index) {
            ComPtr<ITaskTrigger> trigger;
            TASK_TRIGGER record{};
            record.cbTriggerSize = sizeof record;
            if (SUCCEEDED(task->GetTrigger(index, trigger.address())) && SUCCEEDED(trigger->GetTrigger(&record)))
                found.scheduleKnown = ReadSchedule(record, found.schedule);
        }
        return Status();
    }

    Status Delete(const std::string& name) override {
        return Result(m_scheduler->Delete(ToWide(name).c_str()));
    }

    Status Create(const std::string& name, const CTaskDescriptor& descriptor) override {
        ComPtr<IUnknown> created;
        ComPtr<ITask> task;
        HRESULT result =
            m_scheduler->NewWorkItem(ToWide(name).c_str(), kTaskClass, kTaskInterface, created.address());
        if (SUCCEEDED(result)) result = created->QueryInterface(kTaskInterface, task.out());
        if (FAILED(result)) return Result(result);
        const Status filled = Fill(*task.get(), descriptor);
        if (!filled.ok()) return filled;
        ComPtr<IPersistFile> file;
        result = task->QueryInterface(kPersistFileInterface, file.out());
        return Result(SUCCEEDED(result) ? file->Save(nullptr, FALSE) : result);
    }

private:
    ComApartment m_apartment;  // declared first: left after the reference goes
    ComPtr<ITaskScheduler> m_scheduler;
};

}  // namespace

Status CreateTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler) {
    auto created = std::make_unique<ComTaskScheduler>();
    const HRESULT result = CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER,
                                            kTaskSchedulerInterface, created->reference().out());
    if (FAILED(result)) return Win32Status("the Task Scheduler is not available", static_cast<unsigned long>(result));
    scheduler = std::move(created);
    return Status();
}

bool SchedulerNeedsPassword() {
    return true;
}

std::string RunnerApplication() {
    // The tessory.exe installed beside the running Lorvane.exe.
    const std::string folder = FolderOf(RunningProgramPath());
    return folder.empty() ? "tessory.exe" : folder + "\\tessory.exe";
}

std::string RunnerWorkingDirectory() {
    // The user's own folder: the program's folder is not the user's to
    // write, and must not be, since another user's task runs the program.
    // It is the runner's state folder too, where its log and record go.
    return RunnerStateFolder();
}

std::string RunnerLocationText() {
    return "tessory.exe and it is in the " + FolderOf(RunnerApplication()) + " directory.";
}

}  // namespace lorvane
