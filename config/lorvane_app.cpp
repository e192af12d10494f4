#include "config/lorvane_dlg.h"

namespace lorvane {

bool CLorvaneApp::InitInstance() {
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    CLorvaneDlg dialog(*store);
    dialog.DoModal();
    return false;
}

}  // namespace lorvane
