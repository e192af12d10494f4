#include "common/run_log.h"

#include <cstdio>
#include <memory>

#include "common/text.h"

namespace lorvane {
namespace {

// Length of "YYYY-MM-DDTHH:MM:SS".
constexpr std::size_t kStampLength = 19;

// Whether `line` starts with a stamp and a blank: a run's summary line.
bool IsSummaryLine(const std::string& line) {
    static const char kShape[] = "dddd-dd-ddTdd:dd:dd ";
    if (line.size() <= kStampLength) return false;
    for (std::size_t i = 0; i <= kStampLength; ++i) {
        const char c = line[i];
        const bool fits = kShape[i] == 'd' ? c >= '0' && c <= '9' : c == kShape[i];
        if (!fits) return false;
    }
    return true;
}


}  // namespace

std::string RunLogStamp(const CalendarTime& time) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d", time.year % 10000, time.month % 100,
                  time.day % 100, time.hour % 100, time.minute % 100, time.second % 100);
    return stamp;
}

std::string RunLogEntry(const std::string& stamp, const std::string& summary,
                        const std::vector<std::string>& failures) {
    std::string entry = stamp + " " + ShowControls(summary) + "\n";
    for (const std::string& line : failures) entry += "  " + ShowControls(line) + "\n";
    return entry;
}

std::string AppendRunLogEntry(const std::string& log, const std::string& entry, std::size_t keepBytes) {
    std::string text = log;
    // A log cut off mid-line (a full disk, an editor) still starts each
    // entry on a line of its own.
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += entry;
    if (text.size() <= keepBytes) return text;
    const std::size_t from = text.size() - keepBytes;
    // The byte before `from` ends a line exactly when `from` starts one.
    const std::size_t lineStart = text.find('\n', from - 1);
    return lineStart == std::string::npos ? std::string() : text.substr(lineStart + 1);
}

std::string ReadRunLog(const std::string& path, std::size_t keepBytes) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    const std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return std::string();
    const long size = std::ftell(file.get());
    const long from = size > static_cast<long>(keepBytes) ? size - static_cast<long>(keepBytes) : 0;
    if (size < 0 || std::fseek(file.get(), from, SEEK_SET) != 0) return std::string();
    std::string raw(static_cast<std::size_t>(size - from), '\0');
    raw.resize(std::fread(&raw[0], 1, raw.size(), file.get()));
    // Read from the middle of a line: that line's start is gone.
    if (from > 0) raw.erase(0, raw.find('\n') == std::string::npos ? raw.size() : raw.find('\n') + 1);
    return RemoveAll(raw, "\r");
}

std::string LastRunStatus(const std::string& log) {
    const std::vector<std::string> lines = SplitLines(log);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (!IsSummaryLine(*line)) continue;
        return "Last run: " + line->substr(0, 10) + " " + line->substr(11, 5) + ": " +
               line->substr(kStampLength + 1);
    }
    return "No scheduled run yet";
}

}  // namespace lorvane
