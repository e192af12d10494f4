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
    std::fprintf(stderr, "%s: %s\n", m_program.c_str(), ShowControls(text).c_str());
    std::fflush(stderr);
}

// The line is rewritten with a carriage return and blanked with spaces,
// which every terminal and console understands without escape codes.
void StandardConsole::ShowProgress(const std::string& line) {
    if (!m_watched) return;
    const std::size_t blanks = m_progressLength > line.size() ? m_progressLength - line.size() : 0;
    std::fprintf(stderr, "\r%s%s", line.c_str(), std::string(blanks, ' ').c_str());
    std::fflush(stderr);
    m_progressLength = line.size() + blanks;
}

void StandardConsole::EndProgress() {
    if (m_progressLength == 0) return;
    std::fprintf(stderr, "\r%s\r", std::string(m_progressLength, ' ').c_str());
    std::fflush(stderr);
    m_progressLength = 0;
}

}  // namespace lorvane
