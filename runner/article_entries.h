// The digest entry of one article and, for HTML digests, its citation
// file (PMID.enw, EndNote tagged format) and command script (PMID.cmd,
// which starts the runner again to forward the article to a colleague).
#pragma once

#include <string>

#include "common/alert_settings.h"
#include "common/console.h"
#include "common/status.h"
#include "runner/record_fields.h"

namespace lorvane {

// Which of an article's two files are there for its entry to link to.
struct ArticleFiles {
    bool citation = true;  // PMID.enw
    bool script = true;    // PMID.cmd
};

// Appends the entry of article `ordinal` (1 for a query's first) to
// `digest`: HTML with links to the PubMed abstract and to those of the
// article's two files in `directoryText` that `files` says are there, or
// plain text with the abstract link. Record fields are HTML-escaped in
// the HTML entry and kept raw in text. A title the service marks as
// retracted or as a retraction notice gets "[Retracted]" or "[Retraction
// notice]" before it, and each notice of a retracted article follows as a
// line "Retraction notice: " with its citation and PubMed link. With the
// `options` of the digest, an HTML entry ends in a "Forward" link
// (ForwardLink), and an entry of either kind is followed by the record's
// abstract and DOI link.
void AppendArticleEntry(int ordinal, const ArticleRecord& record, bool plainText,
                        const std::string& directoryText, std::string& digest,
                        const ArticleFiles& files = ArticleFiles(),
                        const DigestOptions& options = DigestOptions());

// Returns a mailto: link (RFC 6068) without a recipient that opens the
// reader's own mail program on a message about `record`: its title as the
// subject, its authors, title, journal line and PubMed address as the
// body. At most kMaxForwardLinkLength characters: a long author list is
// cut to the first author and "et al.", then the title is shortened.
std::string ForwardLink(const ArticleRecord& record);
constexpr std::size_t kMaxForwardLinkLength = 2000;

// Returns the address of PubMed's page of article `pmid`.
std::string PubmedPageLink(std::int32_t pmid);

// Returns the RIS record (UTF-8, CR LF line ends) of `record`: TY JOUR,
// one AU per author, TI, JO, PY, VL, IS, SP and EP, AN the PMID, DO when
// there is a DOI, UR its PubMed page, AB when there is an abstract, N1 a
// note when it is retracted (with its notices) or a retraction notice, ER.
std::string RisCitation(const ArticleRecord& record);

// Returns the "%A " line of one author piece (without a line end): the
// initials, the word after the piece's last blank, each followed by ". ",
// then the words before it joined by one blank ("%A J. van der Berg"). A
// piece without a blank is all surname.
std::string AuthorLine(const std::string& piece);

// Returns the lines of the citation file of `record`, each ending in "\n":
// one "%A " line per non-empty comma-separated author piece, then %T, %D,
// "%0 Journal Article", %J, %V and %P.
std::string CitationText(const ArticleRecord& record);

// Sets `line` to the command script's one line (without a line end): the
// quoted `program` and the quoted path of the citation file in
// `directoryText`, each as the platform's shell takes it literally. Fails
// when the shell cannot take a path so.
Status CommandScriptLine(const ArticleRecord& record, const std::string& directoryText,
                         const std::string& program, std::string& line);

// Writes the citation file and then the command script of `record` (which
// starts `program`) into `directoryText`, each whole or not at all, the
// script runnable, replacing older ones unless `keepExisting` (a record
// that did not arrive whole must not replace good files of an earlier
// run). A file that cannot be written is reported on `console` and
// skipped; the other is still attempted. A script whose paths the shell
// cannot take literally is not written, and `console` says why. Returns
// which of the two files are there now.
ArticleFiles WriteCitationFiles(const ArticleRecord& record, const std::string& directoryText,
                        const std::string& program, Console& console, bool keepExisting = false);

}  // namespace lorvane
