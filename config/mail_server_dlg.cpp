#include "config/mail_server_dlg.h"

#include "common/mail_delivery.h"
#include "common/text.h"
#include "config/resource.h"
#include "config/settings_editing.h"

namespace lorvane {

CMailServerDlg::CMailServerDlg(CDialog* parent) : CDialog(IDD_MAIL_SERVER_DIALOG, parent) {}

bool CMailServerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DialogHost& host = Host();
    host.SetItemText(IDC_MAIL_SERVER, m_server.server);
    host.SetItemText(IDC_MAIL_PORT, m_server.port);
    host.SetCheck(m_server.implicitTls ? IDC_MAIL_TLS : IDC_MAIL_STARTTLS, true);
    host.SetItemText(IDC_MAIL_USER, m_server.user);
    host.SetItemText(IDC_MAIL_PASSWORD, m_password);
    // The stored password is never shown, only whether there is one.
    std::string password, error;
    host.SetItemText(IDC_MAIL_PASSWORD_NOTE,
                     ReadMailPassword(m_server, password, error)
                         ? "A password is stored. Leave the box empty to keep it."
                         : "No password is stored.");
    return true;
}

bool CMailServerDlg::OnCommand(int id, ControlEvent event) {
    static const MessageMapEntry<CMailServerDlg> kMessageMap[] = {
        {IDC_MAIL_TEST, ControlEvent::Clicked, [](CMailServerDlg& d) { d.OnSendTestMessage(); }},
    };
    return Dispatch(*this, kMessageMap, id, event) || CDialog::OnCommand(id, event);
}

MailServerSettings CMailServerDlg::TypedSettings() {
    DialogHost& host = Host();
    MailServerSettings typed = m_server;  // the CA file and command are not edited here
    typed.server = Trimmed(host.GetItemText(IDC_MAIL_SERVER));
    typed.port = Trimmed(host.GetItemText(IDC_MAIL_PORT));
    typed.implicitTls = host.IsChecked(IDC_MAIL_TLS);
    typed.user = Trimmed(host.GetItemText(IDC_MAIL_USER));
    return typed;
}

void CMailServerDlg::OnOK() {
    m_server = TypedSettings();
    m_password = Host().GetItemText(IDC_MAIL_PASSWORD);
    CDialog::OnOK();
}

void CMailServerDlg::OnSendTestMessage() {
    if (Trimmed(m_testRecipient).empty()) {
        AppMessageBox("Type your e-mail address into the main window first: the test message goes there.");
        return;
    }
    if (!CheckMailAddress(m_testRecipient)) return;
    const MailOutcome outcome = TryDeliverMail(
        ChooseMailTransport(TypedSettings(), CreateMailComponent, Host().GetItemText(IDC_MAIL_PASSWORD)),
        m_testRecipient, m_testRecipient, "Lorvane! test message",
        "This message was sent by Lorvane to test the outgoing mail settings.\n"
        "Your digests will reach you the same way.\n",
        false);
    AppMessageBox(outcome.delivered ? "The test message to " + m_testRecipient +
                                          " was accepted for delivery."
                                    : "The test message could not be sent: " + outcome.reason);
}

}  // namespace lorvane
