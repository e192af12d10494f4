// The Windows task scheduler: the Task Scheduler 1.0 COM objects (mstask).
#include <windows.h>
#include <mstask.h>
#include <shlobj.h>
#include <objbase.h>

#include <cstdio>
#include <vector>

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

class ComWorkItem : public ScheduledWorkItem {
public:
    explicit ComWorkItem(ComPtr<ITask> task) : m_task(std::move(task)) {}


    Status SetApplicationName(const std::string& application) override {
        return Result(m_task->SetApplicationName(ToWide(application).c_str()));
    }
    Status SetAccountInformation(const std::string& account, const std::string& password) override {
        const HRESULT result = m_task->SetAccountInformation(ToWide(account).c_str(), ToWide(password).c_str());
        if (SUCCEEDED(result)) return Status();
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(result));
        return Status(Win32StatusCode(static_cast<unsigned long>(result)), code);
    }
    Status SetParameters(const std::string& parameters) override {
        return Result(m_task->SetParameters(ToWide(parameters).c_str()));
    }
    Status SetWorkingDirectory(const std::string& directory) override {
        m_directory = directory;
        return Result(m_task->SetWorkingDirectory(ToWide(directory).c_str()));
    }
    Status SetComment(const std::string& comment) override {
        return Result(m_task->SetComment(ToWide(comment).c_str()));
    }
    Status SetFlags(std::uint32_t flags) override { return Result(m_task->SetFlags(flags)); }

    Status CreateTrigger(int& index) override {
        WORD number = 0;
        ComPtr<ITaskTrigger> trigger;
        const HRESULT result = m_task->CreateTrigger(&number, trigger.address());
        if (FAILED(result)) return Result(result);
        m_triggers.push_back(std::move(trigger));
        index = static_cast<int>(m_triggers.size()) - 1;
        return Status();
    }

    Status SetTrigger(int index, const TaskTrigger& trigger) override {
        if (index < 0 || static_cast<std::size_t>(index) >= m_triggers.size()) return Status::Error("");
        TASK_TRIGGER record{};
        record.cbTriggerSize = sizeof record;
        record.wBeginYear = trigger.beginYear;
        record.wBeginMonth = trigger.beginMonth;
        record.wBeginDay = trigger.beginDay;
        record.wEndYear = trigger.endYear;
        record.wEndMonth = trigger.endMonth;
        record.wEndDay = trigger.endDay;
        record.wStartHour = trigger.startHour;
        record.wStartMinute = trigger.startMinute;
        record.MinutesDuration = trigger.minutesDuration;
        record.MinutesInterval = trigger.minutesInterval;
        record.rgFlags = trigger.flags;
        record.TriggerType = static_cast<TASK_TRIGGER_TYPE>(trigger.triggerType);
        if (trigger.triggerType == TriggerType::Daily) {
            record.Type.Daily.DaysInterval = trigger.interval;
        } else {
            record.Type.Weekly.WeeksInterval = trigger.interval;
            record.Type.Weekly.rgfDaysOfTheWeek = trigger.daysOfWeek;
        }
        record.wRandomMinutesInterval = trigger.randomMinutesInterval;
        return Result(m_triggers[static_cast<std::size_t>(index)]->SetTrigger(&record));
    }

    Status Save() override {
        // The run's own folder must be there, and writable by the user.
        if (!m_directory.empty()) {
            const int made = SHCreateDirectoryExA(nullptr, m_directory.c_str(), nullptr);
            if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
                return Result(HRESULT_FROM_WIN32(static_cast<DWORD>(made)));
        }
        ComPtr<IPersistFile> file;
        HRESULT result = m_task->QueryInterface(kPersistFileInterface, file.out());
        if (FAILED(result)) return Result(result);
        return Result(file->Save(nullptr, FALSE));
    }

private:
    ComApartment m_apartment;  // declared first: left after the references go
    ComPtr<ITask> m_task;
    std::string m_directory;
    std::vector<ComPtr<ITaskTrigger>> m_triggers;
};

class ComTaskScheduler : public TaskScheduler {
public:
    ComTaskScheduler() = default;
    ComPtr<ITaskScheduler>& reference() { return m_scheduler; }

    Status Activate(const std::string& name) override {
        ComPtr<IUnknown> task;
        return Result(m_scheduler->Activate(ToWide(name).c_str(), kTaskInterface, task.address()));
    }

    Status Delete(const std::string& name) override {
        return Result(m_scheduler->Delete(ToWide(name).c_str()));
    }

    Status NewWorkItem(const std::string& name, std::unique_ptr<ScheduledWorkItem>& item) override {
        ComPtr<IUnknown> created;
        HRESULT result =
            m_scheduler->NewWorkItem(ToWide(name).c_str(), kTaskClass, kTaskInterface, created.address());
        if (FAILED(result)) return Result(result);
        ComPtr<ITask> task;
        result = created->QueryInterface(kTaskInterface, task.out());
        if (FAILED(result)) return Result(result);
        item = std::make_unique<ComWorkItem>(std::move(task));
        return Status();
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

bool IsNtFamily() {
    return (GetVersion() & 0x80000000u) == 0;
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
