// Lorvane: the configuration program.
#include "config/lorvane_dlg.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#else
#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Lorvane %s\n", LORVANE_VERSION);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Lorvane");
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#endif
