// The "Outgoing mail server" dialog: the server that mail goes through,
// chosen from the known providers or typed, its security, how the account
// signs in (a password, or Microsoft's sign-in), and a test message.
#pragma once

#include <string>

#include "common/mail_server.h"
#include "config/dialog.h"

namespace lorvane {

class CMailServerDlg : public CDialog {
public:
    explicit CMailServerDlg(CDialog* parent = nullptr);

    // Shows m_server and m_password, the provider it belongs to, and
    // whether a password or a sign-in is kept.
    bool OnInitDialog() override;
    // Takes what is typed into m_server and m_password, then closes with IDOK.
    void OnOK() override;
    bool OnCommand(int id, ControlEvent event) override;
    // A provider chosen: fills in its server, port, security and sign-in,
    // and says what the provider needs.
    void OnSelectProvider();
    // "Password" or "Microsoft" chosen: enables what that sign-in uses.
    void OnSelectAuth();
    // "Sign in...": signs the typed account in to Microsoft and says who
    // signed in, or why not.
    void OnSignIn();
    // Sends a short message to m_testRecipient through what is typed now
    // and says whether it was accepted, or why not.
    void OnSendTestMessage();

    MailServerSettings m_server;  // the settings shown; what was typed after OK
    std::string m_password;       // typed; empty: the stored one stays
    std::string m_testRecipient;  // where the test message goes

private:
    // Returns the settings as typed now (blanks around them dropped).
    MailServerSettings TypedSettings();
    // Says whether a password, or a sign-in, is kept for the account.
    void ShowStoredSecret();
};

}  // namespace lorvane
