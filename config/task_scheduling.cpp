#include "config/task_scheduling.h"

#include <cstdio>

namespace lorvane {
namespace {

bool Failed(TaskResult result) {
    return result < 0;
}

// Passes on what the scheduler says of a failure, where it says anything.
TaskResult Explained(Console& console, const TaskScheduler& scheduler, TaskResult result) {
    const std::string said = scheduler.DescribeLastFailure();
    if (Failed(result) && !said.empty()) console.Line(said);
    return result;
}

// Creates the platform's scheduler, saying why on `console` when it cannot.
TaskResult OpenScheduler(Console& console, std::unique_ptr<TaskScheduler>& scheduler) {
    std::string error;
    const TaskResult result = CreateTaskScheduler(scheduler, error);
    if (Failed(result) && !error.empty()) console.Line(error);
    return result;
}

// Deletes item `name` through `scheduler`; a missing item is said nothing of.
TaskResult Delete(Console& console, TaskScheduler& scheduler, const std::string& name) {
    const TaskResult result = scheduler.Delete(name);
    return result == kTaskNotFound ? result : Explained(console, scheduler, result);
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

TaskResult RegisterTask(Console& console, CTaskDescriptor& descriptor, const std::string& name,
                        bool failIfExists, AlertFrequency frequency) {
    if (descriptor.start().year == 0 || name.empty() || descriptor.application().empty())
        return kTaskFailed;

    std::unique_ptr<TaskScheduler> scheduler;
    TaskResult result = OpenScheduler(console, scheduler);
    if (Failed(result)) return result;
    // What the scheduler says of a failing step goes to the console too.
    auto explained = [&](TaskResult step) { return Explained(console, *scheduler, step); };

    if (!Failed(scheduler->Activate(name))) {
        if (failIfExists) return kTaskExists;
        result = Delete(console, *scheduler, name);
        if (Failed(result)) return result;
    }

    std::unique_ptr<ScheduledWorkItem> task;
    result = explained(scheduler->NewWorkItem(name, task));
    if (Failed(result)) return result;
    result = explained(task->SetApplicationName(descriptor.application()));
    if (Failed(result)) return result;
    result = task->SetAccountInformation(descriptor.m_account, descriptor.m_password);
    if (Failed(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(result));
        console.Line(std::string("Failed calling ITask::SetAccountInformation: error = ") + code);
        return 1;
    }
    if (!descriptor.parameters().empty()) {
        result = explained(task->SetParameters(descriptor.parameters()));
        if (Failed(result)) return result;
    }
    if (!descriptor.workingDirectory().empty()) {
        result = explained(task->SetWorkingDirectory(descriptor.workingDirectory()));
        if (Failed(result)) return result;
    }
    if (!descriptor.comment().empty()) {
        result = explained(task->SetComment(descriptor.comment()));
        if (Failed(result)) return result;
    }
    std::uint32_t flags = kTaskDontStartOnBatteries | kTaskKillOnBatteries;
    if (IsNtFamily()) flags |= kTaskInteractive;
    result = explained(task->SetFlags(flags));
    if (Failed(result)) return result;

    int index = 0;
    result = explained(task->CreateTrigger(index));
    if (Failed(result)) return result;
    descriptor.SetFrequencyKind(frequency == AlertFrequency::Daily ? TriggerKind::Daily
                                                                   : TriggerKind::Weekly);
    result = explained(task->SetTrigger(index, BuildTaskTrigger(descriptor)));
    if (Failed(result)) return result;
    return explained(task->Save());
}

TaskResult FindTask(Console& console, const std::string& name) {
    std::unique_ptr<TaskScheduler> scheduler;
    const TaskResult result = OpenScheduler(console, scheduler);
    if (Failed(result)) return result;
    const TaskResult found = scheduler->Activate(name);
    return found == kTaskNotFound ? found : Explained(console, *scheduler, found);
}

TaskResult RemoveTask(Console& console, const std::string& name) {
    if (name.empty()) return kTaskFailed;
    std::unique_ptr<TaskScheduler> scheduler;
    const TaskResult result = OpenScheduler(console, scheduler);
    if (Failed(result)) return result;
    return Delete(console, *scheduler, name);
}

}  // namespace lorvane
