// The POSIX task scheduler: work items are lines of the user's crontab,
// each behind a tag line with its name, so that it can be found, replaced
// and removed without touching the user's other lines. Read with
// "crontab -l", written with "crontab -".
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/text.h"
#include "config/task_scheduler.h"
#include "platform/posix/child_process.h"
#include "platform/posix/user_paths.h"

namespace lorvane {
namespace {

const char kTagStart[] = "# Lorvane work item \"";
const char kNoCrontabProgram[] = "No crontab program was found on PATH.";

std::string CrontabProgram() {
    const char* path = std::getenv("PATH");
    return FindProgram("crontab", path ? path : "");
}

// Returns what a crontab run that failed says: its error output on one
// line, or how it ended when it said nothing.
std::string DescribeCrontabFailure(const std::string& command, const ChildResult& result,
                                   const std::string& error) {
    std::string said = error.empty() ? JoinLines(result.err, "; ") : error;
    if (said.empty())
        said = result.exitCode < 0 ? "it was stopped"
                                   : "it exited with status " + std::to_string(result.exitCode);
    return command + " failed: " + said;
}

// Reads the user's crontab into lines; no crontab yet is an empty table.
Status ReadCrontab(std::vector<std::string>& lines) {
    lines.clear();
    const std::string crontab = CrontabProgram();
    if (crontab.empty()) return Status(StatusCode::NotFound, kNoCrontabProgram);
    ChildResult result;
    std::string error;
    if (!RunChild(crontab, {"-l"}, "", result, error) || result.exitCode != 0) {
        if (error.empty() && result.err.find("no crontab for") != std::string::npos) return Status();
        return Status::Error(DescribeCrontabFailure("crontab -l", result, error));
    }
    lines = SplitLines(result.out);
    return Status();
}

Status WriteCrontab(const std::vector<std::string>& lines) {
    const std::string crontab = CrontabProgram();
    if (crontab.empty()) return Status(StatusCode::NotFound, kNoCrontabProgram);
    std::string table;
    for (const std::string& line : lines) table += line + "\n";
    ChildResult result;
    std::string error;
    if (!RunChild(crontab, {"-"}, table, result, error) || result.exitCode != 0)
        return Status::Error(DescribeCrontabFailure("crontab -", result, error));
    return Status();
}

std::string TagOf(const std::string& name) {
    return kTagStart + name + "\"";
}

// Index of the tag line of item `name`, or -1.
int FindItem(const std::vector<std::string>& lines, const std::string& name) {
    const std::string tag = TagOf(name);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, tag.size(), tag) == 0 &&
            (lines[i].size() == tag.size() || lines[i][tag.size()] == ' '))
            return static_cast<int>(i);
    return -1;
}

// Removes the tag line at `index` and the job line after it.
void EraseItem(std::vector<std::string>& lines, int index) {
    const auto at = lines.begin() + index;
    const bool jobFollows = static_cast<std::size_t>(index) + 1 < lines.size() &&
                            lines[static_cast<std::size_t>(index) + 1].compare(0, 1, "#") != 0;
    lines.erase(at, at + (jobFollows ? 2 : 1));
}

// A text quoted for sh: in single quotes, a quote as '\''.
std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// cron turns an unescaped "%" of a command into a line break.
std::string CronEscape(const std::string& command) {
    std::string out;
    for (const char c : command) {
        if (c == '%') out += '\\';
        out += c;
    }
    return out;
}

bool IsSafeName(const std::string& name) {
    for (const char c : name)
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
    return !name.empty();
}

std::string Date(unsigned year, unsigned month, unsigned day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
    return text;
}

class CronWorkItem : public ScheduledWorkItem {
public:
    explicit CronWorkItem(std::string name) : m_name(std::move(name)) {}

    Status SetApplicationName(const std::string& application) override {
        m_application = application;
        return Status();
    }
    Status SetAccountInformation(const std::string& account, const std::string&) override {
        // cron runs the user's own table as that user and needs no
        // password; it is not kept anywhere.
        // A refusal says the code the Task Scheduler gives a refused account.
        return account == CurrentUserName() ? Status() : Status(StatusCode::AccessDenied, "0x80070005");
    }
    Status SetParameters(const std::string& parameters) override {
        m_parameters = parameters;
        return Status();
    }
    Status SetWorkingDirectory(const std::string& directory) override {
        m_directory = directory;
        return Status();
    }
    Status SetComment(const std::string& comment) override {
        m_comment = comment;
        return Status();
    }
    Status SetFlags(std::uint32_t flags) override {
        m_flags = flags;
        return Status();
    }
    Status CreateTrigger(int& index) override {
        m_triggers.emplace_back();
        index = static_cast<int>(m_triggers.size()) - 1;
        return Status();
    }
    Status SetTrigger(int index, const TaskTrigger& trigger) override {
        if (index < 0 || static_cast<std::size_t>(index) >= m_triggers.size()) return Status::Error("");
        m_triggers[static_cast<std::size_t>(index)] = trigger;
        return Status();
    }

