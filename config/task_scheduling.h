// Registering the alert runner with the task scheduler, finding it and
// removing it.
#pragma once

#include <string>

#include "common/console.h"
#include "config/task_scheduler.h"

namespace lorvane {

// Creates work item `name` from `descriptor` (daily or weekly; a schedule
// that is off is refused). An item of that name is replaced, unless
// `failIfExists`, which fails with StatusCode::Exists and leaves it. Fails
// with StatusCode::Failed for a schedule that is off, an empty name or
// application (nothing touched); with StatusCode::Refused when the account
// is refused; otherwise as the failing step does. Whatever the scheduler
// says of a failure goes to `console` as one more line.
Status RegisterTask(Console& console, const CTaskDescriptor& descriptor, const std::string& name,
                    bool failIfExists);

// Looks for work item `name`: succeeds when it exists (filling `found`,
// when given, with what it says of itself), NotFound when it does not, the
// scheduler's failure when it cannot tell.
Status FindTask(Console& console, const std::string& name, RegisteredTask* found = nullptr);

// Deletes work item `name`: the scheduler's outcome (NotFound when there
// is none), or a failure for an empty name. A failure other than a missing
// item is explained on `console` where the scheduler says more than its
// code.
Status RemoveTask(Console& console, const std::string& name);

}  // namespace lorvane
