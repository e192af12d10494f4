// A fetched answer of any bytes: its split into records and the fields of
// each, under every rule set. Nothing may crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runner/article_entries.h"
#include "runner/record_fetch.h"
#include "runner/record_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    lorvane::ArticleRecord record;
    lorvane::ExtractArticleFields(text, record, true);
    lorvane::RisCitation(record);
    std::string digest;
    for (bool plainText : {false, true}) lorvane::AppendArticleEntry(1, record, plainText, "/x", digest);
    // A forward link must fit what mail programs take, whatever the record.
    if (lorvane::ForwardLink(record).size() > lorvane::kMaxForwardLinkLength) std::abort();
    lorvane::ExtractAuthors(text);
    lorvane::ExtractTitle(text);
    lorvane::ExtractYear(text);
    lorvane::ExtractJournal(text);
    lorvane::ExtractVolume(text);
    lorvane::ExtractPages(text);
    for (bool cut : {false, true})
        for (const auto& [pmid, part] : lorvane::SplitMedlineRecords(text, cut)) {
            (void)pmid;
            lorvane::ExtractArticleFields(part, record);
        }
    return 0;
}
