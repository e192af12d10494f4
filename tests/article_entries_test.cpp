// Digest entries in both formats, and the citation file and command
// script of an article.
#include <gtest/gtest.h>

#include "runner/article_entries.h"

namespace lorvane {
namespace {

ArticleRecord Sample() {
    ArticleRecord r;
    r.pmid = 17284678;
    r.authors = "Smith JA, Doe B";
    r.title = " Molecular basis of X. ";
    r.year = "2007";
    r.journal = " J Biol Chem";
    r.volume = "282";
    r.pages = "9475-81";
    return r;
}

const char kLink[] =
    "http://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=pubmed&dopt=Abstract&list_uids=";

TEST(ArticleEntries, HtmlEntry) {
    std::string digest = "before|";
    AppendArticleEntry(2, Sample(), false, "C:/Program Files/Lorvane!", digest);
    EXPECT_EQ(digest,
              std::string("before|2. Smith JA, Doe B. <b> Molecular basis of X. </b>  J Biol Chem. "
                          "282, 9475-81 (2007). PubMed: <a href=\"") +
                  kLink +
                  "17284678\">17284678</a> | <a href=\"file://C:/Program Files/Lorvane!/"
                  "17284678.enw\">Export citation </a> |  <a href=\"file://C:/Program Files/"
                  "Lorvane!/17284678.cmd\">Send an e-mail about this article to a colleague</a>"
                  "<br><br>");
}

TEST(ArticleEntries, TextEntry) {
    std::string digest;
    AppendArticleEntry(1, Sample(), true, "/unused", digest);
    EXPECT_EQ(digest, std::string("1. Smith JA, Doe B.  Molecular basis of X.  J Biol Chem. 282, "
                                  "9475-81 (2007). PubMed: ") +
                          kLink + "17284678\n\n");
}

TEST(ArticleEntries, EmptyAuthorsAndFields) {
    ArticleRecord r;
    r.pmid = 5;
    std::string html, text;
    AppendArticleEntry(1, r, false, "/d", html);
    AppendArticleEntry(1, r, true, "/d", text);
    EXPECT_EQ(html.substr(0, 15), "1. <b></b> . , ");
    EXPECT_EQ(text.substr(0, 21), "1. . ,  (). PubMed: h");
}

TEST(ArticleEntries, HtmlEscapesRecordTextOnly) {
    ArticleRecord r = Sample();
    r.title = " p<0.05 in CD4+ & CD8+ cells <script> ";
    r.authors = "O<Brien A";
    std::string html, text;
    AppendArticleEntry(1, r, false, "/d", html);
    AppendArticleEntry(1, r, true, "/d", text);
    EXPECT_NE(html.find("1. O&lt;Brien A. <b> p&lt;0.05 in CD4+ &amp; CD8+ cells &lt;script&gt; </b>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("&db=pubmed&dopt"), std::string::npos);  // the link itself is kept
    EXPECT_EQ(text.find("1. O<Brien A.  p<0.05 in CD4+ & CD8+ cells <script>  J Biol"), 0u) << text;
}

TEST(ArticleEntries, AuthorLines) {
    EXPECT_EQ(AuthorLine("Smith JA"), "%A J. A. Smith");
    EXPECT_EQ(AuthorLine(" van der Berg J"), "%A J. van der Berg");
    EXPECT_EQ(AuthorLine(" O'Neill XYZ"), "%A X. Y. Z. O'Neill");
    EXPECT_EQ(AuthorLine(" "), "%A ");
    EXPECT_EQ(AuthorLine("Example Trial Group"), "%A G. r. o. u. p. Example Trial");
    EXPECT_EQ(AuthorLine("Consortium"), "%A Consortium");  // no blank: all surname
    EXPECT_EQ(AuthorLine("Smith   J"), "%A J. Smith");
    EXPECT_EQ(AuthorLine("Doe "), "%A Doe");
    // An initial is a whole character, never one byte of it.
    EXPECT_EQ(AuthorLine("M\xC3\xBCller-\xC5\x81ukasiewicz \xC3\x96J"),
              "%A \xC3\x96. J. M\xC3\xBCller-\xC5\x81ukasiewicz");
    const std::string initials(150, 'Q');
    EXPECT_EQ(AuthorLine("Long " + initials).size(), 3 + 150 * 3 + 4);
}

TEST(ArticleEntries, CitationText) {
    ArticleRecord r = Sample();
    r.authors = ",Smith JA,, van der Berg J, ";
    EXPECT_EQ(CitationText(r),
              "%A J. A. Smith\n"
              "%A J. van der Berg\n"
              "%A \n"
              "%T  Molecular basis of X. \n"
              "%D 2007\n"
              "%0 Journal Article\n"
              "%J  J Biol Chem\n"
              "%V 282\n"
              "%P 9475-81\n");
    r.authors.clear();
    EXPECT_EQ(CitationText(r).substr(0, 3), "%T ");
}

}  // namespace
}  // namespace lorvane
