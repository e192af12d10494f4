// Benchmarks of the alert runner, printed as figures (nothing is asserted):
//   1. field extraction speed of each record form over one large record;
//   2. a whole run of 20 queries x 50 hits against the local E-utilities
//      stand-in, unpaced: records per second and the runner's peak memory.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

void BenchWholeRun(const std::string& tessory) {
    const std::string dir = std::filesystem::temp_directory_path() / "lorvane-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/config/Lorvane");
    std::filesystem::create_directories(dir + "/work");

    std::ostringstream scenario;
    scenario << "{\"fixtures\": \"" LORVANE_FIXTURES_DIR "\", \"esearch\": {";
    std::ofstream settings(dir + "/config/Lorvane/Lorvane.ini");
    settings << "[Lorvane]\nEmail=bench@example.org\nFrequency=Weekly\nFormat=HTML\n";
    for (int q = 0; q < 20; ++q) {
        scenario << (q ? ", " : "") << "\"query" << q << "\": {\"ids\": [";
        for (int i = 0; i < 50; ++i) scenario << (i ? ", " : "") << 30000000 + q * 100 + i;
        scenario << "]}";
        settings << "Query" << q << "=query" << q << "\n";
    }
    scenario << "}, \"default_efetch\": {\"file\": \"medline_17284678.txt\"}}";
    settings.close();
    std::ofstream(dir + "/scenario.json") << scenario.str();

    int out[2];
    if (pipe(out) != 0) return;
    std::fflush(stdout);  // children must not print what is buffered here
    const pid_t standIn = fork();
    if (standIn == 0) {
        dup2(out[1], 1);
        execlp("python3", "python3", LORVANE_STANDIN_SCRIPT, "--scenario",
               (dir + "/scenario.json").c_str(), "--log", (dir + "/requests.log").c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char line[64] = "";
    FILE* reader = fdopen(out[0], "r");
    int port = 0;
    if (!std::fgets(line, sizeof line, reader) || std::sscanf(line, "PORT %d", &port) != 1) {
        std::printf("whole run   the stand-in did not start\n");
        return;
    }

    const auto start = Clock::now();
    const pid_t runner = fork();
    if (runner == 0) {
        if (chdir((dir + "/work").c_str()) != 0) _exit(126);
        setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
        setenv("LORVANE_EUTILS_URL", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(125);
        execl(tessory.c_str(), tessory.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(runner, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    kill(standIn, SIGTERM);
    waitpid(standIn, nullptr, 0);
    std::fclose(reader);

    const std::size_t digestBytes = ReadFile(dir + "/work/debug.html").size();
    std::printf("whole run   20 queries x 50 hits  %6.2f s  %7.1f records/s  peak %ld KiB  "
                "digest %zu bytes  exit %d\n",
                seconds, 1000.0 / seconds, usage.ru_maxrss, digestBytes,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char* argv[]) {
    // The whole run first: a child's peak memory counts what it shared with
    // this process before it started the runner.
    BenchWholeRun(argc > 1 ? argv[1] : TESSORY_PATH);
    const std::string fixtures = LORVANE_FIXTURES_DIR;
    const std::size_t size = 4u * 1024u * 1024u;
    BenchExtraction("ASN.1 html", LargeAsn1(ReadFile(fixtures + "/asn1_html_17284678.html"), size, true));
    BenchExtraction("ASN.1 plain", LargeAsn1(ReadFile(fixtures + "/asn1_plain_17284678.txt"), size, false));
    BenchExtraction("MEDLINE", LargeMedline(ReadFile(fixtures + "/medline_17284678.txt"), size));
    return 0;
}
