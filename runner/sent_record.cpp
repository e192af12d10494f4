#include "runner/sent_record.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/automation_date.h"
#include "common/text.h"
#include "runner/runner_services.h"

namespace lorvane {
namespace {

const char kSearchedThroughKey[] = "searched-through ";

// 1 January 1970 as an automation date: day numbers and automation dates
// differ by this many days.
constexpr int kAutomationDayOf1970 = 25569;

// Returns the calendar date of day `dayNumber`.
CalendarTime CalendarOfDay(int dayNumber) {
    CalendarTime date;
    AutomationDateToCalendar(static_cast<double>(dayNumber) + kAutomationDayOf1970, date);
    return date;
}

std::string IsoDateText(int dayNumber) {
    const CalendarTime date = CalendarOfDay(dayNumber);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// Reads "YYYY-MM-DD" of a real calendar day into `dayNumber`.
bool ParseIsoDate(const std::string& text, int& dayNumber) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9') return false;
    CalendarTime date;
    date.year = std::stoi(text.substr(0, 4));
    date.month = std::stoi(text.substr(5, 2));
    date.day = std::stoi(text.substr(8, 2));
    double value = 0;
    if (!CalendarToAutomationDate(date, value)) return false;  // 31 April, month 13
    dayNumber = static_cast<int>(value) - kAutomationDayOf1970;
    return true;
}

// Records that `pmid` was mailed on `day`, keeping the later of two days.
void NoteMailed(SentRecord& record, std::int32_t pmid, int day) {
    int& mailed = record.mailed.emplace(pmid, day).first->second;
    mailed = std::max(mailed, day);
}

// Reads an identifier of 1 to 9 digits (PubMed identifiers fit in 32 bits).
bool ParseIdentifier(const std::string& text, std::int32_t& pmid) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    pmid = std::stoi(text);
    return pmid > 0;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

const char kSentRecordName[] = "sent-articles.txt";

bool LocalDayNumber(Clock clock, int& day) {
    CalendarTime now;
    if (!LocalCalendarTime(clock(), now)) return false;
    day = DayNumber(now.year, now.month, now.day);
    return true;
}

std::string SearchDateText(int dayNumber, bool padded) {
    const CalendarTime date = CalendarOfDay(dayNumber);
    char text[16];
    std::snprintf(text, sizeof text, padded ? "%04d/%02d/%02d" : "%d/%d/%d", date.year % 10000,
                  date.month % 100, date.day % 100);
    return text;
}

std::string FormatSentRecord(const SentRecord& record) {
    std::string text =
        "# The articles Lorvane has mailed to you: a PubMed identifier and the day of\n"
        "# the digest on each line. Delete this file to be sent every article again.\n";
    if (record.searchedThrough != kNoDay)
        text += kSearchedThroughKey + IsoDateText(record.searchedThrough) + "\n";
    for (const auto& [pmid, day] : record.mailed)
        text += std::to_string(pmid) + " " + IsoDateText(day) + "\n";
    return text;
}

int ParseSentRecord(const std::string& text, SentRecord& record) {
    int unread = 0;
    for (std::string line : SplitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t blank = line.find(' ');
        const std::string first = line.substr(0, blank == std::string::npos ? 0 : blank + 1);
        const std::string date = blank == std::string::npos ? "" : line.substr(blank + 1);
        std::int32_t pmid = 0;
        int day = 0;
        if (!ParseIsoDate(date, day)) {
            ++unread;
        } else if (first == kSearchedThroughKey) {
            record.searchedThrough = std::max(record.searchedThrough, day);
        } else if (ParseIdentifier(first.substr(0, first.size() - 1), pmid)) {
            NoteMailed(record, pmid, day);
        } else {
            ++unread;
        }
    }
    return unread;
}

bool ReadSentRecord(const std::string& folder, SentRecord& record, std::string& error) {
    const std::string path = PathInFolder(folder, kSentRecordName);
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        if (errno == ENOENT) return true;  // nothing mailed yet
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    if (std::ferror(file.get())) {
        error = "cannot read " + path;
        return false;
    }
    const int unread = ParseSentRecord(text, record);
    if (unread)
        error = std::to_string(unread) + (unread == 1 ? " line" : " lines") + " of " + path +
                " could not be understood and will be left out";
    return true;
}

bool WriteSentRecord(const std::string& folder, const SentRecord& record, std::string& error) {
    if (!MakeFolder(folder, error)) return false;
    return WriteTextFileWhole(PathInFolder(folder, kSentRecordName), FormatSentRecord(record),
                              TextFileKind::Record, error);
}

void MergeSentRecord(SentRecord& record, const SentRecord& other) {
    for (const auto& [pmid, day] : other.mailed) NoteMailed(record, pmid, day);
    record.searchedThrough = std::max(record.searchedThrough, other.searchedThrough);
}

void PruneSentRecord(SentRecord& record, int today) {
    for (auto entry = record.mailed.begin(); entry != record.mailed.end();)
        entry = entry->second < today - kRememberedDays ? record.mailed.erase(entry)
                                                         : std::next(entry);
}

int NewArticlesWindowStart(const SentRecord& record, int today, AlertFrequency frequency) {
    int start = today - (frequency == AlertFrequency::Daily ? 1 : 7);
    if (record.searchedThrough != kNoDay && record.searchedThrough <= today)
        start = record.searchedThrough - 1;
    return std::max(start, today - kLongestWindowDays);
}

}  // namespace lorvane
