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

// What --help prints.
const char kUsage[] =
    "Usage: Lorvane [--help | --version | --remove-user-data]\n"
    "Opens the dialog that keeps your PubMed queries, your e-mail address and when the\n"
    "alert runner tessory searches and mails you what is new.\n"
    "  --help              print this and exit\n"
    "  --version           print the version and exit\n"
    "  --remove-user-data  remove your schedule, settings, stored secrets and Lorvane's folders\n";

}  // namespace

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // The version or the usage on the console that started it; no window opens.
    const bool version = commandLine && std::strcmp(commandLine, "--version") == 0;
    if (version || (commandLine && std::strcmp(commandLine, "--help") == 0)) {
        AttachConsole(ATTACH_PARENT_PROCESS);
        const std::string text = version ? std::string("Lorvane " LORVANE_VERSION "\n") : std::string(kUsage);
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
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

#include <cstdlib>

int main(int argc, char* argv[]) {
    const std::string option = argc == 2 ? argv[1] : "";
    if (option == "--version") {
        std::printf("Lorvane %s\n", LORVANE_VERSION);
        return 0;
    }
    if (option == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (option == "--remove-user-data") return RemoveEverything();
    if (argc > 1) {
        if (argc == 2)
            std::fprintf(stderr, "Lorvane: unknown option %s (Lorvane --help lists them)\n", argv[1]);
        else
            std::fputs("Lorvane: one option at a time (Lorvane --help lists them)\n", stderr);
        return 2;
    }
    // Without a display the dialog cannot open; said in one line rather
    // than left to the toolkit, which gives up with a page of text.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!platform || !*platform) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fputs("Lorvane: there is no display to show its dialog on (neither DISPLAY nor WAYLAND_DISPLAY "
                   "is set): start it in your desktop session\n",
                   stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Lorvane");
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#endif
