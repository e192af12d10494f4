// The six citation fields of one fetched record. A record arrives either
// as an ASN.1 Pubmed-entry in value notation (its quotes written as
// "&quot;" inside an HTML page, or as plain double quotes) or in the
// MEDLINE tagged text form; both give the same ArticleRecord.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lorvane {

struct ArticleRecord {
    std::int32_t pmid = 0;
    std::string authors;
    std::string title;
    std::string year;
    std::string journal;
    std::string volume;
    std::string pages;
    // Taken from MEDLINE records only, for the citations attached to a
    // digest and its abstracts.
    std::vector<std::string> fullAuthors;  // "Smith, John A" (FAU), else the AU names
    std::string issue;                     // IP
    std::string doi;                       // the LID or AID marked "[doi]"
    std::string abstract;                  // AB, its lines joined; only when asked for
    // What the service's publication types (PT) say of the article.
    bool retracted = false;          // "Retracted Publication"
    bool retractionNotice = false;   // "Retraction of Publication": a notice itself
    std::vector<std::string> retractedIn;  // RIN: the citation of each retraction notice
};

// Splits a citation as a MEDLINE link line writes it ("Nature.
// 2024;626:E2. PMID: 38267582") into `citation`, the text before "PMID:"
// without blanks at its ends, and `pmid`, the number after it (0 when
// there is none).
void SplitLinkedCitation(const std::string& line, std::string& citation, std::int32_t& pmid);

enum class RecordForm { Asn1, Medline, Unknown };

// Returns the form of a fetched record: Asn1 for a text holding
// "Pubmed-entry ::=", Medline for one with a line beginning "PMID- ",
// Unknown otherwise.
RecordForm DetectRecordForm(const std::string& text);

// The ASN.1 rules. Each scans the whole text on its own and returns its
// field, empty when its marker is missing. A line is a non-empty piece of
// the text between line feeds.

// Names of every "names ml" block, in order; a name line holding a comma
// is followed by one blank.
std::string ExtractAuthors(const std::string& text);
// The lines after the first "title {" up to the one holding "},", joined
// and cleaned; keeps one blank on either side of the title.
std::string ExtractTitle(const std::string& text);
// What follows the first word "year", up to the next comma.
std::string ExtractYear(const std::string& text);
// The first "ml-jta" line, cleaned.
std::string ExtractJournal(const std::string& text);
// The first "volume" line, without blanks, commas and quotes.
std::string ExtractVolume(const std::string& text);
// The first "pages" line, without blanks, commas and quotes.
std::string ExtractPages(const std::string& text);

// Fills the six text fields of `record` from a MEDLINE record: AU lines
// for the authors, TI for the title, the first four digits of DP for the
// year, TA, VI and PG for journal, volume and pages; and its full author
// names, issue, DOI, publication types, retraction notices and,
// `withAbstract`, its abstract.
void ExtractMedlineFields(const std::string& text, ArticleRecord& record, bool withAbstract = false);

// Fills the fields of `record` from `text` (NUL bytes dropped) by the
// rules of its form; all are empty for a text of neither form.
void ExtractArticleFields(const std::string& text, ArticleRecord& record, bool withAbstract = false);

}  // namespace lorvane
