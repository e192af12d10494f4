// Benchmarks of the alert runner, printed as figures (nothing is asserted):
//   0. what writing a small file whole costs on the benchmark's disk;
//   1. whole runs of 1 x 50, 20 x 50 and 200 x 50 distinct hits against the
//      local E-utilities stand-in, in HTML mode (two files per article) and
//      in text mode: the requests sent; the unpaced wall time
//      against curl sending the same requests over one kept-alive
//      connection; the wall time paced at 110 ms (LORVANE_EUTILS_PACE_MS,
//      the pace with an API key) against the pacing floor (requests x
//      110 ms); both against the careful peer, a Biopython script that does
//      one search and one batched fetch per query (when Debian's
//      python3-biopython is installed; blank otherwise); the runner's peak RSS;
//   2. a run with only new articles over a record of five years of digests,
//      with and without the retraction watch: requests, time, peak RSS and
//      the size of the record;
//   3. field extraction speed of each record form over one large record.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runner/record_fields.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Grows a record to about `bytes` by repeating its author lines.
std::string LargeAsn1(const std::string& record, std::size_t bytes, bool html) {
    const std::string quote = html ? "&quot;" : "\"";
    const std::string marker = "        names ml {\n";
    const std::size_t at = record.find(marker);
    std::string names;
    for (int i = 0; names.size() + record.size() < bytes; ++i)
        names += "          " + quote + "Author" + std::to_string(i) + " AB" + quote + ",\n";
    std::string large = record;
    large.insert(at + marker.size(), names);
    return large;
}

std::string LargeMedline(const std::string& record, std::size_t bytes) {
    const std::size_t at = record.find("AU  - ");
    std::string names;
    for (int i = 0; names.size() + record.size() < bytes; ++i)
        names += "FAU - Author" + std::to_string(i) + ", Anna B\nAU  - Author" + std::to_string(i) +
                 " AB\n";
    std::string large = record;
    large.insert(at, names);
    return large;
}

void BenchExtraction(const char* form, const std::string& text) {
    lorvane::ArticleRecord record;
    int rounds = 0;
    const auto start = Clock::now();
    double seconds = 0;
    do {
        lorvane::ExtractArticleFields(text, record);
        ++rounds;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 1.0);
    const double megabytes = static_cast<double>(text.size()) * rounds / (1024.0 * 1024.0);
    std::printf("extraction  %-12s %6.2f MB record  %8.1f MB/s  (%zu author bytes)\n", form,
                static_cast<double>(text.size()) / (1024.0 * 1024.0), megabytes / seconds,
                record.authors.size());
}

// One stand-in over `queries` queries of `hits` distinct hits each, and
// the further searches `moreSearches` (JSON members); its records are one
// fixture, answered under each asked identifier.
class BenchStandIn {
public:
    BenchStandIn(const std::string& dir, int queries, int hits, const std::string& moreSearches = "") {
        std::ostringstream scenario;
        scenario << "{\"fixtures\": \"" LORVANE_FIXTURES_DIR "\", \"esearch\": {";
        for (int q = 0; q < queries; ++q) {
            scenario << (q ? ", " : "") << "\"query" << q << "\": {\"ids\": [";
            for (int i = 0; i < hits; ++i) scenario << (i ? ", " : "") << 30000000 + q * 100 + i;
            scenario << "]}";
        }
        scenario << moreSearches << "}, \"default_efetch\": {\"file\": \"medline_17284678.txt\"}, "
                    "\"default_pmid\": \"asked\"}";
        std::ofstream(dir + "/scenario.json") << scenario.str();
        m_log = dir + "/requests.log";
        int out[2];
        if (pipe(out) != 0) return;
        std::fflush(stdout);  // children must not print what is buffered here
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], 1);
            execlp("python3", "python3", LORVANE_STANDIN_SCRIPT, "--scenario",
                   (dir + "/scenario.json").c_str(), "--log", m_log.c_str(), "--lifetime", "3600",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char line[64] = "";
        FILE* reader = fdopen(out[0], "r");
        if (std::fgets(line, sizeof line, reader)) std::sscanf(line, "PORT %d", &m_port);
        std::fclose(reader);
    }
    ~BenchStandIn() {
        if (m_pid > 0) kill(m_pid, SIGTERM), waitpid(m_pid, nullptr, 0);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    int port() const { return m_port; }
    // The request paths logged since the last call.
    std::vector<std::string> TakeRequests() {
        std::vector<std::string> paths;
        std::istringstream lines(ReadFile(m_log));
        for (std::string path; std::getline(lines, path);) paths.push_back(path);
        std::ofstream(m_log, std::ios::trunc);
        return paths;
    }

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_log;
};

struct RunFigures {
    std::vector<std::string> paths;  // the requests the stand-in received
    std::size_t requests = 0;
    double seconds = 0;
    long peakKiB = 0;
    int exit = -1;
};

