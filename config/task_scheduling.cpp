#include "config/task_scheduling.h"

#include <cstdio>

namespace lorvane {
namespace {

bool Failed(TaskResult result) {
    return result < 0;
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
    if (descriptor.frequencyKind() == 2) {
        trigger.triggerType = kTriggerDaily;
        trigger.interval = 1;
    } else {
        trigger.triggerType = kTriggerWeekly;
        trigger.interval = 1;
        trigger.daysOfWeek = DayBitOf(start);
    }
    return trigger;
}

TaskResult RegisterTask(CTaskDescriptor& descriptor, const std::string& name, bool failIfExists,
                        std::int32_t frequency) {
    if (descriptor.start().year == 0 || name.empty() || descriptor.application().empty())
        return kTaskFailed;

    std::unique_ptr<TaskScheduler> scheduler;
    TaskResult result = CreateTaskScheduler(scheduler);
    if (Failed(result)) return result;

    if (!Failed(scheduler->Activate(name))) {
        if (failIfExists) return kTaskExists;
        result = RemoveTask(name);
        if (Failed(result)) return result;
    }

    std::unique_ptr<ScheduledWorkItem> task;
    result = scheduler->NewWorkItem(name, task);
    if (Failed(result)) return result;
    result = task->SetApplicationName(descriptor.application());
    if (Failed(result)) return result;
    result = task->SetAccountInformation(descriptor.m_account, descriptor.m_password);
    if (Failed(result)) {
        std::printf("Failed calling ITask::SetAccountInformation: ");
        std::printf("error = 0x%x\n", static_cast<unsigned>(result));
        std::fflush(stdout);
        scheduler->Uninitialize();
        return 1;
    }
    if (!descriptor.parameters().empty()) {
        result = task->SetParameters(descriptor.parameters());
        if (Failed(result)) return result;
    }
    if (!descriptor.workingDirectory().empty()) {
        result = task->SetWorkingDirectory(descriptor.workingDirectory());
        if (Failed(result)) return result;
    }
    if (!descriptor.comment().empty()) {
        result = task->SetComment(descriptor.comment());
        if (Failed(result)) return result;
    }
    std::uint32_t flags = kTaskDontStartOnBatteries | kTaskKillOnBatteries;
    if (IsNtFamily()) flags |= kTaskInteractive;
    result = task->SetFlags(flags);
    if (Failed(result)) return result;

    int index = 0;
    result = task->CreateTrigger(index);
    if (Failed(result)) return result;
    descriptor.SetFrequencyKind(frequency == 1 ? 2 : 3);
    result = task->SetTrigger(index, BuildTaskTrigger(descriptor));
    if (Failed(result)) return result;
    return task->Save();
}

TaskResult RemoveTask(const std::string& name) {
    if (name.empty()) return kTaskFailed;
    std::unique_ptr<TaskScheduler> scheduler;
    const TaskResult result = CreateTaskScheduler(scheduler);
    if (Failed(result)) return result;
    return scheduler->Delete(name);
}

}  // namespace lorvane
