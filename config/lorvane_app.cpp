#include "config/lorvane_dlg.h"

#include <cstdlib>

namespace lorvane {

bool CLorvaneApp::InitInstance() {
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    StandardConsole console("Lorvane", false);
    CLorvaneDlg dialog(*store, console);
    // For tests and national clouds: another address of Microsoft's sign-in.
    const char* oauthUrl = std::getenv("LORVANE_OAUTH_URL");
    if (oauthUrl) dialog.m_oauthUrl = oauthUrl;
    dialog.DoModal();
    return false;
}

}  // namespace lorvane
