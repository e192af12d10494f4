// The runner's state, kept from run to run in one file of its state
// folder: the articles already mailed to the user, so that a run with
// "only new articles" lists each article once and the retraction watch
// knows what to look for, the day searched through and the search window
// that follows from it, the articles reported retracted and the day the
// watch looked through, and the day a notice of a failed run went out.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "common/alert_settings.h"
#include "common/local_time.h"
#include "runner/run_schedule.h"
#include "runner/search_window.h"
#include "common/status.h"

namespace lorvane {

// The name of the record's file in the runner's state folder.
extern const char kSentRecordName[];  // "sent-articles.txt"

// How far back a window may reach, and how long an article is remembered:
// five years, as long as a retraction is likely to come.
constexpr int kLongestWindowDays = 31;
constexpr int kRememberedDays = 5 * 365 + 1;

struct SentRecord {
    // Every article mailed, with the day of the digest that listed it.
    std::map<std::int32_t, int> mailed;
    // The day of the last run that searched every query and mailed or had
    // nothing to mail: what entered PubMed before the day before it has
    // been looked at.
    int searchedThrough = kNoDay;
    // The day the last notice of a run that could look at nothing went
    // out: one a day is enough.
    int noticeDay = kNoDay;
    // The scheduled moment the last completed run served.
    Moment served = kNoMoment;
    // The mailed articles reported as retracted, with the day of the
    // digest that said so: each is reported once.
    std::map<std::int32_t, int> retracted;
    // The day of the last run that looked for retractions and reported
    // all it found.
    int retractionsThrough = kNoDay;
};

// Returns the record as its file holds it: a comment saying what the file
// is, a line "searched-through YYYY-MM-DD" when there is such a day, a line
// "notice-mailed YYYY-MM-DD" when there is that day, a line "served
// YYYY-MM-DDTHH:MM" when a run served a scheduled moment, a line
// "retractions-searched-through YYYY-MM-DD" when the watch looked, then
// one line "PMID YYYY-MM-DD" per article in identifier order, and one line
// "retracted PMID YYYY-MM-DD" per article reported retracted.
std::string FormatSentRecord(const SentRecord& record);

// Reads `text` in the form FormatSentRecord writes (carriage returns and
// blank lines allowed) into `record`, leaving out the articles mailed more
// than kRememberedDays before `today` unless that is kNoDay. Returns the
// number of lines that are neither comments nor in that form; they are
// left out.
int ParseSentRecord(const std::string& text, SentRecord& record, int today = kNoDay);

// Reads the record in `folder` into `record` as ParseSentRecord does, line
// by line, so that memory holds only what is kept. A missing file is an
// empty record. Fails when the file is there but cannot be read; lines not
// understood are left out and said in `note`, when given.
Status ReadSentRecord(const std::string& folder, SentRecord& record, int today = kNoDay,
                      std::string* note = nullptr);

// Writes `record` into `folder` whole (old or new, never a part, whatever
// stops the run) and flushed to the disk, creating the folder. A failure
// leaves the old record.
Status WriteSentRecord(const std::string& folder, const SentRecord& record);

// Takes into `record` what `other` holds: every article and retraction
// (with the later of two days), and the later searched-through days,
// notice day and moment served.
void MergeSentRecord(SentRecord& record, const SentRecord& other);

// Forgets the articles mailed, and the retractions reported, more than
// kRememberedDays before `today`.
void PruneSentRecord(SentRecord& record, int today);

// Returns the first day of the window of a run on `today` that lists only
// new articles: the day before the record's searched-through day (the
// service counts days in its own time zone), or one day (Daily) or seven
// days back when there is none or it lies ahead of today; never more than
// kLongestWindowDays back.
int NewArticlesWindowStart(const SentRecord& record, int today, AlertFrequency frequency);

// Returns the first day of the search for retractions of a run on `today`:
// the day before the record's retractions-searched-through day (the
// service counts days in its own time zone), or seven days back when
// there is none or it lies ahead of today; never more than
// kLongestWindowDays back.
int RetractionWindowStart(const SentRecord& record, int today);

}  // namespace lorvane
