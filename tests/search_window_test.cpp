// The search window's dates for fixed clocks and time zones.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "common/text.h"
#include "runner/search_window.h"
#include "runner/run_schedule.h"
#include "runner/sent_record.h"
#include "support/scratch.h"

namespace lorvane {
namespace {

std::int64_t g_now = 0;
std::int64_t FixedClock() { return g_now; }

// Seconds since 1970 of a UTC date and time (proleptic Gregorian).
std::int64_t UtcSeconds(int y, int m, int d, int hour = 12, int minute = 0, int second = 0) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

class SearchWindow : public ::testing::Test {
protected:
    void SetUp() override { test::SetTimeZone("UTC0"); }
    void TearDown() override { test::SetTimeZone("UTC0"); }

    static std::string Max(std::int64_t now) {
        g_now = now;
        return FormatMaxDate(FixedClock);
    }
    static std::string Min(std::int64_t now, AlertFrequency frequency) {
        g_now = now;
        return FormatMinDate(frequency, FixedClock);
    }
};

TEST_F(SearchWindow, DatedExamples) {
    EXPECT_EQ(Min(UtcSeconds(2007, 3, 1), AlertFrequency::Daily), "2007/2/28");
    EXPECT_EQ(Max(UtcSeconds(2007, 3, 1)), "2007/3/1");
    EXPECT_EQ(Min(UtcSeconds(2008, 3, 1), AlertFrequency::Daily), "2008/2/29");
    EXPECT_EQ(Min(UtcSeconds(2008, 1, 3), AlertFrequency::Weekly), "2007/12/27");
    EXPECT_EQ(Max(UtcSeconds(2008, 1, 3)), "2008/1/3");
}

TEST_F(SearchWindow, EveryOtherFrequencyLooksBackAWeek) {
    EXPECT_EQ(Min(UtcSeconds(2007, 3, 15), AlertFrequency::Weekly), "2007/3/8");
    EXPECT_EQ(Min(UtcSeconds(2007, 3, 15), AlertFrequency::Off), "2007/3/8");
    EXPECT_EQ(Min(UtcSeconds(2007, 3, 15), static_cast<AlertFrequency>(0)), "2007/3/8");
}

TEST_F(SearchWindow, MonthYearAndLeapBoundaries) {
    EXPECT_EQ(Min(UtcSeconds(2007, 3, 5), AlertFrequency::Weekly), "2007/2/26");
    EXPECT_EQ(Min(UtcSeconds(2008, 1, 1), AlertFrequency::Daily), "2007/12/31");
    EXPECT_EQ(Min(UtcSeconds(2008, 3, 6), AlertFrequency::Weekly), "2008/2/28");
    EXPECT_EQ(Min(UtcSeconds(2008, 3, 7), AlertFrequency::Weekly), "2008/2/29");
    EXPECT_EQ(Min(UtcSeconds(2100, 3, 1), AlertFrequency::Daily), "2100/2/28");  // not a leap year
    EXPECT_EQ(Min(UtcSeconds(2000, 3, 1), AlertFrequency::Daily), "2000/2/29");
    EXPECT_EQ(Max(UtcSeconds(2026, 12, 31, 23, 59, 59)), "2026/12/31");
    EXPECT_EQ(Min(UtcSeconds(2026, 12, 31, 23, 59, 59), AlertFrequency::Weekly), "2026/12/24");
    EXPECT_EQ(Min(UtcSeconds(2027, 1, 1, 0, 0, 0), AlertFrequency::Daily), "2026/12/31");
}

TEST_F(SearchWindow, UsesLocalTime) {
    // 20:30 UTC on 2 January is 01:30 on 3 January five hours east.
    test::SetTimeZone("XXX-5");
    const std::int64_t now = UtcSeconds(2008, 1, 2, 20, 30);
    EXPECT_EQ(Max(now), "2008/1/3");
    EXPECT_EQ(Min(now, AlertFrequency::Daily), "2008/1/2");
    test::SetTimeZone("UTC0");
    EXPECT_EQ(Max(now), "2008/1/2");
}

TEST_F(SearchWindow, UnconvertibleClock) {
    for (std::int64_t now : {std::numeric_limits<std::int64_t>::max(),
                             UtcSeconds(20000, 1, 1)}) {  // past the last automation date
        EXPECT_EQ(Max(now), "-1/-1/-1");
        EXPECT_EQ(Min(now, AlertFrequency::Daily), "1899/12/29");
        EXPECT_EQ(Min(now, AlertFrequency::Weekly), "1899/12/23");
    }
}

// The day arithmetic of runs that list only new articles gives the dates
// the calendar conversion gives, across leap days, 2100 and summer time.
TEST_F(SearchWindow, NewArticleDaysMatchTheCalendar) {
    test::SetTimeZone("EST5EDT,M3.2.0,M11.1.0");
    for (std::int64_t now = UtcSeconds(1971, 3, 1, 3); now < UtcSeconds(2101, 1, 1); now += 86400 * 17 + 3600) {
        int today = 0;
        g_now = now;
        ASSERT_TRUE(LocalDayNumber(FixedClock, today));
        ASSERT_EQ(SearchDateText(today), Max(now)) << now;
        ASSERT_EQ(SearchDateText(today - 7), Min(now, AlertFrequency::Weekly)) << now;
    }
    g_now = UtcSeconds(2008, 3, 1);
    int today = 0;
    ASSERT_TRUE(LocalDayNumber(FixedClock, today));
    SentRecord record;
    EXPECT_EQ(SearchDateText(NewArticlesWindowStart(record, today, AlertFrequency::Daily)), "2008/2/29");
    record.searchedThrough = today + 2;  // the clock went back: as if there were none
    EXPECT_EQ(SearchDateText(NewArticlesWindowStart(record, today, AlertFrequency::Weekly)), "2008/2/23");
}

// When a scheduled start finds a run due, and which missed runs it makes
// up for: schedule, moment last served, moment saved, now.
TEST(DueRun, Table) {
    const auto at = ParseMoment;
    const RunSchedule daily{AlertFrequency::Daily, 0, 7 * 60 + 30};
    const RunSchedule wednesday{AlertFrequency::Weekly, 3, 18 * 60 + 45};  // 9 December 2026 is a Wednesday
    struct Case { RunSchedule schedule; const char *served, *since, *now; bool due; const char* serves; int missed; };
    const Case cases[] = {
        {daily, "2026-12-08T07:30", "", "2026-12-09T07:30", true, "2026-12-09T07:30", 0},   // on time
        {daily, "2026-12-09T07:30", "", "2026-12-09T08:30", false, "2026-12-09T07:30", 0},  // served
        {daily, "2026-12-08T07:30", "", "2026-12-09T07:29", false, "2026-12-08T07:30", 0},  // not yet
        {daily, "2026-12-06T07:30", "", "2026-12-09T10:30", true, "2026-12-09T07:30", 2},   // off two days
        {daily, "2026-12-08T07:30", "", "2026-12-10T00:10", true, "2026-12-09T07:30", 0},   // past midnight
        {daily, "", "2026-12-09T10:00", "2026-12-09T10:30", false, "2026-12-09T07:30", 0},  // saved after it
        {daily, "", "2026-12-09T10:00", "2026-12-10T09:00", true, "2026-12-10T07:30", 0},
        {daily, "2026-11-01T07:30", "2026-12-08T20:00", "2026-12-10T09:00", true, "2026-12-10T07:30", 1},
        {daily, "2026-12-20T07:30", "", "2026-12-09T09:00", true, "2026-12-09T07:30", 0},   // clock set back
        {daily, "2026-10-01T07:30", "", "2026-12-09T09:00", true, "2026-12-09T07:30", 30},  // 31 days back
        {wednesday, "2026-12-02T18:45", "", "2026-12-09T18:45", true, "2026-12-09T18:45", 0},
        {wednesday, "2026-12-02T18:45", "", "2026-12-09T18:44", false, "2026-12-02T18:45", 0},
        {wednesday, "2026-11-18T18:45", "", "2026-12-12T09:00", true, "2026-12-09T18:45", 2},
        {{AlertFrequency::Off, 0, 0}, "", "", "2026-12-09T09:00", false, "", 0},
    };
    for (const Case& c : cases) {
        const DueRun run = FindDueRun(c.schedule, at(c.now), at(c.served), at(c.since));
        EXPECT_EQ(run.due, c.due) << c.now << " after " << c.served;
        EXPECT_EQ(run.serves, at(c.serves)) << c.now;
        EXPECT_EQ(run.missed.size(), static_cast<std::size_t>(c.missed)) << c.now << " after " << c.served;
    }
    const DueRun offTwoDays = FindDueRun(daily, at("2026-12-09T10:30"), at("2026-11-29T07:30"), kNoMoment);
    EXPECT_EQ(MakeUpLine(offTwoDays.missed),
              "This digest also covers the scheduled runs of Monday 30 November, Tuesday 1, Wednesday 2, Thursday 3, "
              "Friday 4, Saturday 5, Sunday 6, Monday 7 and Tuesday 8 December, missed while the computer was off.");
    EXPECT_EQ(MakeUpLine({at("2026-12-07T07:30")}),
              "This digest also covers the scheduled run of Monday 7 December, missed while the computer was off.");
    EXPECT_EQ(MomentText(at("2026-12-09T07:05")), "2026-12-09T07:05");
    EXPECT_EQ(at("2026-02-30T07:05"), kNoMoment);
}

TEST(SentRecordText, ReadsWhatItWritesAndSkipsWhatItCannot) {
    SentRecord record;
    record.searchedThrough = DayNumber(2026, 12, 8);
    record.served = ParseMoment("2026-12-08T07:30");
    record.mailed = {{17284678, DayNumber(2026, 1, 31)}, {5, DayNumber(2025, 12, 9)}};
    record.retractionsThrough = DayNumber(2026, 12, 7);
    record.retracted = {{5, DayNumber(2026, 12, 7)}};
    const std::string text = FormatSentRecord(record);
    EXPECT_NE(text.find("\nsearched-through 2026-12-08\nserved 2026-12-08T07:30\nretractions-searched-through "
                        "2026-12-07\n5 2025-12-09\n17284678 2026-01-31\nretracted 5 2026-12-07\n"),
              std::string::npos) << text;
    SentRecord read;
    // Line ends of Windows, a duplicate with a later day, and lines to skip:
    // an impossible date, no date, a number too large, a word.
    EXPECT_EQ(ParseSentRecord(ReplaceAll(text, "\n", "\r\n") +
                                  "5 2026-02-01\n\n7 2026-02-30\n8\n99999999999 2026-01-01\nx 2026-01-01\n",
                              read),
              4);
    EXPECT_EQ(read.searchedThrough, record.searchedThrough);
    EXPECT_EQ(read.served, record.served);
    EXPECT_EQ(read.retractionsThrough, record.retractionsThrough);
    EXPECT_EQ(read.retracted, record.retracted);
    EXPECT_EQ(read.mailed.size(), 2u);
    EXPECT_EQ(read.mailed[5], DayNumber(2026, 2, 1));
    PruneSentRecord(read, DayNumber(2031, 2, 1));  // five years and a day after 17284678 was mailed
    EXPECT_EQ(read.mailed.size(), 1u);
    EXPECT_EQ(read.mailed.count(5), 1u);
    EXPECT_EQ(read.retracted.size(), 1u);
}

}  // namespace
}  // namespace lorvane
