// Field extraction from fetched records: the three forms the service has
// served give the same record, and the ASN.1 rules' own edge cases.
#include <gtest/gtest.h>

#include "runner/record_fields.h"
#include "support/scratch.h"

namespace lorvane {
namespace {

std::string Fixture(const std::string& name) {
    const std::string text = test::ReadFileOr(std::string(LORVANE_FIXTURES_DIR) + "/" + name, "");
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

ArticleRecord FromFixture(const std::string& name) {
    ArticleRecord record;
    ExtractArticleFields(Fixture(name), record);
    return record;
}

void ExpectRecord(const ArticleRecord& r, const char* authors, const char* title, const char* year,
                  const char* journal, const char* volume, const char* pages) {
    EXPECT_EQ(r.authors, authors);
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.year, year);
    EXPECT_EQ(r.journal, journal);
    EXPECT_EQ(r.volume, volume);
    EXPECT_EQ(r.pages, pages);
}

TEST(RecordFields, FormsAreRecognisedByContent) {
    EXPECT_EQ(DetectRecordForm(Fixture("asn1_html_17284678.html")), RecordForm::Asn1);
    EXPECT_EQ(DetectRecordForm(Fixture("asn1_plain_17284678.txt")), RecordForm::Asn1);
    EXPECT_EQ(DetectRecordForm(Fixture("medline_17284678.txt")), RecordForm::Medline);
    EXPECT_EQ(DetectRecordForm("<html><body>Error: volume pages year</body></html>"),
              RecordForm::Unknown);
    ArticleRecord record;
    record.title = "stale";
    ExtractArticleFields("<html>title {\n name \"X\" },\n volume \"3\",</html>", record);
    ExpectRecord(record, "", "", "", "", "", "");
}

TEST(RecordFields, AllThreeFormsGiveTheSameRecord) {
    for (const char* pmid : {"17284678", "18000003", "18000004"}) {
        SCOPED_TRACE(pmid);
        const ArticleRecord html = FromFixture(std::string("asn1_html_") + pmid + ".html");
        const ArticleRecord plain = FromFixture(std::string("asn1_plain_") + pmid + ".txt");
        const ArticleRecord medline = FromFixture(std::string("medline_") + pmid + ".txt");
        for (const ArticleRecord* other : {&plain, &medline}) {
            EXPECT_EQ(other->authors, html.authors);
            EXPECT_EQ(other->title, html.title);
            EXPECT_EQ(other->year, html.year);
            EXPECT_EQ(other->journal, html.journal);
            EXPECT_EQ(other->volume, html.volume);
            EXPECT_EQ(other->pages, html.pages);
        }
    }
    ExpectRecord(FromFixture("medline_17284678.txt"), "Smith JA, Doe B",
                 " Molecular basis of a dominant form of congenital neutropenia. ", "2007",
                 " J Biol Chem", "282", "9475-81");
}

TEST(RecordFields, TitleOverSeveralLinesEndingInAQuestion) {
    ExpectRecord(FromFixture("asn1_plain_18000003.txt"), "van der Berg J, O'Neill MXZ, Li H",
                 " Does a title wrapped by the service at its line length keep every word of the "
                 "text when the lines are joined together again by the reader? ",
                 "2008", " Proc Natl Acad Sci U S A", "105", "512-7");
}

TEST(RecordFields, OnlyTheNameKeywordGoesFromTheTitle) {
    // "tournament", "names" and "surname" keep their letters; brackets go.
    EXPECT_EQ(FromFixture("asn1_html_18000004.html").title,
              " A tournament of names: surname frequency in trial enrolment Article in Polish. ");
}

TEST(RecordFields, NoAuthorsAndGroupAuthors) {
    for (const char* name : {"asn1_plain_18000001.txt", "medline_18000001.txt",
                             "asn1_plain_18000006.txt", "medline_18000006.txt"})
        EXPECT_EQ(FromFixture(name).authors, "") << name;
    EXPECT_EQ(FromFixture("asn1_plain_18000001.txt").title, " Editorial: a year in review. ");
}

TEST(RecordFields, TwoAuthorBlocksFollowEachOther) {
    EXPECT_EQ(FromFixture("asn1_plain_two_blocks.txt").authors, "Smith JA, Doe BRoe C, Poe D");
}

TEST(RecordFields, CutRecordGivesWhatArrived) {
    ExpectRecord(FromFixture("asn1_plain_cut.txt"), "van der Berg J, O'Ne",
                 " Does a title wrapped by the service at its line length keep every word of the "
                 "text when the lines are joined together again by the reader? ",
                 "2008", "", "", "");
}

TEST(RecordFields, VolumeOrPagesInTheTitleLine) {
    // The ASN.1 rules take the first line holding the marker, here the
    // title; the MEDLINE form names its fields and is not misled.
    const ArticleRecord asn1 = FromFixture("asn1_plain_18000005.txt");
    EXPECT_EQ(asn1.volume, "nameLowtidalventilationandthepagesofevidence.");
    EXPECT_EQ(asn1.pages, "nameLowtidalvolumeventilationandtheofevidence.");
    const ArticleRecord medline = FromFixture("medline_18000005.txt");
    EXPECT_EQ(medline.volume, "342");
    EXPECT_EQ(medline.pages, "1301-8");
    EXPECT_EQ(medline.title, asn1.title);
}

TEST(RecordFields, AuthorBlockRules) {
    EXPECT_EQ(ExtractAuthors("names ml {\n},\n"), "");
    EXPECT_EQ(ExtractAuthors("  names ml {\n  },\n names ml {\n   &quot;A B&quot;,\n \"C D\"\n },\n"),
              "A B, C D");
    // A name line that holds the closing "}," is not taken.
    EXPECT_EQ(ExtractAuthors("names ml {\n \"A B\",\n \"C D\" },\n"), "A B, ");
    EXPECT_EQ(ExtractAuthors("authors { names std { } },\n"), "");
}

TEST(RecordFields, TitleRules) {
    EXPECT_EQ(ExtractTitle("title { name \"Inline\" },\n"), "");
    EXPECT_EQ(ExtractTitle("no title here"), "");
    EXPECT_EQ(ExtractTitle("title {\n name \"Why?},\n"), "Why?");
    EXPECT_EQ(ExtractTitle("title {\n        name &quot;Molecular basis of X.&quot; },\n"),
              " Molecular basis of X. ");
    // Without a closing line the title runs to the end of the text.
    EXPECT_EQ(ExtractTitle("title {\n name \"Open\nended"), "Openended");
}

TEST(RecordFields, YearRules) {
    EXPECT_EQ(ExtractYear("date std { year 2007, month 3 }"), "2007");
    EXPECT_EQ(ExtractYear("years 1999, year, 2001, year 2007,"), "2007");
    EXPECT_EQ(ExtractYear("year ,,2006, more"), "2006");
    EXPECT_EQ(ExtractYear("year 2005"), "2005");
    EXPECT_EQ(ExtractYear("year"), "");
    EXPECT_EQ(ExtractYear("no such word"), "");
}

TEST(RecordFields, JournalVolumePagesRules) {
    EXPECT_EQ(ExtractJournal("          ml-jta &quot;J Biol Chem&quot;,\n"), " J Biol Chem");
    EXPECT_EQ(ExtractJournal("         ml-jta \"Lancet\",\n"), "Lancet");
    EXPECT_EQ(ExtractVolume("          volume &quot;282&quot;,\n"), "282");
    EXPECT_EQ(ExtractPages("          pages \"12 - 18\",\n"), "12-18");
    EXPECT_EQ(ExtractVolume("nothing"), "");
}

}  // namespace
}  // namespace lorvane
