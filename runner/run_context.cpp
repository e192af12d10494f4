#include "runner/run_context.h"

#include <thread>

#include "runner/runner_services.h"

namespace lorvane {

RunContext::RunContext(Console& console_, std::istream& input_)
    : service(EutilsService("")), transcript(console_), console(transcript), input(input_),
      sleep([](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }),
      deadline(std::chrono::steady_clock::now() + kRunTimeLimit) {
    platform.showConnectionMessageBox = ShowConnectionMessageBox;
}

void RunTranscript::Write(const std::string& text) {
    m_output.Write(text);
    m_partial += text;
    std::size_t start = 0;
    for (std::size_t end; (end = m_partial.find('\n', start)) != std::string::npos; start = end + 1)
        m_lines.push_back(m_partial.substr(start, end - start));
    m_partial.erase(0, start);
}

void RunTranscript::Diagnose(const std::string& text) {
    m_output.Diagnose(text);
    m_lines.push_back(text);
}

}  // namespace lorvane
