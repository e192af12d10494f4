#include "support/win32_windows.h"

namespace lorvane {
namespace test {

HWND WaitForWindow(const char* title) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        HWND window = FindWindowA(nullptr, title);
        if (window && IsWindowVisible(window)) return window;
        Sleep(10);
    }
    return nullptr;
}

std::string AnswerMessageBox() {
    HWND box = WaitForWindow("Lorvane");
    if (!box) return "<no message box>";
    char body[512] = "";
    GetDlgItemTextA(box, 0xFFFF, body, sizeof body);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int attempt = 0; attempt < 1000 && IsWindow(box); ++attempt) Sleep(10);
    return body;
}

}  // namespace test
}  // namespace lorvane
