// Lorvane: the configuration program.
#include "config/lorvane_dlg.h"

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#else
#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Lorvane");
    lorvane::CLorvaneApp app;
    app.InitInstance();
    return 0;
}
#endif
