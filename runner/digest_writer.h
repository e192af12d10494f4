// The digest in one of its two formats: a writer per format owns its
// headings, count lines, entries, closing note and text, the files an HTML
// entry links to, and the citations attached to the mail.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/alert_settings.h"
#include "runner/record_fetch.h"

namespace lorvane {

struct RunContext;

// What a run could not look at, for the note that ends its digest.
struct Shortfall {
    std::vector<std::string> unsearched;  // queries that could not be searched
    int queryCount = 0;                   // non-empty queries
    std::vector<std::string> unfetched;   // queries some of whose articles were missed
    int missed = 0;                       // articles not fetched whole
    int leftOut = 0;                      // articles left out: the digest reached its size limit
    bool timeUp = false;                  // the run reached its time limit
    std::string unkept;                   // the folder the record of mailed articles cannot be kept in
    bool onlyNew = true;                  // the record keeps digests from repeating articles
    bool unwatched = false;               // the search for retractions could not be made whole
};

class DigestWriter {
public:
    virtual ~DigestWriter() = default;

    // The records of `batch` arrived in `records`: an HTML digest writes
    // their files now, while the next request waits for its turn.
    virtual void RecordsArrived(const std::vector<std::int32_t>& batch, RecordCache& records) = 0;
    // Adds `line` before the first heading, when it is not empty.
    virtual void Opening(const std::string& line) = 0;
    // Adds the heading of the articles mailed before and retracted since.
    virtual void RetractedHeading() = 0;
    // Adds the heading of `query`, whose window is the past day or week.
    virtual void Heading(const std::string& query, bool daily) = 0;
    // Adds the line under a heading when fewer articles are listed than
    // were found: how many of each, how many follow in the next runs, and
    // `link` to them all on PubMed. Nothing when all are listed.
    virtual void CountLine(int listed, int total, int following, const std::string& link) = 0;
    // Adds the entry of article `ordinal` of its query, writing its files
    // first where the format links to them, and cites it when the digest
    // attaches citations.
    void Entry(int ordinal, FetchedRecord& fetched);
    // Adds the note of what could not be looked at, when anything was missed.
    virtual void Note(const Shortfall& shortfall) = 0;
    // Ends the digest and hands it over.
    virtual std::string Finish() = 0;

    // The digest so far, in bytes.
    std::size_t size() const { return m_text.size(); }
    // Takes the RIS records of the articles listed, in the digest's order,
    // each once; empty unless the digest attaches citations.
    std::string TakeCitations() { return std::move(m_citations); }

protected:
    explicit DigestWriter(const DigestOptions& options) : m_options(options) {}
    virtual void WriteEntry(int ordinal, FetchedRecord& fetched) = 0;

    const DigestOptions m_options;
    std::string m_text;

private:
    std::set<std::int32_t> m_cited;
    std::string m_citations;
};

// Returns the writer of the format the settings of `context` choose.
std::unique_ptr<DigestWriter> MakeDigestWriter(RunContext& context);

}  // namespace lorvane
