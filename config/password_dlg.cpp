#include "config/password_dlg.h"

#include "config/dialog_host.h"
#include "config/resource.h"

namespace lorvane {

CDialogGetPassword::CDialogGetPassword(CDialog* parent) : CDialog(IDD_PASSWORD_DIALOG, parent) {}

bool CDialogGetPassword::OnInitDialog() {
    CDialog::OnInitDialog();
    Host().SetItemText(IDC_USER_NAME_EDIT, LogonUserName());
    Host().SetFocus(IDC_PASSWORD_EDIT);
    return false;  // the focus is set
}

bool CDialogGetPassword::OnCommand(int id, ControlEvent event) {
    static const MessageMapEntry<CDialogGetPassword> kMessageMap[] = {
        {IDC_RUN_SIGNED_IN, ControlEvent::Clicked, [](CDialogGetPassword& d) { d.OnRunSignedIn(); }},
    };
    return Dispatch(*this, kMessageMap, id, event) || CDialog::OnCommand(id, event);
}

void CDialogGetPassword::OnRunSignedIn() {
    Host().Enable(IDC_PASSWORD_EDIT, !Host().IsChecked(IDC_RUN_SIGNED_IN));
}

void CDialogGetPassword::OnOK() {
    DialogHost& host = Host();
    const bool onlyWhenSignedIn = host.IsChecked(IDC_RUN_SIGNED_IN);
    const std::string password = host.GetItemText(IDC_PASSWORD_EDIT).substr(0, kMaxPasswordLength);
    if (!onlyWhenSignedIn && password.empty()) {
        // The Task Scheduler refuses an empty password with a bare error
        // code; many accounts (a PIN, Windows Hello) have no password to type.
        AppMessageBox("Windows needs your password to start Lorvane while you are signed out. If you sign "
                      "in without a password (with a PIN or Windows Hello), check \"Run only when I am "
                      "signed in (no password needed)\": Lorvane then runs while you are signed in, and "
                      "makes up a missed run when you sign in again.");
        host.SetFocus(IDC_PASSWORD_EDIT);
        return;
    }
    // The box only shows the name; the account is the one running us.
    const std::string name = LogonUserName();
    host.SetItemText(IDC_USER_NAME_EDIT, name);
    m_userName = name;
    m_onlyWhenSignedIn = onlyWhenSignedIn;
    m_password = onlyWhenSignedIn ? std::string() : password;
    CDialog::OnOK();
}

}  // namespace lorvane
