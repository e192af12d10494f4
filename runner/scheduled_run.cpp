#include "runner/scheduled_run.h"

#include <algorithm>
#include <set>

#include "common/mail_delivery.h"
#include "runner/record_fetch.h"
#include "runner/exit_status.h"
#include "runner/run_record.h"
#include "runner/runner_services.h"
#include "runner/search_window.h"

namespace lorvane {
namespace {

// Searches one query into `hit`. With `alreadySent`, keeps only the new
// articles not listed under an earlier query (`seen`), and searches again
// for all of them when one search does not list them all.
void SearchOneQuery(RunContext& context, const SentRecord* alreadySent, const SearchWindow& window,
                    const std::set<std::int32_t>& seen, QueryFindings& hit) {
    IdentifierArray ids{};
    const int count =
        context.TimeIsUp() ? 0 : SearchQuery(context, hit.query, window.start, window.end, ids, hit.status, &hit.total);
    hit.found.assign(ids.begin(), ids.begin() + std::max(count, 0));
    if (!alreadySent) return;
    if (hit.status == SearchStatus::Answered && hit.total > count) {
        // More than one search lists: all of them, so that those not sent
        // yet can come in this run or the next ones.
        std::vector<std::int32_t> all = SearchAllOf(context, hit.query, window.start, window.end, hit.total, hit.status);
        if (hit.status != SearchStatus::Failed) hit.found = std::move(all);
        hit.following = std::max(0, hit.total - static_cast<int>(hit.found.size()));
    }
    std::vector<std::int32_t>& found = hit.found;
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](std::int32_t pmid) { return alreadySent->mailed.count(pmid) || seen.count(pmid); }),
                found.end());
    hit.total = static_cast<int>(found.size()) + hit.following;
    if (found.size() > static_cast<std::size_t>(kSearchRetMax)) {
        hit.following += static_cast<int>(found.size()) - kSearchRetMax;
        found.resize(kSearchRetMax);
    }
}

// Looks for the articles of `record` retracted since they were mailed and
// not reported yet, from the day RetractionWindowStart gives to `today`,
// and puts them first among the articles `findings` fetches.
void WatchRetractions(RunContext& context, const SentRecord& record, int today, RunFindings& findings) {
    QueryFindings& watch = findings.retracted;
    findings.watching = true;
    // Its name where the note says what could not be fetched.
    watch.query = "retracted articles";
    context.console.ShowProgress("retractions");
    std::vector<std::int32_t> ids;
    if (!context.TimeIsUp())
        ids = SearchRetractions(context, SearchDateText(RetractionWindowStart(record, today), true),
                                SearchDateText(today, true), watch.status);
    std::set<std::int32_t> taken;
    for (const std::int32_t pmid : ids)
        if (record.mailed.count(pmid) && !record.retracted.count(pmid) && taken.insert(pmid).second)
            watch.found.push_back(pmid);
    findings.distinct = watch.found;
}

// Adds the entries of `hit` to `writer`: the identifiers of those listed
// whole go to the tally's listed ones, or to its reported ones for the
// retracted articles (`retractions`: only those whose record marks them
// so) and those the service marks retracted; what it missed goes to
// `shortfall`. Returns how many entries it added.
int ListEntries(QueryFindings& hit, RecordCache& records, DigestWriter& writer, bool retractions,
                ScheduledRunTally& tally, Shortfall& shortfall) {
    const std::size_t reachable = std::min(hit.reachable, hit.found.size());
    int ordinal = 0, missed = static_cast<int>(hit.found.size() - reachable);
    for (std::size_t i = 0; i < reachable; ++i) {
        FetchedRecord& fetched = records[hit.found[i]];
        if (!fetched.listed || !fetched.whole) ++missed;
        if (!fetched.listed) continue;
        // The record has the last word: one the search named but that
        // carries no mark of a retraction is no retraction to report.
        if (retractions && fetched.whole && !fetched.record.retracted && fetched.record.retractedIn.empty())
            continue;
        if (writer.size() >= kMaxDigestBytes) {
            ++shortfall.leftOut;
            continue;
        }
        writer.Entry(++ordinal, fetched);
        if (!fetched.whole) continue;
        if (!retractions) tally.listed.push_back(fetched.record.pmid);
        if (retractions || fetched.record.retracted) tally.reported.push_back(fetched.record.pmid);
    }
    shortfall.missed += missed;
    if (missed) shortfall.unfetched.push_back(hit.query);
    return ordinal;
}

