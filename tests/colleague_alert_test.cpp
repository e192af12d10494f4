// The colleague's message built from a citation file.
#include <gtest/gtest.h>

#include <sstream>

#include "runner/colleague_alert.h"

namespace lorvane {
namespace {

const char kStart[] =
    "<html><body>Dear colleague,<br><br>I wanted to tell about this newly published article:<br><br>";
const char kLink[] =
    "<br>PMID: <a href=\"http://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=pubmed&dopt="
    "Abstract&list_uids=";
const char kEnd[] = "<br><hr>Thank you for using Lorvane!</body></html>";

std::string Compose(const std::string& citation, const std::string& id = "17284678",
                    const std::string& colleague = "friend@example.org") {
    std::istringstream in(citation);
    return ComposeColleagueMessage(in, id, colleague);
}

TEST(ColleagueAlert, MessageFromACitationFile) {
    EXPECT_EQ(Compose("%A J. A. Smith\n%A B. Doe\n%T  Molecular basis of X. \n%D 2007\n"
                      "%0 Journal Article\n%J  J Biol Chem\n%V 282\n%P 9475-81\n%T ignored after P\n"),
              std::string(kStart) +
                  "J. A. Smith, B. Doe, <b> Molecular basis of X. </b> (2007)<i> J Biol Chem</i> "
                  "<b>282</b> 9475-81" +
                  kLink + "17284678\">17284678</a><br><br>friend@example.org" + kEnd);
}

TEST(ColleagueAlert, ReadingStopsAtAnEmptyLineAndShortLinesGiveNothing) {
    EXPECT_EQ(Compose("%T Title\r\n%A\n%D \n\n%J After the gap\n%P 1\n", "5"),
              std::string(kStart) + "<b>Title</b>,  ()" + kLink + "5\">5</a><br><br>friend@example.org" +
                  kEnd);
    EXPECT_EQ(Compose("", "5"),
              std::string(kStart) + kLink + "5\">5</a><br><br>friend@example.org" + kEnd);
}

TEST(ColleagueAlert, ValuesAreEscaped) {
    const std::string message = Compose("%T p<0.05 & <script>x</script>\n%A O<Brien\n", "1<2",
                                        "<b>friend</b>@example.org");
    EXPECT_NE(message.find("<b>p&lt;0.05 &amp; &lt;script&gt;x&lt;/script&gt;</b>O&lt;Brien, "),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("list_uids=1&lt;2\">1&lt;2</a>"), std::string::npos);
    EXPECT_NE(message.find("&lt;b&gt;friend&lt;/b&gt;@example.org<br><hr>"), std::string::npos);
    const std::string longLine(5000, 'w');
    EXPECT_NE(Compose("%T " + longLine + "\n").find(longLine), std::string::npos);
}

TEST(ColleagueAlert, IdentifierIsTheFileNameUpToItsFirstDot) {
    EXPECT_EQ(ArticleIdentifier("/home/r/.local/share/Lorvane/17284678.enw"), "17284678");
    EXPECT_EQ(ArticleIdentifier("C:/Program Files/Lorvane!/123.enw"), "123");
    EXPECT_EQ(ArticleIdentifier("C:\\Users\\r\\Lorvane\\456.enw"), "456");
    EXPECT_EQ(ArticleIdentifier("45.enw.bak"), "45");
    EXPECT_EQ(ArticleIdentifier("/a.b/noext"), "noext");
}

}  // namespace
}  // namespace lorvane
