#include "config/password_dlg.h"

#include "config/resource.h"

namespace lorvane {

CDialogGetPassword::CDialogGetPassword(CDialog* parent) : CDialog(IDD_PASSWORD_DIALOG, parent) {}

bool CDialogGetPassword::OnInitDialog() {
    CDialog::OnInitDialog();
    Host().SetItemText(IDC_USER_NAME_EDIT, LogonUserName());
    Host().SetFocus(IDC_PASSWORD_EDIT);
    return false;  // the focus is set
}

void CDialogGetPassword::OnOK() {
    // The box only shows the name; the account is the one running us.
    const std::string name = LogonUserName();
    Host().SetItemText(IDC_USER_NAME_EDIT, name);
    m_userName = name;
    m_password = Host().GetItemText(IDC_PASSWORD_EDIT).substr(0, kMaxPasswordLength);
    CDialog::OnOK();
}

}  // namespace lorvane
