// Where a program's lines go: its report on standard output, diagnostics
// on standard error, and a progress line for a person watching. Steps
// write through a Console handed to them, so that the program's start
// decides where output goes and tests can read it back.
#pragma once

#include <cstddef>
#include <string>

#include "common/text.h"

namespace lorvane {

class Console {
public:
    virtual ~Console() = default;

    // Writes `text` as it is to the report (standard output), flushed.
    virtual void Write(const std::string& text) = 0;
    // Writes one diagnostic line (standard error); `text` has no line end.
    virtual void Diagnose(const std::string& text) = 0;
    // Shows `line` in place of the previous progress line, where a person
    // watches; nothing otherwise.
    virtual void ShowProgress(const std::string& line) { (void)line; }
    // Clears the progress line, if one is shown.
    virtual void EndProgress() {}

    // Writes `text` and a line end to the report.
    // Control characters other than line feeds, which a value from the
    // settings could bring, are shown escaped.
    void Line(const std::string& text) { Write(ShowControls(text, true) + "\n"); }
};

// The process's standard output and error. Diagnostics carry the program's
// name in front; progress is shown only when `watched` (standard error is
// a terminal).
class StandardConsole : public Console {
public:
    StandardConsole(std::string program, bool watched);

    void Write(const std::string& text) override;
    void Diagnose(const std::string& text) override;
    void ShowProgress(const std::string& line) override;
    void EndProgress() override;

private:
    std::string m_program;
    bool m_watched;
    std::size_t m_progressLength = 0;  // of the line shown; 0 when none is
};

}  // namespace lorvane