// Runs tessory once over `queries` stored queries in mail `format` ("HTML"
// writes two files per article, "Text" none), with the settings lines
// `moreSettings`, paced at `paceMs` (0: not paced), in a working folder of
// its own, and measures it.
RunFigures RunOnce(const std::string& tessory, const std::string& dir, BenchStandIn& standIn,
                   int queries, int paceMs, const char* format, const std::string& moreSettings = "") {
    // Each run writes into a new folder, and nothing is removed before the
    // benchmark ends: on an ext4 without a journal (this machine's), a new
    // file skips every inode freed in the last half minute, one lookup
    // each, so the 2,000 files of a run removed just before would make each
    // new file several times dearer than on a user's disk.
    const std::string work =
        dir + "/work-" + format + "-" + std::to_string(queries) + "-" + std::to_string(paceMs);
    std::filesystem::create_directories(work);
    std::filesystem::create_directories(dir + "/config/Lorvane");
    std::filesystem::create_directories(dir + "/bin");
    std::ofstream(dir + "/bin/sendmail") << "#!/bin/sh\nexec /bin/cat > /dev/null\n";
    std::filesystem::permissions(dir + "/bin/sendmail", std::filesystem::perms::owner_all);
    std::ofstream settings(dir + "/config/Lorvane/Lorvane.ini");
    settings << "[Lorvane]\nEmail=bench@example.org\nFrequency=Weekly\nFormat=" << format << "\n";
    for (int q = 0; q < queries; ++q) settings << "Query" << q << "=query" << q << "\n";
    settings << moreSettings;
    settings.close();
    standIn.TakeRequests();

    std::fflush(stdout);
    const auto start = Clock::now();
    const pid_t runner = fork();
    if (runner == 0) {
        if (chdir(work.c_str()) != 0) _exit(126);
        setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
        setenv("XDG_STATE_HOME", (dir + "/state").c_str(), 1);
        // A sendmail that takes the message at once, as a local mail
        // transport does: the run is measured, not this machine's MTA.
        setenv("HOME", dir.c_str(), 1);
        setenv("PATH", (dir + "/bin").c_str(), 1);
        setenv("LORVANE_EUTILS_URL", standIn.url().c_str(), 1);
        if (paceMs > 0) setenv("LORVANE_EUTILS_PACE_MS", std::to_string(paceMs).c_str(), 1);
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(125);
        execl(tessory.c_str(), tessory.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(runner, &status, 0, &usage);
    RunFigures figures;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.peakKiB = usage.ru_maxrss;
    figures.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    figures.paths = standIn.TakeRequests();
    figures.requests = figures.paths.size();
    return figures;
}

// Runs the program `args` with its output thrown away; returns its wall
// time from start to exit, or -1 when it could not run or did not exit 0.
double TimeProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    std::fflush(stdout);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(125);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// Sends `paths` one after another over one kept-alive connection with the
// curl program; returns the wall time, or -1 when curl cannot run.
double CurlOnce(BenchStandIn& standIn, const std::vector<std::string>& paths) {
    std::vector<std::string> args = {"curl", "-s", "-g", "--fail"};
    for (const std::string& path : paths) {
        args.push_back(standIn.url() + path);
        args.push_back("-o");
        args.push_back("/dev/null");
    }
    return TimeProgram(args);
}

// Runs the Biopython peer (bench/biopython_peer.py) over the stand-in's
// `queries` queries, paced at `paceMs`; returns its wall time from start
// to exit, measured as tessory's is, or -1 when Biopython is not installed
// or the peer failed.
double BiopythonOnce(BenchStandIn& standIn, int queries, int paceMs) {
    // Debian's python3-biopython belongs to the system's Python.
    std::vector<std::string> args = {"/usr/bin/python3", LORVANE_BIOPYTHON_PEER, standIn.url(),
                                     std::to_string(paceMs)};
    for (int q = 0; q < queries; ++q) args.push_back("query" + std::to_string(q));
    return TimeProgram(args);
}

// Returns the mean time, in microseconds, of writing a small file whole
// (a temporary file renamed into place) in a new folder `folder`, which is
// left in place: what each of an HTML run's files costs at least here.
double FileCostMicroseconds(const std::string& folder) {
    std::filesystem::create_directories(folder);
    const std::string text(600, 'x');
    const int files = 1000;
    const auto start = Clock::now();
    for (int i = 0; i < files; ++i) {
        const std::string path = folder + "/" + std::to_string(i);
        std::ofstream(path + ".tmp") << text;
        std::rename((path + ".tmp").c_str(), path.c_str());
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / files;
}

// Returns "a / b" as a ratio column, or blank when b is not there.
std::string Ratio(double a, double b) {
    char text[32] = "";
    if (b > 0) std::snprintf(text, sizeof text, "%.2f", a / b);
    return text;
}

// Returns `seconds` as a time column, or blank when it was not measured.
std::string Seconds(double seconds) {
    char text[32] = "";
    if (seconds >= 0) std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

// A whole run of `queries` x `hits`: requests, unpaced time against curl
// over the same requests and against the Biopython peer, paced time
// against the pacing floor and the peer paced alike, peak memory.
void BenchWholeRun(const std::string& tessory, const std::string& dir, int queries, int hits,
                   int paceMs, const char* format) {
    {
        BenchStandIn standIn(dir, queries, hits);
        if (!standIn.port()) {
            std::printf("the stand-in did not start\n");
            return;
        }
        const RunFigures unpaced = RunOnce(tessory, dir, standIn, queries, 0, format);
        const double curl = CurlOnce(standIn, unpaced.paths);
        const double peer = BiopythonOnce(standIn, queries, 0);
        const RunFigures paced = paceMs > 0 ? RunOnce(tessory, dir, standIn, queries, paceMs, format) : RunFigures();
        const double floor = static_cast<double>(paced.requests) * paceMs / 1000.0;
        const double pacedPeer = paceMs > 0 ? BiopythonOnce(standIn, queries, paceMs) : -1;
        std::printf("| %6d | %-4s | %8zu | %7.2f s | %7.2f s | %5.2f | %9s | %5s | %9s | %9s | %5s | %9s | %5s | "
                    "%6.1f MB |\n",
                    queries * hits, format, unpaced.requests, unpaced.seconds, curl,
                    curl > 0 ? unpaced.seconds / curl : 0.0, Seconds(peer).c_str(),
                    Ratio(unpaced.seconds, peer).c_str(), Seconds(paceMs > 0 ? paced.seconds : -1).c_str(),
                    Seconds(paceMs > 0 ? floor : -1).c_str(), Ratio(paced.seconds, floor).c_str(),
                    Seconds(pacedPeer).c_str(), Ratio(paced.seconds, pacedPeer).c_str(), unpaced.peakKiB / 1024.0);
        // Mail fails fast here by design (6); anything else is worth a word.
        if (unpaced.exit != 0) std::printf("  (tessory exited with %d)\n", unpaced.exit);
    }
}

// Runs one query of 50 new articles with only new articles on, over a
// record of `mailed` articles mailed today, with and without the
// retraction watch, whose search answers 10,000 retracted articles, one in
// a hundred of them mailed.
void BenchRetractionWatch(const std::string& tessory, const std::string& dir, int mailed) {
    std::ostringstream watch;
    watch << ", \"%22retracted+publication%22[pt]\": {\"ids\": [";
    for (int i = 0; i < 10000; ++i) watch << (i ? ", " : "") << (i % 100 ? 40000000 : 20000000) + i;
    watch << "]}";
    BenchStandIn standIn(dir, 1, 50, watch.str());
    if (!standIn.port()) return;
    char today[16] = "";
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
    const std::string record = dir + "/state/Lorvane/sent-articles.txt";
    std::printf("\n| mailed articles | watch | requests | time | peak RSS | record after |\n|---|---|---|---|---|---|\n");
    for (const bool on : {false, true}) {
        std::filesystem::create_directories(dir + "/state/Lorvane");
        std::ofstream lines(record);
        for (int i = 0; i < mailed; ++i) lines << 20000000 + i << " " << today << "\n";
        lines.close();
        const RunFigures run = RunOnce(tessory, dir, standIn, 1, 0, "Text",
                                       std::string("OnlyNew=1\nWatchRetractions=") + (on ? "1\n" : "0\n"));
        std::printf("| %d | %s | %zu | %.2f s | %.1f MB | %.1f MB |\n", mailed, on ? "on" : "off", run.requests,
                    run.seconds, run.peakKiB / 1024.0,
                    static_cast<double>(std::filesystem::file_size(record)) / (1024.0 * 1024.0));
        if (run.exit != 0) std::printf("  (tessory exited with %d)\n", run.exit);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // The whole run first: a child's peak memory counts what it shared with
    // this process before it started the runner.
    const std::string tessory = argc > 1 ? argv[1] : TESSORY_PATH;
    const std::string dir = std::filesystem::temp_directory_path() / "lorvane-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::printf("writing a small file whole here: %.0f us\n\n", FileCostMicroseconds(dir + "/probe"));
    std::printf("| records | mail | requests | unpaced | curl | ratio | Biopython | ratio | paced (110 ms) | floor | "
                "ratio | Biopython paced | ratio | peak RSS |\n"
                "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const char* format : {"HTML", "Text"}) {
        BenchWholeRun(tessory, dir, 1, 50, 0, format);
        BenchWholeRun(tessory, dir, 20, 50, 110, format);
        BenchWholeRun(tessory, dir, 200, 50, 110, format);
    }
    BenchRetractionWatch(tessory, dir, 100000);
    std::filesystem::remove_all(dir);
    const std::string fixtures = LORVANE_FIXTURES_DIR;
    const std::size_t size = 4u * 1024u * 1024u;
    BenchExtraction("ASN.1 html", LargeAsn1(ReadFile(fixtures + "/asn1_html_17284678.html"), size, true));
    BenchExtraction("ASN.1 plain", LargeAsn1(ReadFile(fixtures + "/asn1_plain_17284678.txt"), size, false));
    BenchExtraction("MEDLINE", LargeMedline(ReadFile(fixtures + "/medline_17284678.txt"), size));
    return 0;
}
