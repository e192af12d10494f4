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
const char kNoticeMailedKey[] = "notice-mailed ";
const char kServedKey[] = "served ";
const char kRetractionsThroughKey[] = "retractions-searched-through ";
const char kRetractedKey[] = "retracted ";

// Records that `pmid` was mailed (or reported) on `day` in `days`, keeping
// the later of two days.
void NoteDay(std::map<std::int32_t, int>& days, std::int32_t pmid, int day) {
    int& noted = days.emplace(pmid, day).first->second;
    noted = std::max(noted, day);
}

// Reads an identifier of 1 to 9 digits (PubMed identifiers fit in 32 bits).
bool ParseIdentifier(const std::string& text, std::int32_t& pmid) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    pmid = std::stoi(text);
    return pmid > 0;
}

// Reads "PMID YYYY-MM-DD" into `days` unless the day is more than
// kRememberedDays before `today` (kNoDay: none is). Returns false for a
// line of another form.
bool ParseArticleDay(const std::string& line, std::map<std::int32_t, int>& days, int today) {
    const std::size_t blank = line.find(' ');
    std::int32_t pmid = 0;
    int day = 0;
    if (blank == std::string::npos || !ParseIdentifier(line.substr(0, blank), pmid) ||
        !ParseDateText(line.substr(blank + 1), day))
        return false;
    if (today == kNoDay || day >= today - kRememberedDays) NoteDay(days, pmid, day);
    return true;
}

// Longer lines than this are none the record writes.
constexpr std::size_t kLongestLine = 200;

// Reads one line of the record (a carriage return at its end allowed) into
// `record`, leaving out an article mailed more than kRememberedDays before
// `today` (unless kNoDay). Returns false for a line neither blank, a
// comment nor in the record's form.
bool ParseLine(std::string line, SentRecord& record, int today) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') return true;
    const std::size_t blank = line.find(' ');
    const std::string first = line.substr(0, blank == std::string::npos ? 0 : blank + 1);
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (first == kServedKey) {
        const Moment served = ParseMoment(rest);
        record.served = std::max(record.served, served);
        return served != kNoMoment;
    }
    if (first == kRetractedKey) return ParseArticleDay(rest, record.retracted, today);
    int day = 0;
    int* latest = first == kSearchedThroughKey       ? &record.searchedThrough
                  : first == kNoticeMailedKey        ? &record.noticeDay
                  : first == kRetractionsThroughKey ? &record.retractionsThrough
                                                     : nullptr;
    if (!latest) return ParseArticleDay(line, record.mailed, today);
    if (!ParseDateText(rest, day)) return false;
    *latest = std::max(*latest, day);
    return true;
}

// Forgets the entries of `days` more than kRememberedDays before `today`.
void Prune(std::map<std::int32_t, int>& days, int today) {
    for (auto entry = days.begin(); entry != days.end();)
        entry = entry->second < today - kRememberedDays ? days.erase(entry) : std::next(entry);
}

// Returns the day before `through`, or `fallback` days back when there is
// no such day or it lies ahead of `today`; never more than
// kLongestWindowDays back.
int WindowStart(int through, int today, int fallback) {
    const int start = through != kNoDay && through <= today ? through - 1 : today - fallback;
    return std::max(start, today - kLongestWindowDays);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

const char kSentRecordName[] = "sent-articles.txt";

std::string FormatSentRecord(const SentRecord& record) {
    std::string text =
        "# The articles Lorvane has mailed to you: a PubMed identifier and the day of\n"
        "# the digest on each line. Delete this file to be sent every article again.\n";
    if (record.searchedThrough != kNoDay)
        text += kSearchedThroughKey + DateText(record.searchedThrough) + "\n";
    if (record.noticeDay != kNoDay) text += kNoticeMailedKey + DateText(record.noticeDay) + "\n";
    if (record.served != kNoMoment) text += kServedKey + MomentText(record.served) + "\n";
    if (record.retractionsThrough != kNoDay)
        text += kRetractionsThroughKey + DateText(record.retractionsThrough) + "\n";
    for (const auto& [pmid, day] : record.mailed)
        text += std::to_string(pmid) + " " + DateText(day) + "\n";
    for (const auto& [pmid, day] : record.retracted)
        text += kRetractedKey + std::to_string(pmid) + " " + DateText(day) + "\n";
    return text;
}

int ParseSentRecord(const std::string& text, SentRecord& record, int today) {
    int unread = 0;
    for (const std::string& line : SplitLines(text)) unread += ParseLine(line, record, today) ? 0 : 1;
    return unread;
}

Status ReadSentRecord(const std::string& folder, SentRecord& record, int today, std::string* note) {
    const std::string path = PathInFolder(folder, kSentRecordName);
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        if (errno == ENOENT) return Status();  // nothing mailed yet
        return Status::Error("cannot read " + path + ": " + std::strerror(errno));
    }
    // Line by line, so that a file grown large holds no more memory than
    // the articles it remembers; a line longer than any the record holds
    // is not understood.
    int unread = 0;
    std::string line;
    bool overlong = false;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        for (std::size_t at = 0; at < got;) {
            const char* end = static_cast<const char*>(std::memchr(buffer + at, '\n', got - at));
            const std::size_t stop = end ? static_cast<std::size_t>(end - buffer) : got;
            if (!overlong) line.append(buffer + at, std::min(stop - at, kLongestLine + 1 - line.size()));
            overlong = line.size() > kLongestLine;
            at = stop + (end ? 1 : 0);
            if (!end) break;
            unread += overlong || !ParseLine(line, record, today) ? 1 : 0;
            line.clear();
            overlong = false;
        }
    }
    if (std::ferror(file.get())) return Status::Error("cannot read " + path);
    if (!line.empty()) unread += overlong || !ParseLine(line, record, today) ? 1 : 0;
    if (unread && note)
        *note = std::to_string(unread) + (unread == 1 ? " line" : " lines") + " of " + path +
                " could not be understood and will be left out";
    return Status();
}

Status WriteSentRecord(const std::string& folder, const SentRecord& record) {
    const Status made = MakeFolder(folder);
    if (!made.ok()) return made;
    return WriteTextFileWhole(PathInFolder(folder, kSentRecordName), FormatSentRecord(record), TextFileKind::Record);
}

void MergeSentRecord(SentRecord& record, const SentRecord& other) {
    for (const auto& [pmid, day] : other.mailed) NoteDay(record.mailed, pmid, day);
    for (const auto& [pmid, day] : other.retracted) NoteDay(record.retracted, pmid, day);
    record.searchedThrough = std::max(record.searchedThrough, other.searchedThrough);
    record.retractionsThrough = std::max(record.retractionsThrough, other.retractionsThrough);
    record.noticeDay = std::max(record.noticeDay, other.noticeDay);
    record.served = std::max(record.served, other.served);
}

void PruneSentRecord(SentRecord& record, int today) {
    Prune(record.mailed, today);
    Prune(record.retracted, today);
}

int NewArticlesWindowStart(const SentRecord& record, int today, AlertFrequency frequency) {
    return WindowStart(record.searchedThrough, today, frequency == AlertFrequency::Daily ? 1 : 7);
}

int RetractionWindowStart(const SentRecord& record, int today) {
    return WindowStart(record.retractionsThrough, today, 7);
}

}  // namespace lorvane
