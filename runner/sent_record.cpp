#include "runner/sent_record.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/text.h"
#include "runner/runner_services.h"

namespace lorvane {
namespace {

const char kSearchedThroughKey[] = "searched-through ";

void CivilDate(int dayNumber, int& year, int& month, int& day) {
    // Days from 1 March of year 0, in eras of 400 years.
    const long long z = static_cast<long long>(dayNumber) + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::string IsoDateText(int dayNumber) {
    int year = 0, month = 0, day = 0;
    CivilDate(dayNumber, year, month, day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// Reads "YYYY-MM-DD" of a real calendar day into `dayNumber`.
bool ParseIsoDate(const std::string& text, int& dayNumber) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9') return false;
    const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)),
              day = std::stoi(text.substr(8, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    dayNumber = DayNumber(year, month, day);
    int y = 0, m = 0, d = 0;
    CivilDate(dayNumber, y, m, d);
    return y == year && m == month && d == day;  // not 31 April
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

std::string SearchDateText(int dayNumber) {
    int year = 0, month = 0, day = 0;
    CivilDate(dayNumber, year, month, day);
    return std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day);
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
            int& mailed = record.mailed.emplace(pmid, day).first->second;
            mailed = std::max(mailed, day);
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
    for (const auto& [pmid, day] : other.mailed) {
        int& mailed = record.mailed.emplace(pmid, day).first->second;
        mailed = std::max(mailed, day);
    }
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
