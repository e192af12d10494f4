#include "runner/record_fields.h"

#include <algorithm>
#include <vector>

#include "common/text.h"

namespace lorvane {
namespace {

bool Contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

// The non-empty pieces of `text` between line feeds, in order.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
    return lines;
}

// Quotes arrive as "&quot;" in the HTML page and as plain quotes in text.
std::string RemoveQuotes(const std::string& text) {
    return RemoveAll(RemoveAll(text, "&quot;"), "\"");
}

// Drops the ASN.1 keyword "name" that introduces the title string, and
// only that: the letters "name" inside title words stay.
std::string RemoveNameKeyword(std::string text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos || text.compare(start, 4, "name") != 0) return text;
    const std::size_t after = start + 4;
    if (after == text.size() || text[after] == ' ' || text[after] == '"' || text[after] == '&')
        text.erase(start, 4);
    return text;
}

// The first cleaning of a title: doubled blanks, square brackets and the
// ASN.1 closers and keywords that a title's lines carry.
std::string CleanTitleMarkup(const std::string& text) {
    std::string clean = RemoveAll(text, "  ");
    clean = RemoveAll(clean, "[");
    clean = RemoveAll(clean, "]");
    clean = ReplaceAll(clean, "?},", "?");
    clean = RemoveAll(clean, "},");
    return RemoveAll(clean, "authors {");
}

// The last cleaning of a title: doubled blanks again, then quotes.
std::string FinishTitle(const std::string& text) {
    return RemoveQuotes(RemoveAll(text, "  "));
}

std::string CleanTitle(const std::string& collected) {
    return FinishTitle(RemoveNameKeyword(CleanTitleMarkup(collected)));
}

std::string CleanJournal(const std::string& line) {
    return RemoveQuotes(RemoveAll(RemoveAll(RemoveAll(line, "ml-jta"), ","), "  "));
}

// Volume and pages lines lose their keyword, every blank and every comma.
std::string CleanCompact(const std::string& line, const char* keyword) {
    return RemoveQuotes(RemoveAll(RemoveAll(RemoveAll(line, keyword), " "), ","));
}

std::string FirstLineWith(const std::string& text, const char* marker) {
    for (const std::string& line : Lines(text))
        if (Contains(line, marker)) return line;
    return std::string();
}

// One field of a MEDLINE record: its tag and its text, continuation lines
// joined with one blank.
struct MedlineField {
    std::string tag;
    std::string value;
};

std::vector<MedlineField> MedlineFields(const std::string& text) {
    std::vector<MedlineField> fields;
    for (const std::string& line : Lines(text)) {
        std::string clean = RemoveAll(line, "\r");
        if (clean.size() >= 6 && clean[4] == '-' && clean[5] == ' ' && clean[0] != ' ') {
            std::string tag = clean.substr(0, 4);
            while (!tag.empty() && tag.back() == ' ') tag.pop_back();
            fields.push_back({tag, clean.substr(6)});
        } else if (!fields.empty() && clean.compare(0, 6, "      ") == 0) {
            const std::size_t start = clean.find_first_not_of(' ');
            if (start != std::string::npos) fields.back().value += " " + clean.substr(start);
        }
    }
    for (MedlineField& field : fields)
        while (!field.value.empty() && field.value.back() == ' ') field.value.pop_back();
    return fields;
}

}  // namespace

RecordForm DetectRecordForm(const std::string& text) {
    if (Contains(text, "Pubmed-entry ::=")) return RecordForm::Asn1;
    if (text.compare(0, 6, "PMID- ") == 0 || Contains(text, "\nPMID- ")) return RecordForm::Medline;
    return RecordForm::Unknown;
}

std::string ExtractAuthors(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    std::string result;
    std::size_t i = 0;
    while (i < lines.size()) {
        if (!Contains(lines[i], "names ml")) {
            ++i;
            continue;
        }
        std::size_t k = i + 1;
        if (k < lines.size() && !Contains(lines[k], "},")) {
            for (; k < lines.size() && !Contains(lines[k], "},"); ++k) {
                std::string name = RemoveQuotes(lines[k]);
                name.erase(0, name.find_first_not_of(' '));
                result += name;
                if (Contains(name, ",")) result += ' ';
            }
        }
        i = k + 1;  // on past the block's closing line
    }
    return result;
}

std::string ExtractTitle(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    std::size_t t = 0;
    while (t < lines.size() && !Contains(lines[t], "title {")) ++t;
    if (t == lines.size()) return std::string();
    std::string collected;
    if (!Contains(lines[t], "},")) {
        for (std::size_t k = t + 1; k < lines.size(); ++k) {
            collected += lines[k];
            if (Contains(lines[k], "},")) break;
        }
    }
    return CleanTitle(collected);
}

std::string ExtractYear(const std::string& text) {
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t begin = text.find_first_not_of(' ', position);
        if (begin == std::string::npos) break;
        std::size_t end = text.find(' ', begin);
        if (end == std::string::npos) end = text.size();
        if (text.compare(begin, end - begin, "year") == 0) {
            std::size_t start = end + 1;  // past the blank after the word
            if (start > text.size()) return std::string();
            while (start < text.size() && text[start] == ',') ++start;
            const std::size_t comma = text.find(',', start);
            return text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        }
        position = end;
    }
    return std::string();
}