// Adds the heading, count line and entries of one query to `writer`, and
// what it listed and missed to `tally` and `shortfall`.
void ComposeQuery(RunContext& context, const SearchWindow& window, QueryFindings& hit, RecordCache& records,
                  DigestWriter& writer, ScheduledRunTally& tally, Shortfall& shortfall) {
    writer.Heading(hit.query, context.settings.frequency == AlertFrequency::Daily);
    writer.CountLine(static_cast<int>(hit.found.size()), hit.total, hit.following,
                     PubmedSearchLink(QueryTextAsUtf8(hit.query), window.start, window.end, window.linkByEntryDate));
    tally.articles += ListEntries(hit, records, writer, false, tally, shortfall);
}

// Adds the section of the retracted articles, when there are any, to
// `writer`, and to `tally` and `shortfall` what it reported and missed.
void ComposeRetractions(RunFindings& findings, DigestWriter& writer, ScheduledRunTally& tally,
                        Shortfall& shortfall) {
    if (!findings.watching) return;
    tally.unwatched = shortfall.unwatched = findings.retracted.status != SearchStatus::Answered;
    const int missed = shortfall.missed;
    if (!findings.retracted.found.empty()) {
        writer.RetractedHeading();
        tally.retractions = ListEntries(findings.retracted, findings.records, writer, true, tally, shortfall);
    }
    tally.watched = !tally.unwatched && shortfall.missed == missed;
}

}  // namespace

SearchWindow ChooseSearchWindow(const RunContext& context, const SentRecord* alreadySent, int today,
                                const std::vector<Moment>& missed) {
    if (!alreadySent && !missed.empty() && today != kNoDay) {
        // The window of the oldest run missed, to now.
        const int span = context.settings.frequency == AlertFrequency::Daily ? 1 : 7;
        const int start = std::max(MomentDay(missed.front()) - span, today - kLongestMakeUpDays);
        return {SearchDateText(start), FormatMaxDate(context.clock), false};
    }
    if (!alreadySent)
        return {FormatMinDate(context.settings.frequency, context.clock), FormatMaxDate(context.clock), false};
    return {SearchDateText(NewArticlesWindowStart(*alreadySent, today, context.settings.frequency), true),
            SearchDateText(today, true), true};
}

void SearchQueries(RunContext& context, const SentRecord* alreadySent, RunFindings& findings,
                   const std::function<void()>& found) {
    const auto& queries = context.settings.queries;
    const auto queryCount = std::count_if(queries.begin(), queries.end(), [](const std::string& q) { return !q.empty(); });
    std::set<std::int32_t> seen;
    const std::set<std::int32_t> retracted(findings.retracted.found.begin(), findings.retracted.found.end());
    for (const std::string& query : queries) {
        if (query.empty()) continue;
        findings.queries.emplace_back();
        QueryFindings& hit = findings.queries.back();
        hit.query = query;
        context.console.ShowProgress("query " + std::to_string(findings.queries.size()) + " of " +
                                     std::to_string(queryCount));
        SearchOneQuery(context, alreadySent, findings.window, seen, hit);
        findings.moreToFollow = findings.moreToFollow || hit.following > 0;
        if (hit.found.empty()) continue;
        for (const std::int32_t pmid : hit.found) {
            if (!seen.insert(pmid).second) continue;
            ++findings.found;
            if (!retracted.count(pmid)) findings.distinct.push_back(pmid);
        }
        found();
    }
}

