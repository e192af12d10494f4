// Lorvane: the configuration program.
#include "config/lorvane_dlg.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>

#include "common/console.h"
#include "config/task_scheduling.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // The version on the console that started it; no window opens.
    if (commandLine && std::strcmp(commandLine, "--version") == 0) {
        AttachConsole(ATTACH_PARENT_PROCESS);
        const char text[] = "Lorvane " LORVANE_VERSION "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, sizeof text - 1, &written, nullptr);
        return 0;
    }
    // The uninstaller's call: the user's work item goes, nothing else.
    if (commandLine && std::strcmp(commandLine, "--remove-schedule") == 0) {
        lorvane::StandardConsole console("Lorvane", false);
        const lorvane::TaskResult result = lorvane::RemoveTask(console, "Lorvane");
        return result == lorvane::kTaskOk || result == lorvane::kTaskNotFound ? 0 : 1;
    }
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
