#include "common/console.h"

#include <cstdio>

namespace lorvane {

StandardConsole::StandardConsole(std::string program, bool watched)
    : m_program(std::move(program)), m_watched(watched) {}

void StandardConsole::Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void StandardConsole::Diagnose(const std::string& text) {
    EndProgress();
    std::fprintf(stderr, "%s: %s\n", m_program.c_str(), text.c_str());
    std::fflush(stderr);
}

void StandardConsole::ShowProgress(const std::string& line) {
    if (!m_watched) return;
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    m_progressShown = true;
}

void StandardConsole::EndProgress() {
    if (!m_progressShown) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_progressShown = false;
}

}  // namespace lorvane