std::string ComposeDigest(RunContext& context, RunFindings& findings, DigestWriter& writer,
                          ScheduledRunTally& tally, const std::string& unkept) {
    Shortfall shortfall;
    shortfall.unkept = unkept;
    shortfall.onlyNew = context.settings.onlyNew;
    ComposeRetractions(findings, writer, tally, shortfall);
    bool allAnswered = true;
    for (QueryFindings& hit : findings.queries) {
        // A search whose answer broke off was not searched whole: its note
        // says so, though what arrived is listed.
        if (hit.status != SearchStatus::Answered) shortfall.unsearched.push_back(hit.query);
        allAnswered = allAnswered && hit.status == SearchStatus::Answered;
        if (!hit.found.empty())
            ComposeQuery(context, findings.window, hit, findings.records, writer, tally, shortfall);
    }
    tally.queries = shortfall.queryCount = static_cast<int>(findings.queries.size());
    tally.unsearched = static_cast<int>(shortfall.unsearched.size());
    tally.found = findings.found;
    tally.timeUp = shortfall.timeUp = context.TimeIsUp();
    tally.moreToFollow = findings.moreToFollow;
    // Headings without a single article are no results to mail; a
    // retraction found is.
    tally.anyHits = tally.articles > 0 || tally.retractions > 0;
    if (tally.found > 0 && !tally.anyHits)
        context.console.Line("No article could be fetched; the digest is not mailed.");
    tally.complete =
        allAnswered && shortfall.missed == 0 && shortfall.leftOut == 0 && !tally.timeUp && !tally.unwatched;
    if (tally.timeUp)
        context.console.Line("This run reached its time limit and stopped looking; what it found is "
                             "kept and mailed.");
    writer.Note(shortfall);
    tally.citations = writer.TakeCitations();
    return writer.Finish();
}

std::string RunScheduledAlert(RunContext& context, const RunState& state, const std::vector<Moment>& missed,
                              ScheduledRunTally& tally) {
    RunFindings findings;
    const SentRecord* alreadySent = state.onlyNew ? &state.record : nullptr;
    findings.window = ChooseSearchWindow(context, alreadySent, state.today, missed);
    const std::unique_ptr<DigestWriter> writer = MakeDigestWriter(context);
    writer->Opening(MakeUpLine(missed));
    if (state.watching) WatchRetractions(context, state.record, state.today, findings);
    // A batch of records is asked for as soon as the searches have found
    // enough to fill it, so that its files are written while the next
    // searches wait for their turn; the rest after the last search.
    SearchQueries(context, alreadySent, findings, [&] { FetchRecordBatches(context, findings, false, *writer); });
    FetchRecordBatches(context, findings, true, *writer);
    FetchArticles(context, findings);
    context.console.EndProgress();
    return ComposeDigest(context, findings, *writer, tally, state.unkept);
}

int RunScheduledSearch(RunContext& context, bool byScheduler) {
    const AlertSettings& settings = context.settings;
    const DueRun due = CheckDueRun(context);
    // The scheduler offers a chance every hour: only a due one runs.
    if (byScheduler && !due.due) return kExitDone;
    RunState state = LoadRunState(context, due);
    ScheduledRunTally tally;
    const std::string digest =
        RunScheduledAlert(context, state, byScheduler ? due.missed : std::vector<Moment>(), tally);
    std::vector<MailAttachment> attachments;
    if (!tally.citations.empty())
        attachments.push_back({"lorvane-" + NowStamp(context).substr(0, 10) + ".ris",
                               "application/x-research-info-systems", tally.citations});
    const MailOutcome mail =
        tally.anyHits ? DeliverMail(context.mailTransport, context.console,
                                    LorvaneMessage(settings.email, settings.email, MailSubject(kPeriodicResultsMail),
                                                   digest, !settings.plainText, attachments))
                      : MailOutcome();
    const bool recordKept =
        !(state.onlyNew || state.watching) || RecordSentArticles(context, state, tally, mail.delivered);
    WriteDebugCopy(context.console, digest);
    const int status = RecordRun(context, state, tally, mail, recordKept);
    context.transcript.output().Write(digest);
    return status;
}

}  // namespace lorvane
