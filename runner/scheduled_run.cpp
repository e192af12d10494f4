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

// Adds the heading, count line and entries of one query to `writer`, and
// what it listed and missed to `tally` and `shortfall`.
void ComposeQuery(RunContext& context, const SearchWindow& window, QueryFindings& hit, RecordCache& records,
                  DigestWriter& writer, ScheduledRunTally& tally, Shortfall& shortfall) {
    writer.Heading(hit.query, context.settings.frequency == AlertFrequency::Daily);
    writer.CountLine(static_cast<int>(hit.found.size()), hit.total, hit.following,
                     PubmedSearchLink(QueryTextAsUtf8(hit.query), window.start, window.end, window.linkByEntryDate));
    const std::size_t reachable = std::min(hit.reachable, hit.found.size());
    int ordinal = 0, missed = static_cast<int>(hit.found.size() - reachable);
    for (std::size_t i = 0; i < reachable; ++i) {
        FetchedRecord& fetched = records[hit.found[i]];
        if (!fetched.listed || !fetched.whole) ++missed;
        if (!fetched.listed) continue;
        if (writer.size() >= kMaxDigestBytes) {
            ++shortfall.leftOut;
            continue;
        }
        writer.Entry(++ordinal, fetched);
        if (fetched.whole) tally.listed.push_back(fetched.record.pmid);
    }
    tally.articles += ordinal;
    shortfall.missed += missed;
    if (missed) shortfall.unfetched.push_back(hit.query);
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
        for (const std::int32_t pmid : hit.found)
            if (seen.insert(pmid).second) findings.distinct.push_back(pmid);
        found();
    }
}

std::string ComposeDigest(RunContext& context, RunFindings& findings, DigestWriter& writer,
                          ScheduledRunTally& tally, const std::string& unkept) {
    Shortfall shortfall;
    shortfall.unkept = unkept;
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
    tally.found = static_cast<int>(findings.distinct.size());
    tally.timeUp = shortfall.timeUp = context.TimeIsUp();
    tally.moreToFollow = findings.moreToFollow;
    // Headings without a single article are no results to mail.
    tally.anyHits = tally.articles > 0;
    if (tally.found > 0 && tally.articles == 0)
        context.console.Line("No article could be fetched; the digest is not mailed.");
    tally.complete = allAnswered && shortfall.missed == 0 && shortfall.leftOut == 0 && !tally.timeUp;
    if (tally.timeUp)
        context.console.Line("This run reached its time limit and stopped looking; what it found is "
                             "kept and mailed.");
    writer.Note(shortfall);
    tally.citations = writer.TakeCitations();
    return writer.Finish();
}

std::string RunScheduledAlert(RunContext& context, const SentRecord* alreadySent, int today,
                              const std::vector<Moment>& missed, ScheduledRunTally& tally,
                              const std::string& unkept) {
    RunFindings findings;
    findings.window = ChooseSearchWindow(context, alreadySent, today, missed);
    const std::unique_ptr<DigestWriter> writer = MakeDigestWriter(context);
    writer->Opening(MakeUpLine(missed));
    // A batch of records is asked for as soon as the searches have found
    // enough to fill it, so that its files are written while the next
    // searches wait for their turn; the rest after the last search.
    SearchQueries(context, alreadySent, findings, [&] { FetchRecordBatches(context, findings, false, *writer); });
    FetchRecordBatches(context, findings, true, *writer);
    FetchArticles(context, findings);
    context.console.EndProgress();
    return ComposeDigest(context, findings, *writer, tally, unkept);
}

int RunScheduledSearch(RunContext& context, bool byScheduler) {
    const AlertSettings& settings = context.settings;
    const DueRun due = CheckDueRun(context);
    // The scheduler offers a chance every hour: only a due one runs.
    if (byScheduler && !due.due) return kExitDone;
    RunState state = LoadRunState(context, due);
    ScheduledRunTally tally;
    const std::string digest = RunScheduledAlert(context, state.onlyNew ? &state.record : nullptr, state.today,
                                                 byScheduler ? due.missed : std::vector<Moment>(), tally,
                                                 state.unkept);
    std::vector<MailAttachment> attachments;
    if (!tally.citations.empty())
        attachments.push_back({"lorvane-" + NowStamp(context).substr(0, 10) + ".ris",
                               "application/x-research-info-systems", tally.citations});
    const MailOutcome mail =
        tally.anyHits ? DeliverMail(context.mailTransport, context.console,
                                    LorvaneMessage(settings.email, settings.email, MailSubject(kPeriodicResultsMail),
                                                   digest, !settings.plainText, attachments))
                      : MailOutcome();
    const bool recordKept = !state.onlyNew || RecordSentArticles(context, state.today, tally, mail.delivered);
    WriteDebugCopy(context.console, digest);
    const int status = RecordRun(context, state, tally, mail, recordKept);
    context.transcript.output().Write(digest);
    return status;
}

}  // namespace lorvane
