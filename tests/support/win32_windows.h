// Windows of a program under test, found and answered as a person would.
#pragma once

#include <windows.h>

#include <string>

namespace lorvane {
namespace test {

// Waits (a bounded number of tries, not a timing check) for a visible
// top-level window with `title`; nullptr when none came.
HWND WaitForWindow(const char* title);

// Presses OK in the message box "Lorvane" that is up, after reading its
// text, and waits until it is gone. Returns the text.
std::string AnswerMessageBox();

}  // namespace test
}  // namespace lorvane
