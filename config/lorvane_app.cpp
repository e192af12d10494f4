#include "config/lorvane_dlg.h"

namespace lorvane {

bool CLorvaneApp::InitInstance() {
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    StandardConsole console("Lorvane", false);
    CLorvaneDlg dialog(*store, console);
    dialog.DoModal();
    return false;
}

}  // namespace lorvane