std::string ExtractJournal(const std::string& text) {
    return CleanJournal(FirstLineWith(text, "ml-jta"));
}

std::string ExtractVolume(const std::string& text) {
    return CleanCompact(FirstLineWith(text, "volume"), "volume");
}

std::string ExtractPages(const std::string& text) {
    return CleanCompact(FirstLineWith(text, "pages"), "pages");
}

void ExtractMedlineFields(const std::string& text, ArticleRecord& record, bool withAbstract) {
    std::vector<std::string> authors, fullAuthors;
    std::string title, date, journal, volume, pages;
    bool haveTitle = false, haveDate = false, haveJournal = false, haveVolume = false,
         havePages = false;
    const std::string doiMark = " [doi]";
    for (const MedlineField& field : MedlineFields(text)) {
        const std::string& tag = field.tag;
        if (tag == "FAU") {
            fullAuthors.push_back(field.value);
        } else if (tag == "IP" && record.issue.empty()) {
            record.issue = field.value;
        } else if ((tag == "LID" || tag == "AID") && record.doi.empty() && field.value.size() > doiMark.size() &&
                   field.value.compare(field.value.size() - doiMark.size(), doiMark.size(), doiMark) == 0) {
            record.doi = field.value.substr(0, field.value.size() - doiMark.size());
        } else if (tag == "AB" && withAbstract && record.abstract.empty()) {
            record.abstract = field.value;
        } else if (tag == "PT") {
            const std::string type = AsciiLower(field.value);
            record.retracted = record.retracted || type == "retracted publication";
            record.retractionNotice = record.retractionNotice || type == "retraction of publication";
        } else if (tag == "RIN") {
            record.retractedIn.push_back(field.value);
        } else if (tag == "AU") {
            authors.push_back(RemoveQuotes(field.value));
        } else if (tag == "TI" && !haveTitle) {
            title = field.value, haveTitle = true;
        } else if (tag == "DP" && !haveDate) {
            date = field.value, haveDate = true;
        } else if (tag == "TA" && !haveJournal) {
            journal = field.value, haveJournal = true;
        } else if (tag == "VI" && !haveVolume) {
            volume = field.value, haveVolume = true;
        } else if (tag == "PG" && !havePages) {
            pages = field.value, havePages = true;
        }
    }

    record.authors.clear();
    for (std::size_t i = 0; i < authors.size(); ++i) {
        if (i > 0) record.authors += ", ";
        record.authors += authors[i];
    }
    // A record names each author in both forms, or only in the short one.
    record.fullAuthors = fullAuthors.size() == authors.size() ? std::move(fullAuthors) : std::move(authors);
    // Each value gets the cleaning of its ASN.1 field, and the one blank
    // that the ASN.1 layout leaves before a journal and on either side of
    // a title, so that both forms of one article give the same record.
    record.title = haveTitle ? " " + FinishTitle(CleanTitleMarkup(title)) + " " : std::string();
    record.journal = haveJournal ? " " + CleanJournal(journal) : std::string();
    record.volume = haveVolume ? CleanCompact(volume, "volume") : std::string();
    record.pages = havePages ? CleanCompact(pages, "pages") : std::string();
    record.year.clear();
    for (std::size_t i = 0; i + 4 <= date.size(); ++i) {
        if (date.find_first_not_of("0123456789", i) >= i + 4) {
            record.year = date.substr(i, 4);
            break;
        }
    }
}

void SplitLinkedCitation(const std::string& line, std::string& citation, std::int32_t& pmid) {
    const std::size_t mark = line.rfind("PMID:");
    citation = Trimmed(line.substr(0, mark));
    pmid = mark == std::string::npos ? 0 : std::max(0, ReadLikeAtoi(line.substr(mark + 5)));
}

void ExtractArticleFields(const std::string& answer, ArticleRecord& record, bool withAbstract) {
    // Control characters have no place in a record (a NUL would cut texts
    // short later, an ESC reach a terminal), and one invalid byte would
    // turn the whole mail into another character set.
    const std::string text = CleanText(answer);
    record.fullAuthors.clear();
    record.issue.clear();
    record.doi.clear();
    record.abstract.clear();
    record.retracted = record.retractionNotice = false;
    record.retractedIn.clear();
    switch (DetectRecordForm(text)) {
        case RecordForm::Asn1:
            record.authors = ExtractAuthors(text);
            record.title = ExtractTitle(text);
            record.year = ExtractYear(text);
            record.journal = ExtractJournal(text);
            record.volume = ExtractVolume(text);
            record.pages = ExtractPages(text);
            return;
        case RecordForm::Medline:
            ExtractMedlineFields(text, record, withAbstract);
            return;
        case RecordForm::Unknown:
            break;
    }
    record.authors.clear();
    record.title.clear();
    record.year.clear();
    record.journal.clear();
    record.volume.clear();
    record.pages.clear();
}

}  // namespace lorvane
