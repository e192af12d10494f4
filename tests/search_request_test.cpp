// The esearch request path and the reading of its answer.
#include <gtest/gtest.h>

#include "runner/search_request.h"

namespace lorvane {
namespace {

TEST(SearchRequest, PathCarriesTheQueryAsTyped) {
    EXPECT_EQ(BuildSearchPath("breast+cancer", "2007/3/1", "2007/3/8"),
              "/entrez/eutils/esearch.fcgi?db=pubmed&term=breast+cancer&fulltext[filter]"
              "&retmax=50&mindate=2007/3/1&maxdate=2007/3/8");
    EXPECT_EQ(BuildSearchPath("\"heart+attack\"[tiab]+a+b", "1", "2"),
              "/entrez/eutils/esearch.fcgi?db=pubmed&term=\"heart+attack\"[tiab]+a+b"
              "&fulltext[filter]&retmax=50&mindate=1&maxdate=2");
}

TEST(SearchRequest, EncodesWhatWouldChangeTheRequest) {
    const std::string path = BuildSearchPath("#1+AND+#2 x&y 50%\t\xc3\xa9\x7f", "1", "2");
    EXPECT_EQ(path,
              "/entrez/eutils/esearch.fcgi?db=pubmed&term=%231+AND+%232+x%26y+50%25%09%C3%A9%7F"
              "&fulltext[filter]&retmax=50&mindate=1&maxdate=2");
}

TEST(SearchRequest, LongQueriesAreSentWhole) {
    const std::string query(500, 'q');
    EXPECT_NE(BuildSearchPath(query, "1", "2").find(query + "&fulltext"), std::string::npos);
}

TEST(SearchRequest, IdentifiersAreReadLikeAtoi) {
    IdentifierArray ids{};
    const std::string answer =
        "<?xml version=\"1.0\" ?>\n<eSearchResult><Count>4</Count><IdList>\n"
        "<Id>17284678</Id>\n"
        "   <Id>18000003</Id>\n"
        "\n\n"
        "<Id>42abc</Id>\n"
        "<Id></Id>\n"
        "<Id>-7</Id>\n"
        "</IdList></eSearchResult>\n";
    ASSERT_EQ(ExtractIdentifiers(answer, ids), 5);
    EXPECT_EQ(ids[0], 17284678);
    EXPECT_EQ(ids[1], 18000003);
    EXPECT_EQ(ids[2], 42);
    EXPECT_EQ(ids[3], 0);
    EXPECT_EQ(ids[4], -7);
}

TEST(SearchRequest, AnswersWithoutIdsAndOverfullAnswers) {
    IdentifierArray ids{};
    ids[0] = 99;
    EXPECT_EQ(ExtractIdentifiers("<eSearchResult><Count>0</Count><IdList/></eSearchResult>\n", ids), 0);
    EXPECT_EQ(ExtractIdentifiers("<eSearchResult><ERROR>Invalid query</ERROR></eSearchResult>", ids), 0);
    EXPECT_EQ(ids[0], 99);

    std::string many;
    for (int i = 1; i <= 1500; ++i) many += "<Id>" + std::to_string(i) + "</Id>\n";
    EXPECT_EQ(ExtractIdentifiers(many, ids), 1000);
    EXPECT_EQ(ids[999], 1000);
    // The result's own count, not that of a term in its translation.
    EXPECT_EQ(ExtractTotal("<Count>120</Count><IdList/><TranslationStack><Count>5</Count>"), 120);
    EXPECT_EQ(ExtractTotal(many), -1);
}

}  // namespace
}  // namespace lorvane