    Status Save() override {
        if (m_application.empty() || m_triggers.empty()) return Status::Error("");
        // A line break would end the job's line early and start another.
        for (const std::string* text : {&m_application, &m_directory, &m_parameters, &m_comment}) {
            if (text->find_first_of("\r\n") != std::string::npos) {
                return Status::Error("A crontab line cannot hold a line break, and this one would: \"" +
                                     ReplaceAll(ReplaceAll(*text, "\n", "\\n"), "\r", "\\r") + "\"");
            }
        }
        std::string error;
        if (!m_directory.empty() && !MakeDirectories(m_directory, error)) return Status::Error(error);
        std::vector<std::string> lines;
        const Status read = ReadCrontab(lines);
        if (!read.ok()) return read;
        for (int at; (at = FindItem(lines, m_name)) >= 0;) EraseItem(lines, at);

        // A runner that is gone (the package removed without turning alerts
        // off) makes the job do nothing rather than fail every day. The
        // runner keeps its own log, so cron has no output to mail.
        const std::string application = ShellQuote(m_application);
        std::string command = "[ -x " + application + " ] || exit 0; ";
        if (!m_directory.empty()) command += "cd " + ShellQuote(m_directory) + " && ";
        command += "exec " + application;
        if (!m_parameters.empty()) command += " " + m_parameters;
        command += " >/dev/null 2>&1";
        for (const TaskTrigger& trigger : m_triggers) {
            std::string tag = TagOf(m_name) + " begin=" +
                              Date(trigger.beginYear, trigger.beginMonth, trigger.beginDay) + " end=" +
                              (trigger.flags & kTriggerHasEndDate
                                   ? Date(trigger.endYear, trigger.endMonth, trigger.endDay)
                                   : std::string("none")) +
                              " flags=" + std::to_string(m_flags);
            if (!m_comment.empty()) tag += " comment=" + m_comment;
            lines.push_back(tag);
            if (trigger.triggerType == TriggerType::Weekly && (trigger.daysOfWeek & 0x7F) == 0)
                return Status::Error("");
            // A chance every hour at the run's minute: cron runs nothing
            // that was due while the computer was off or asleep, and the
            // runner, started with --scheduled, decides which chance is due
            // by the day and time of the settings.
            lines.push_back(std::to_string(trigger.startMinute) + " * * * * " + CronEscape(command));
        }
        return WriteCrontab(lines);
    }

private:
    std::string m_name;
    std::string m_application;
    std::string m_parameters;
    std::string m_directory;
    std::string m_comment;
    std::uint32_t m_flags = 0;
    std::vector<TaskTrigger> m_triggers;
};

class CronTaskScheduler : public TaskScheduler {
public:
    Status Activate(const std::string& name) override {
        std::vector<std::string> lines;
        const Status read = ReadCrontab(lines);
        if (!read.ok()) return read;
        return FindItem(lines, name) >= 0 ? Status() : Status(StatusCode::NotFound, "");
    }

    Status Delete(const std::string& name) override {
        std::vector<std::string> lines;
        const Status read = ReadCrontab(lines);
        if (!read.ok()) return read;
        if (FindItem(lines, name) < 0) return Status(StatusCode::NotFound, "");
        for (int at; (at = FindItem(lines, name)) >= 0;) EraseItem(lines, at);
        return WriteCrontab(lines);
    }

    Status NewWorkItem(const std::string& name, std::unique_ptr<ScheduledWorkItem>& item) override {
        if (!IsSafeName(name))
            return Status::Error("a work item name may not hold a double quote or a control character");
        item = std::make_unique<CronWorkItem>(name);
        return Status();
    }
};

}  // namespace

Status CreateTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler) {
    if (CrontabProgram().empty()) return Status(StatusCode::NotFound, kNoCrontabProgram);
    scheduler = std::make_unique<CronTaskScheduler>();
    return Status();
}

bool IsNtFamily() {
    return true;
}

bool SchedulerNeedsPassword() {
    return false;
}

std::string RunnerApplication() {
    const std::string program = RunningProgramPath();
    return (program.empty() ? std::string(".") : ParentDirectory(program)) + "/tessory";
}

std::string RunnerWorkingDirectory() {
    return XdgBaseDirectory("XDG_DATA_HOME", ".local/share") + "/Lorvane";
}

std::string RunnerLocationText() {
    return "tessory and it is in the " + RunnerWorkingDirectory() + "/ directory.";
}

}  // namespace lorvane
