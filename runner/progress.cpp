#include "runner/progress.h"

#include <cstdio>

#include "runner/runner_services.h"

namespace lorvane {
namespace {

bool Watched() {
    static const bool watched = StandardErrorIsTerminal();
    return watched;
}

bool g_shown = false;

}  // namespace

void ShowProgress(const std::string& line) {
    if (!Watched()) return;
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    g_shown = true;
}

void EndProgress() {
    if (!Watched() || !g_shown) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    g_shown = false;
}

}  // namespace lorvane
