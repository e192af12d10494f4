// Lorvane: the configuration program.
#include <cstring>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/secret_store.h"
#include "config/lorvane_dlg.h"
#include "config/task_scheduling.h"
#include "config/user_data.h"
#include "lorvane_version.h"

namespace {

// Removes the user's work item; returns whether none is left.
bool RemoveSchedule(lorvane::Console& console) {
    const lorvane::Status result = lorvane::RemoveTask(console, "Lorvane");
    return result.ok() || result.code() == lorvane::StatusCode::NotFound;
}

// The uninstaller's call when nothing of the user's is to stay: the work
// item, every secret of the store, the settings and the folders of the
// runs. Says which secrets were there.
int RemoveEverything() {
    lorvane::StandardConsole console("Lorvane", false);
    const bool schedule = RemoveSchedule(console);
    std::vector<std::string> removed = {"schedule", "settings"};
    lorvane::Status status = lorvane::RemoveStoredSecrets(removed);
    if (status.ok()) status = lorvane::RemoveUserFiles();
    const bool files = status.ok();
    if (!files) console.Diagnose(status.message());
    if (!files || !schedule) return 1;
    std::string list;
    for (const std::string& item : removed) list += (list.empty() ? "" : ", ") + item;
    console.Line("Your Lorvane " + list + " and folders were removed.");
    return 0;
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

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
        return RemoveSchedule(console) ? 0 : 1;
    }
    if (commandLine && std::strcmp(commandLine, "--remove-user-data") == 0) return RemoveEverything();
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#else
#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Lorvane %s\n", LORVANE_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--remove-user-data") == 0) return RemoveEverything();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Lorvane");
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#endif
