#include "runner/article_entries.h"

#include <cctype>
#include <cstring>
#include <filesystem>

#include "common/text.h"
#include "common/console.h"
#include "runner/runner_services.h"

namespace lorvane {

namespace {

void AppendCommonBeginning(int ordinal, const std::string& authors, std::string& digest) {
    digest += std::to_string(ordinal) + ". ";
    if (!authors.empty()) digest += authors + ". ";
}

// Writes one of an article's files, whole or not at all; when
// `keepExisting`, a file that is there already stays as it is. A failure
// is reported on `console`. Returns whether the file is there now.
bool WriteArticleFile(const std::string& path, const std::string& text, TextFileKind kind,
                      bool keepExisting, Console& console) {
    std::error_code ignored;
    if (keepExisting && std::filesystem::is_regular_file(path, ignored)) return true;
    const Status written = WriteTextFileWhole(path, text, kind);
    if (written.ok()) return true;
    console.Diagnose(written.message());
    // A failed replacement leaves the old file, which still serves.
    return std::filesystem::is_regular_file(path, ignored);
}

// The directory text as it goes into a file:// link: characters that would
// end the attribute, start a fragment or query, or read as an escape are
// percent-encoded; blanks and everything else stay as they are.
std::string FileLinkText(const std::string& directoryText) {
    return PercentEncode(directoryText, [](unsigned char byte) {
        return byte < 0x20 || byte == 0x7F || std::strchr("\"%#?`$<>\\", byte) != nullptr;
    });
}

// Returns the DOI as it goes into an address: characters that have a
// meaning there percent-encoded.
std::string DoiLink(const std::string& doi) {
    return "https://doi.org/" + PercentEncode(doi, [](unsigned char byte) {
               return byte <= 0x20 || byte >= 0x7F || std::strchr("\"%#?<>\\^`{|}", byte) != nullptr;
           });
}

// Returns `text` cut to at most `bytes`, at the start of a UTF-8 character.
std::string CutAt(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

// Returns `value` on one line, as a RIS field holds it.
std::string OneLine(const std::string& value) {
    std::string line = value;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return Trimmed(line);
}

// Returns the last page of "9475-81" in full: "9481"; the end as written
// when it is not a shortened number.
std::string FullEndPage(const std::string& first, const std::string& last) {
    const bool digits = !first.empty() && !last.empty() &&
                        first.find_first_not_of("0123456789") == std::string::npos &&
                        last.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || last.size() >= first.size()) return last;
    return first.substr(0, first.size() - last.size()) + last;
}

// Returns the title of `record` as its entry shows it: "[Retracted]" or
// "[Retraction notice]" before it when the service marks it so.
std::string EntryTitle(const ArticleRecord& record) {
    const char* mark = record.retracted ? "[Retracted]" : record.retractionNotice ? "[Retraction notice]" : nullptr;
    if (!mark) return record.title;
    // A MEDLINE title keeps the blank before it that the other form has.
    const bool blank = !record.title.empty() && record.title[0] == ' ';
    return (blank ? " " : "") + std::string(mark) + (blank ? "" : " ") + record.title;
}

// Appends a line "Retraction notice: " per notice of `record`: its citation
// and, where it names one, its PubMed link.
void AppendRetractionNotices(const ArticleRecord& record, bool plainText, std::string& digest) {
    for (const std::string& notice : record.retractedIn) {
        std::string citation;
        std::int32_t pmid = 0;
        SplitLinkedCitation(notice, citation, pmid);
        const std::string id = std::to_string(pmid);
        if (plainText)
            digest += "Retraction notice: " + citation + (pmid ? " PubMed: " + PubmedAbstractLink(id) : "") + "\n";
        else
            digest += "<br>Retraction notice: " + HtmlEscape(citation) +
                      (pmid ? " PubMed: <a href=\"" + PubmedAbstractLink(id) + "\">" + id + "</a>" : "");
    }
}

}  // namespace

std::string PubmedPageLink(std::int32_t pmid) {
    return "https://pubmed.ncbi.nlm.nih.gov/" + std::to_string(pmid) + "/";
}

std::string ForwardLink(const ArticleRecord& record) {
    std::string authors = OneLine(record.authors);
    std::string title = OneLine(record.title);
    std::string journal = OneLine(record.journal) + ". " + record.volume +
                                (record.issue.empty() ? "" : "(" + OneLine(record.issue) + ")") + ", " +
                                record.pages + " (" + record.year + ").";
    auto encode = [](const std::string& text) {
        // Only the unreserved characters stay as they are.
        return PercentEncode(text, [](unsigned char byte) {
            return !(std::isalnum(byte) && byte < 0x80) && std::strchr("-._~", byte) == nullptr;
        });
    };
    auto compose = [&] {
        const std::string body = (authors.empty() ? "" : authors + ".\r\n") + title + "\r\n" + journal +
                                 "\r\n" + PubmedPageLink(record.pmid) + "\r\n";
        return "mailto:?subject=" + encode(title) + "&body=" + encode(body);
    };
    std::string link = compose();
    if (link.size() > kMaxForwardLinkLength && authors.find(',') != std::string::npos) {
        authors = authors.substr(0, authors.find(',')) + " et al";
        link = compose();
    }
    // The title comes twice, each character up to three times its size.
    for (std::size_t keep = title.size(); link.size() > kMaxForwardLinkLength && keep > 0;) {
        const std::size_t over = (link.size() - kMaxForwardLinkLength + 5) / 6 + 1;
        keep = keep > over ? keep - over : 0;
        title = CutAt(OneLine(record.title), keep) + "...";
        link = compose();
    }
    // Only a record with fields of hundreds of characters: all are cut.
    for (std::size_t keep = 256; link.size() > kMaxForwardLinkLength; keep /= 2) {
        authors = CutAt(authors, keep);
        title = CutAt(title, keep);
        journal = CutAt(journal, keep);
        link = compose();
    }
    return link;
}

std::string RisCitation(const ArticleRecord& record) {
    std::string text;
    auto field = [&text](const char* tag, const std::string& value) {
        const std::string line = OneLine(value);
        if (!line.empty()) text += std::string(tag) + "  - " + line + "\r\n";
    };
    field("TY", "JOUR");
    for (const std::string& author : record.fullAuthors) field("AU", author);
    field("TI", record.title);
    field("JO", record.journal);
    field("PY", record.year);
    field("VL", record.volume);
    field("IS", record.issue);
    const std::size_t dash = record.pages.find('-');
    const std::string firstPage = record.pages.substr(0, dash);
    field("SP", firstPage);
    if (dash != std::string::npos) field("EP", FullEndPage(firstPage, record.pages.substr(dash + 1)));
    field("AN", std::to_string(record.pmid));
    field("DO", record.doi);
    field("UR", PubmedPageLink(record.pmid));
    field("AB", record.abstract);
    if (record.retracted) {
        std::string note = "Retracted publication.";
        for (const std::string& notice : record.retractedIn) note += " Retraction notice: " + OneLine(notice);
        field("N1", note);
    } else if (record.retractionNotice) {
        field("N1", "Retraction notice.");
    }
    return text + "ER  - \r\n";
}

void AppendArticleEntry(int ordinal, const ArticleRecord& record, bool plainText,
                        const std::string& directoryText, std::string& digest,
                        const ArticleFiles& files, const DigestOptions& options) {
    const std::string pmid = std::to_string(record.pmid);
    const bool extras = options.abstracts && (!record.abstract.empty() || !record.doi.empty());
    if (plainText) {
        AppendCommonBeginning(ordinal, record.authors, digest);
        digest += EntryTitle(record);
        digest += record.journal;
        digest += ". " + record.volume + ", " + record.pages + " (" + record.year + "). PubMed: ";
        digest += PubmedAbstractLink(pmid) + "\n";
        AppendRetractionNotices(record, true, digest);
        digest += "\n";
        if (!extras) return;
        if (!record.abstract.empty()) digest += record.abstract + "\n";
        if (!record.doi.empty()) digest += "DOI: " + DoiLink(record.doi) + "\n";
        digest += "\n";
        return;
    }
    AppendCommonBeginning(ordinal, HtmlEscape(record.authors), digest);
    digest += "<b>" + HtmlEscape(EntryTitle(record)) + "</b> ";
    digest += HtmlEscape(record.journal) + ". " + HtmlEscape(record.volume) + ", " +
              HtmlEscape(record.pages) + " (" + HtmlEscape(record.year) + "). ";
    digest += "PubMed: <a href=\"" + PubmedAbstractLink(pmid) + "\">" + pmid + "</a> ";
    // Links only to files that are there: one that could not be written
    // (a full disk) would lead nowhere.
    const std::string link = FileLinkText(directoryText);
    if (files.citation) digest += "| <a href=\"file://" + link + "/" + pmid + ".enw\">Export citation </a> ";
    if (files.citation && files.script) digest += "|  ";
    if (files.script)
        digest += "<a href=\"file://" + link + "/" + pmid +
                  ".cmd\">Send an e-mail about this article to a colleague</a>";
    if (options.forwardLinks)
        digest += " | <a href=\"" + ReplaceAll(ForwardLink(record), "&", "&amp;") + "\">Forward</a>";
    AppendRetractionNotices(record, false, digest);
    if (!extras) {
        digest += "<br><br>";
        return;
    }
    digest += "<div style=\"margin:0.4em 0 0 2em\">";
    if (!record.abstract.empty()) digest += HtmlEscape(record.abstract);
    if (!record.abstract.empty() && !record.doi.empty()) digest += "<br>";
    if (!record.doi.empty()) {
        const std::string doiLink = DoiLink(record.doi);
        digest += "DOI: <a href=\"" + HtmlEscape(doiLink) + "\">" + HtmlEscape(record.doi) + "</a>";
    }
    digest += "</div><br>";
}

std::string AuthorLine(const std::string& piece) {
    const std::size_t lastBlank = piece.rfind(' ');
    std::string initials, surname;
    if (lastBlank == std::string::npos) {
        surname = piece;
    } else {
        initials = piece.substr(lastBlank + 1);
        std::size_t position = 0;
        // Only words that start before the last blank: the initials are
        // never part of the surname. Its words keep one blank between them
        // ("van der Berg"), as reference managers expect.
        while (position < lastBlank) {
            const std::size_t word = piece.find_first_not_of(' ', position);
            if (word == std::string::npos || word >= lastBlank) break;
            std::size_t end = piece.find(' ', word);
            if (end == std::string::npos) end = piece.size();
            surname += (surname.empty() ? "" : " ") + piece.substr(word, end - word);
            position = end + 1;
        }
    }
    std::string line = "%A ";
    for (std::size_t i = 0; i < initials.size();) {
        // An initial is a whole UTF-8 character: its lead byte and the
        // continuation bytes after it.
        std::size_t end = i + 1;
        while (end < initials.size() && (static_cast<unsigned char>(initials[end]) & 0xC0) == 0x80) ++end;
        line += initials.substr(i, end - i) + ". ";
        i = end;
    }
    return line + surname;
}

std::string CitationText(const ArticleRecord& record) {
    std::string text;
    std::size_t start = 0;
    const std::string& authors = record.authors;
    while (start <= authors.size() && !authors.empty()) {
        std::size_t comma = authors.find(',', start);
        if (comma == std::string::npos) comma = authors.size();
        if (comma > start) text += AuthorLine(authors.substr(start, comma - start)) + "\n";
        start = comma + 1;
    }
    text += "%T " + record.title + "\n";
    text += "%D " + record.year + "\n";
    text += "%0 Journal Article\n";
    text += "%J " + record.journal + "\n";
    text += "%V " + record.volume + "\n";
    text += "%P " + record.pages + "\n";
    return text;
}

Status CommandScriptLine(const ArticleRecord& record, const std::string& directoryText,
                         const std::string& program, std::string& line) {
    std::string quotedProgram, quotedCitation;
    Status quoted = QuoteScriptPath(program, quotedProgram);
    if (quoted.ok())
        quoted = QuoteScriptPath(directoryText + "/" + std::to_string(record.pmid) + ".enw", quotedCitation);
    if (quoted.ok()) line = "\"" + quotedProgram + "\" \"" + quotedCitation + "\"";
    return quoted;
}

ArticleFiles WriteCitationFiles(const ArticleRecord& record, const std::string& directoryText,
                                const std::string& program, Console& console, bool keepExisting) {
    const std::string base = directoryText + "/" + std::to_string(record.pmid);
    ArticleFiles files;
    files.citation = WriteArticleFile(base + ".enw", CitationText(record), TextFileKind::Document,
                                      keepExisting, console);
    std::string line;
    const Status quoted = CommandScriptLine(record, directoryText, program, line);
    if (!quoted.ok()) {
        console.Diagnose("no script to forward article " + std::to_string(record.pmid) + ": " + quoted.message());
        files.script = false;
        return files;
    }
    files.script = WriteArticleFile(base + ".cmd", line + "\n", TextFileKind::Script, keepExisting, console);
    return files;
}

}  // namespace lorvane
