#include "config/task_scheduling.h"

#include <cstdio>

namespace lorvane {
namespace {

// Passes on what the scheduler says of a failure, where it says anything.
Status Explained(Console& console, Status status) {
    if (!status.ok() && !status.message().empty()) console.Line(status.message());
    return status;
}

// Creates the platform's scheduler, saying why on `console` when it cannot.
Status OpenScheduler(Console& console, std::unique_ptr<TaskScheduler>& scheduler) {
    return Explained(console, CreateTaskScheduler(scheduler));
}

// Deletes item `name` through `scheduler`; a missing item is said nothing of.
Status Delete(Console& console, TaskScheduler& scheduler, const std::string& name) {
    Status status = scheduler.Delete(name);
    return status.code() == StatusCode::NotFound ? status : Explained(console, std::move(status));
}

// Sets the rest of `task` from `descriptor`: parameters, folder, comment,
// flags and the trigger of `frequency`, and saves it; each failing step
// explained on `console`.
Status FillWorkItem(Console& console, ScheduledWorkItem& task, CTaskDescriptor& descriptor,
                    AlertFrequency frequency) {
    Status status;
    if (!descriptor.parameters().empty()) status = Explained(console, task.SetParameters(descriptor.parameters()));
    if (status.ok() && !descriptor.workingDirectory().empty())
        status = Explained(console, task.SetWorkingDirectory(descriptor.workingDirectory()));
    if (status.ok() && !descriptor.comment().empty())
        status = Explained(console, task.SetComment(descriptor.comment()));
    std::uint32_t flags = kTaskDontStartOnBatteries | kTaskKillOnBatteries;
    if (IsNtFamily()) flags |= kTaskInteractive;
    if (status.ok()) status = Explained(console, task.SetFlags(flags));
    int index = 0;
    if (status.ok()) status = Explained(console, task.CreateTrigger(index));
    if (!status.ok()) return status;
    descriptor.SetFrequencyKind(frequency == AlertFrequency::Daily ? TriggerKind::Daily : TriggerKind::Weekly);
    status = Explained(console, task.SetTrigger(index, BuildTaskTrigger(descriptor)));
    return status.ok() ? Explained(console, task.Save()) : status;
}

}  // namespace

void CTaskDescriptor::SetStart(const CalendarTime& start) {
    m_start = start;
    m_start.second = 0;
    m_start.milliseconds = 0;
}

void CTaskDescriptor::SetEnd(const CalendarTime& end) {
    m_end = CalendarTime();
    m_end.year = end.year;
    m_end.month = end.month;
    m_end.day = end.day;
}

std::uint16_t DayBitOf(const CalendarTime& date) {
    // Indexed by weekday number, 1 = Sunday to 7 = Saturday.
    static const std::uint16_t kDayBits[8] = {0, 1, 2, 4, 8, 16, 32, 64};
    double value = 0;
    CalendarTime day = date;
    day.hour = day.minute = day.second = 0;
    if (!CalendarToAutomationDate(day, value) || !AutomationDateToCalendar(value, day)) return 0;
    return kDayBits[day.dayOfWeek + 1];
}

TaskTrigger BuildTaskTrigger(const CTaskDescriptor& descriptor) {
    const CalendarTime& start = descriptor.start();
    const CalendarTime& end = descriptor.end();
    TaskTrigger trigger;
    trigger.triggerSize = 48;
    trigger.beginYear = static_cast<std::uint16_t>(start.year);
    trigger.beginMonth = static_cast<std::uint16_t>(start.month);
    trigger.beginDay = static_cast<std::uint16_t>(start.day);
    if (end.year != 0) {
        trigger.endYear = static_cast<std::uint16_t>(end.year);
        trigger.endMonth = static_cast<std::uint16_t>(end.month);
        trigger.endDay = static_cast<std::uint16_t>(end.day);
        trigger.flags = kTriggerHasEndDate;
    }
    trigger.startHour = static_cast<std::uint16_t>(start.hour);
    trigger.startMinute = static_cast<std::uint16_t>(start.minute);
    if (descriptor.frequencyKind() == TriggerKind::Daily) {
        trigger.triggerType = TriggerType::Daily;
        trigger.interval = 1;
    } else {
        trigger.triggerType = TriggerType::Weekly;
        trigger.interval = 1;
        trigger.daysOfWeek = DayBitOf(start);
    }
    return trigger;
}

Status RegisterTask(Console& console, CTaskDescriptor& descriptor, const std::string& name, bool failIfExists,
                    AlertFrequency frequency) {
    if (descriptor.start().year == 0 || name.empty() || descriptor.application().empty())
        return Status::Error("");
    std::unique_ptr<TaskScheduler> scheduler;
    Status status = OpenScheduler(console, scheduler);
    if (!status.ok()) return status;
    if (scheduler->Activate(name).ok()) {
        if (failIfExists) return Status(StatusCode::Exists, "");
        status = Delete(console, *scheduler, name);
        if (!status.ok()) return status;
    }
    std::unique_ptr<ScheduledWorkItem> task;
    status = Explained(console, scheduler->NewWorkItem(name, task));
    if (status.ok()) status = Explained(console, task->SetApplicationName(descriptor.application()));
    if (!status.ok()) return status;
    status = task->SetAccountInformation(descriptor.m_account, descriptor.m_password);
    if (!status.ok()) {
        console.Line("Failed calling ITask::SetAccountInformation: error = " + status.message());
        return Status(StatusCode::Refused, "");
    }
    return FillWorkItem(console, *task, descriptor, frequency);
}

Status FindTask(Console& console, const std::string& name) {
    std::unique_ptr<TaskScheduler> scheduler;
    const Status opened = OpenScheduler(console, scheduler);
    if (!opened.ok()) return opened;
    Status found = scheduler->Activate(name);
    return found.code() == StatusCode::NotFound ? found : Explained(console, std::move(found));
}

Status RemoveTask(Console& console, const std::string& name) {
    if (name.empty()) return Status::Error("");
    std::unique_ptr<TaskScheduler> scheduler;
    const Status opened = OpenScheduler(console, scheduler);
    if (!opened.ok()) return opened;
    return Delete(console, *scheduler, name);
}

}  // namespace lorvane
