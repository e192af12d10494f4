#include "runner/digest_writer.h"

#include "common/text.h"
#include "runner/article_entries.h"
#include "runner/run_context.h"
#include "runner/search_request.h"

namespace lorvane {
namespace {

// Returns the words of the count line before its link, or the empty text
// when every article found is listed.
std::string CountWords(int listed, int total, int following) {
    if (total <= listed) return std::string();
    std::string line = total >= kTotalBeyond ? "More than " + std::to_string(kTotalBeyond) : std::to_string(total);
    if (following > 0)
        return line + " new articles were found; " + std::to_string(listed) + " are listed here and " +
               std::to_string(following) + " more follow in the next runs; ";
    return line + " articles were found; the first " + std::to_string(listed) + " are listed here; ";
}

// Returns the words of the closing note, with each query shown by `shown`
// and the folder by `escape`, or the empty text when nothing was missed.
// It tells "nothing new" apart from "could not look".
template <typename Shown, typename Escape>
std::string ShortfallWords(const Shortfall& shortfall, Shown shown, Escape escape) {
    const std::string unkept = shortfall.unkept.empty()
                                   ? std::string()
                                   : "Lorvane could not keep its record in " + escape(shortfall.unkept) +
                                         (shortfall.onlyNew ? ": the next digest may repeat these articles."
                                                            : ": these articles are not watched for retractions.");
    if (shortfall.unsearched.empty() && shortfall.missed == 0 && shortfall.leftOut == 0 && !shortfall.unwatched)
        return unkept;
    auto list = [&shown](const std::vector<std::string>& queries) {
        std::string text;
        for (const std::string& query : queries) text += (text.empty() ? "" : "; ") + shown(query);
        return text;
    };
    std::string note = "Not everything could be looked at in this run";
    note += shortfall.timeUp ? " (it reached its time limit):" : ":";
    if (!shortfall.unsearched.empty())
        note += " " + std::to_string(shortfall.unsearched.size()) + " of " +
                Counted(shortfall.queryCount, "query", "queries") + " could not be searched (" +
                list(shortfall.unsearched) + ")" + (shortfall.missed ? ";" : ".");
    if (shortfall.missed)
        note += " " + Counted(shortfall.missed, "article", "articles") + " could not be fetched whole (" +
                list(shortfall.unfetched) + ").";
    if (shortfall.leftOut)
        note += " " + Counted(shortfall.leftOut, "article was", "articles were") +
                " left out: the digest reached its size limit.";
    if (shortfall.unwatched)
        note += std::string(note.back() == ':' ? " r" : " R") +
                "etractions of the articles you were sent could not be looked for; the next run looks again.";
    return unkept.empty() ? note : note + " " + unkept;
}

// A query as its heading shows it: "+" joins the words of a stored query.
std::string ShownQuery(const std::string& query) { return ReplaceChar(query, '+', ' '); }

std::string PastWords(bool daily) { return daily ? ") in the past day:" : ") in the past week:"; }

const char kRetractedHeading[] = "Retracted since Lorvane sent them";

class TextDigestWriter : public DigestWriter {
public:
    explicit TextDigestWriter(const DigestOptions& options) : DigestWriter(options) {}

    void RecordsArrived(const std::vector<std::int32_t>&, RecordCache&) override {}
    void Opening(const std::string& line) override {
        if (!line.empty()) m_text += line + "\n\n";
    }
    void RetractedHeading() override { m_text += std::string(kRetractedHeading) + "\n\n"; }
    void Heading(const std::string& query, bool daily) override {
        m_text += "Results for the PubMed query (" + ShownQuery(query) + PastWords(daily) + "\n\n";
    }
    void CountLine(int listed, int total, int following, const std::string& link) override {
        const std::string words = CountWords(listed, total, following);
        if (!words.empty()) m_text += words + "all of them: " + link + "\n\n";
    }
    void Note(const Shortfall& shortfall) override {
        const std::string note = ShortfallWords(shortfall, ShownQuery, [](const std::string& text) { return text; });
        if (!note.empty()) m_text += "\n" + note + "\n";
    }
    std::string Finish() override { return std::move(m_text += "\nThank you for using Lorvane!\n"); }

protected:
    void WriteEntry(int ordinal, FetchedRecord& fetched) override {
        AppendArticleEntry(ordinal, fetched.record, true, std::string(), m_text, fetched.files, m_options);
    }
};

class HtmlDigestWriter : public DigestWriter {
public:
    explicit HtmlDigestWriter(RunContext& context) : DigestWriter(context.settings.digest), m_context(context) {
        m_text = "<span> <p>";
    }

    void RecordsArrived(const std::vector<std::int32_t>& batch, RecordCache& records) override {
        for (const std::int32_t pmid : batch) {
            const auto fetched = records.find(pmid);
            if (fetched != records.end() && fetched->second.listed) WriteFiles(fetched->second);
        }
    }
    void Opening(const std::string& line) override {
        if (!line.empty()) m_text += HtmlEscape(line) + "<br>";
    }
    void RetractedHeading() override { m_text += std::string("<br><b>") + kRetractedHeading + "</b><br><br>"; }
    void Heading(const std::string& query, bool daily) override {
        m_text += "<br>Results for the PubMed query (<b>" + HtmlEscape(ShownQuery(query)) + "</b>" +
                  PastWords(daily) + "<br><br>";
    }
    void CountLine(int listed, int total, int following, const std::string& link) override {
        const std::string words = CountWords(listed, total, following);
        if (!words.empty()) m_text += words + "<a href=\"" + link + "\">all of them on PubMed</a><br><br>";
    }
    void Note(const Shortfall& shortfall) override {
        const std::string note =
            ShortfallWords(shortfall, [](const std::string& query) { return HtmlEscape(ShownQuery(query)); }, HtmlEscape);
        if (!note.empty()) m_text += "<br>" + note + "<br>";
    }
    std::string Finish() override { return std::move(m_text += "<br>Thank you for using Lorvane!<br></span>"); }

protected:
    void WriteEntry(int ordinal, FetchedRecord& fetched) override {
        WriteFiles(fetched);
        AppendArticleEntry(ordinal, fetched.record, false, m_context.directoryText, m_text, fetched.files,
                           m_options);
    }

private:
    // Writes the citation file and script of `fetched` unless this run did
    // so already; a record that did not arrive whole replaces no earlier
    // file.
    void WriteFiles(FetchedRecord& fetched) {
        if (fetched.filesWritten) return;
        fetched.files = WriteCitationFiles(fetched.record, m_context.directoryText, m_context.scriptProgram,
                                           m_context.console, !fetched.whole);
        fetched.filesWritten = true;
    }

    RunContext& m_context;
};

}  // namespace

void DigestWriter::Entry(int ordinal, FetchedRecord& fetched) {
    WriteEntry(ordinal, fetched);
    if (m_options.attachCitations && m_cited.insert(fetched.record.pmid).second)
        m_citations += RisCitation(fetched.record);
}

std::unique_ptr<DigestWriter> MakeDigestWriter(RunContext& context) {
    if (context.settings.plainText) return std::make_unique<TextDigestWriter>(context.settings.digest);
    return std::make_unique<HtmlDigestWriter>(context);
}

}  // namespace lorvane
