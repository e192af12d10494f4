// The POSIX task scheduler: work items are lines of the user's crontab,
// each behind a tag line with its name, so that it can be found, replaced
// and removed without touching the user's other lines. Read with
// "crontab -l", written with "crontab -".
#include <cstdlib>
#include <sstream>
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

// The tag line's account of the schedule: " runs daily at 07:30" or
// " runs weekly on Monday at 07:30".
const char kRuns[] = " runs ";

// Reads "HH:MM" at the start of `text` as minutes of the day.
bool ReadTime(const std::string& text, int& minuteOfDay) {
    int hour = 0, minute = 0;
    char colon = 0;
    std::istringstream in(text);
    if (!(in >> hour >> colon >> minute) || colon != ':' || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return false;
    minuteOfDay = hour * 60 + minute;
    return true;
}

// Reads the schedule back from what follows the name on an item's tag
// line or, for an item written before the tag said it, from the hour and
// weekday fields of its job line ("30 7 * * *" daily, "30 7 * * 3"
// weekly). False when neither says.
bool ReadSchedule(const std::string& tag, const std::string& job, RunSchedule& schedule) {
    if (tag.compare(0, sizeof kRuns - 1, kRuns) == 0) {
        std::istringstream said(tag.substr(sizeof kRuns - 1));
        std::string frequency, word, time;
        said >> frequency >> word;
        if (frequency == "weekly" && word == "on") {
            std::string day;
            said >> day >> word;
            schedule.weekday = -1;
            for (int weekday = 0; weekday < 7; ++weekday)
                if (day == kWeekdayNames[weekday]) schedule.weekday = weekday;
            if (schedule.weekday < 0) return false;
        } else if (frequency != "daily") {
            return false;
        }
        schedule.frequency = frequency == "daily" ? AlertFrequency::Daily : AlertFrequency::Weekly;
        return word == "at" && said >> time && ReadTime(time, schedule.minuteOfDay);
    }
    std::istringstream fields(job);
    std::string minute, hour, day, month, weekday;
    if (!(fields >> minute >> hour >> day >> month >> weekday) || day != "*" || month != "*" ||
        !ReadTime(hour + ":" + minute, schedule.minuteOfDay))
        return false;
    schedule.frequency = weekday == "*" ? AlertFrequency::Daily : AlertFrequency::Weekly;
    schedule.weekday = weekday.size() == 1 && weekday[0] >= '0' && weekday[0] <= '6' ? weekday[0] - '0' : -1;
    return schedule.frequency == AlertFrequency::Daily || schedule.weekday >= 0;
}

// Returns the job line that starts `application` in `directory`: every
// hour at the schedule's minute, so that a moment missed while the
// computer was off or asleep (cron runs nothing it missed) gets a chance
// within the hour it is on again. The runner, started with --scheduled,
// decides which chance is due. A runner that is gone (the package removed
// without turning alerts off) makes the job do nothing rather than fail
// every hour; the runner keeps its own log, so cron has no output to mail.
std::string JobLine(const CTaskDescriptor& descriptor) {
    const std::string application = ShellQuote(descriptor.application());
    std::string command = "[ -x " + application + " ] || exit 0; ";
    if (!descriptor.workingDirectory().empty()) command += "cd " + ShellQuote(descriptor.workingDirectory()) + " && ";
    command += "exec " + application;
    if (!descriptor.parameters().empty()) command += " " + descriptor.parameters();
    command += " >/dev/null 2>&1";
    return std::to_string(descriptor.schedule().minuteOfDay % 60) + " * * * * " + CronEscape(command);
}

class CronTaskScheduler : public TaskScheduler {
public:
    Status Find(const std::string& name, RegisteredTask& found) override {
        std::vector<std::string> lines;
        const Status read = ReadCrontab(lines);
        if (!read.ok()) return read;
        const int at = FindItem(lines, name);
        if (at < 0) return Status(StatusCode::NotFound, "");
        const std::size_t job = static_cast<std::size_t>(at) + 1;
        found = RegisteredTask();
        found.scheduleKnown =
            ReadSchedule(lines[static_cast<std::size_t>(at)].substr(TagOf(name).size()),
                         job < lines.size() ? lines[job] : "", found.schedule);
        return Status();
    }

    Status Delete(const std::string& name) override {
        std::vector<std::string> lines;
        const Status read = ReadCrontab(lines);
        if (!read.ok()) return read;
        if (FindItem(lines, name) < 0) return Status(StatusCode::NotFound, "");
        for (int at; (at = FindItem(lines, name)) >= 0;) EraseItem(lines, at);
        return WriteCrontab(lines);
    }

    Status Create(const std::string& name, const CTaskDescriptor& descriptor) override {
        if (!IsSafeName(name))
            return Status::Error("a work item name may not hold a double quote or a control character");
        // cron runs the user's own table as that user and needs no
        // password; it is not kept anywhere.
        if (descriptor.m_account != CurrentUserName())
            return Status(StatusCode::Refused, "cron starts the jobs of this table as " + CurrentUserName() +
                                                   ", not as " + descriptor.m_account + ".");
        // A line break would end the job's line early and start another.
        for (const std::string* text : {&descriptor.application(), &descriptor.workingDirectory(),
                                        &descriptor.parameters(), &descriptor.comment()}) {
            if (text->find_first_of("\r\n") != std::string::npos) {
                return Status::Error("A crontab line cannot hold a line break, and this one would: \"" +
                                     ReplaceAll(ReplaceAll(*text, "\n", "\\n"), "\r", "\\r") + "\"");
            }
        }
        std::string error;
        if (!descriptor.workingDirectory().empty() && !MakeDirectories(descriptor.workingDirectory(), error))
            return Status::Error(error);
        std::vector<std::string> lines;
        const Status read = ReadCrontab(lines);
        if (!read.ok()) return read;
        for (int at; (at = FindItem(lines, name)) >= 0;) EraseItem(lines, at);
        std::string tag = TagOf(name) + kRuns + ScheduleText(descriptor.schedule());
        if (!descriptor.comment().empty()) tag += "; " + descriptor.comment();
        lines.push_back(tag);
        lines.push_back(JobLine(descriptor));
        return WriteCrontab(lines);
    }
};

}  // namespace

Status CreateTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler) {
    if (CrontabProgram().empty()) return Status(StatusCode::NotFound, kNoCrontabProgram);
    scheduler = std::make_unique<CronTaskScheduler>();
    return Status();
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
