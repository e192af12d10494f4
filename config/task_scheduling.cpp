#include "config/task_scheduling.h"

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

}  // namespace

Status RegisterTask(Console& console, const CTaskDescriptor& descriptor, const std::string& name,
                    bool failIfExists) {
    if (descriptor.schedule().frequency == AlertFrequency::Off || name.empty() ||
        descriptor.application().empty())
        return Status::Error("");
    std::unique_ptr<TaskScheduler> scheduler;
    Status status = OpenScheduler(console, scheduler);
    if (!status.ok()) return status;
    RegisteredTask existing;
    if (scheduler->Find(name, existing).ok()) {
        if (failIfExists) return Status(StatusCode::Exists, "");
        status = Delete(console, *scheduler, name);
        if (!status.ok()) return status;
    }
    return Explained(console, scheduler->Create(name, descriptor));
}

Status FindTask(Console& console, const std::string& name, RegisteredTask* found) {
    std::unique_ptr<TaskScheduler> scheduler;
    const Status opened = OpenScheduler(console, scheduler);
    if (!opened.ok()) return opened;
    RegisteredTask task;
    Status status = scheduler->Find(name, task);
    if (found) *found = task;
    return status.code() == StatusCode::NotFound ? status : Explained(console, std::move(status));
}

Status RemoveTask(Console& console, const std::string& name) {
    if (name.empty()) return Status::Error("");
    std::unique_ptr<TaskScheduler> scheduler;
    const Status opened = OpenScheduler(console, scheduler);
    if (!opened.ok()) return opened;
    return Delete(console, *scheduler, name);
}

}  // namespace lorvane
