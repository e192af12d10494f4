#include "common/run_log.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
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
    // One line of the entry, escaped, cut within its bound between two
    // characters, and ended.
    auto line = [](const std::string& prefix, const std::string& text) {
        std::string shown = prefix + ShowControls(text);
        if (shown.size() > kRunLogLineBytes) {
            const std::string cut = " [... cut: " + std::to_string(shown.size()) + " bytes in all]";
            std::size_t end = kRunLogLineBytes - cut.size();
            while (end > 0 && (static_cast<unsigned char>(shown[end]) & 0xC0) == 0x80) --end;
            shown = shown.substr(0, end) + cut;
        }
        return shown + "\n";
    };
    std::string entry = line(stamp + " ", summary);
    for (const std::string& failure : failures) entry += line("  ", failure);
    return entry;
}

std::string AppendRunLogEntry(const std::string& log, const std::string& entry, std::size_t keepBytes) {
    std::string text = log;
    // A log cut off mid-line (a full disk, an editor) still starts each
    // entry on a line of its own.
    if (!text.empty() && text.back() != '\n') text += '\n';
    if (text.size() + entry.size() <= keepBytes) return text + entry;
    // The oldest entries go whole: keep from the first summary line at or
    // after the point that leaves room for the new entry.
    const std::size_t room = keepBytes > entry.size() ? keepBytes - entry.size() : 0;
    // `text` is longer than `room` here, so the cut point is past its start.
    std::size_t at = text.find('\n', text.size() - room - 1);
    at = at == std::string::npos ? text.size() : at + 1;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        if (IsSummaryLine(text.substr(at, std::min(end - at, kStampLength + 1)))) break;
        at = end + 1;
    }
    return (at < text.size() ? text.substr(at) : std::string()) + entry;
}

Status ReadRunLog(const std::string& path, std::string& log, std::size_t keepBytes) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    log.clear();
    // Looked at before it is opened: opening a FIFO would wait for a writer.
    std::error_code error;
    const std::filesystem::file_status kind = std::filesystem::status(path, error);
    if (kind.type() == std::filesystem::file_type::not_found) return Status();
    if (error || kind.type() != std::filesystem::file_type::regular)
        return Status::Error(path + " is not a regular file");
    const std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return Status::Error("cannot read " + path);
    const long size = std::ftell(file.get());
    const long from = size > static_cast<long>(keepBytes) ? size - static_cast<long>(keepBytes) : 0;
    if (size < 0 || std::fseek(file.get(), from, SEEK_SET) != 0) return Status::Error("cannot read " + path);
    std::string raw(static_cast<std::size_t>(size - from), '\0');
    raw.resize(std::fread(&raw[0], 1, raw.size(), file.get()));
    // Read from the middle of a line: that line's start is gone.
    if (from > 0) raw.erase(0, raw.find('\n') == std::string::npos ? raw.size() : raw.find('\n') + 1);
    log = RemoveAll(raw, "\r");
    return Status();
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
