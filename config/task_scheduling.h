// Registering the alert runner with the task scheduler, and removing it.
#pragma once

#include <cstdint>
#include <string>

#include "common/alert_settings.h"
#include "common/automation_date.h"
#include "common/console.h"
#include "config/task_scheduler.h"

namespace lorvane {

// How often a work item runs; the numbers are the descriptor's own.
enum class TriggerKind : int {
    None = 0,
    Daily = 2,
    Weekly = 3,
};

// A work item to register: when it runs, what, and as whom.
class CTaskDescriptor {
public:
    CTaskDescriptor() = default;
    virtual ~CTaskDescriptor() = default;

    // The first run's date and every run's time; seconds and milliseconds
    // are dropped. A year of 0 means no start is set.
    void SetStart(const CalendarTime& start);
    // The last possible run's date; only year, month and day are kept. A
    // year of 0 means there is no end.
    void SetEnd(const CalendarTime& end);
    void SetFrequencyKind(TriggerKind kind) { m_frequencyKind = kind; }
    void SetApplication(const std::string& application) { m_application = application; }
    void SetParameters(const std::string& parameters) { m_parameters = parameters; }
    void SetWorkingDirectory(const std::string& directory) { m_workingDirectory = directory; }
    void SetComment(const std::string& comment) { m_comment = comment; }

    TriggerKind frequencyKind() const { return m_frequencyKind; }
    const CalendarTime& start() const { return m_start; }
    const CalendarTime& end() const { return m_end; }
    const std::string& application() const { return m_application; }
    const std::string& parameters() const { return m_parameters; }
    const std::string& workingDirectory() const { return m_workingDirectory; }
    const std::string& comment() const { return m_comment; }

    std::string m_account;
    std::string m_password;

private:
    TriggerKind m_frequencyKind = TriggerKind::None;
    CalendarTime m_start;
    CalendarTime m_end;
    std::string m_application;
    std::string m_parameters;
    std::string m_workingDirectory;
    std::string m_comment;
};

// Returns the TASK_SUNDAY..TASK_SATURDAY bit of `date`'s weekday.
std::uint16_t DayBitOf(const CalendarTime& date);

// Returns the trigger record for `descriptor` (whose frequency kind is set).
TaskTrigger BuildTaskTrigger(const CTaskDescriptor& descriptor);

// Creates work item `name` from `descriptor`, daily for a Daily
// `frequency` and weekly on the start date's weekday otherwise (setting
// the descriptor's frequency kind to match). An item of that name is
// replaced, unless `failIfExists`, which fails with StatusCode::Exists and
// leaves it. Fails with StatusCode::Failed for a start year of 0, an empty
// name or application (nothing touched); with StatusCode::Refused when the
// account is refused (the refusal's code said on `console`); otherwise as
// the failing step does. Whatever the scheduler says of a failure goes to
// `console` as one more line.
Status RegisterTask(Console& console, CTaskDescriptor& descriptor, const std::string& name, bool failIfExists,
                    AlertFrequency frequency);

// Looks for work item `name`: succeeds when it exists, NotFound when it
// does not, the scheduler's failure when it cannot tell.
Status FindTask(Console& console, const std::string& name);

// Deletes work item `name`: the scheduler's outcome (NotFound when there
// is none), or a failure for an empty name. A failure other than a missing
// item is explained on `console` where the scheduler says more than its
// code.
Status RemoveTask(Console& console, const std::string& name);

}  // namespace lorvane
