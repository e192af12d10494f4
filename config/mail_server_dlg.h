// The "Outgoing mail server" dialog: the server that mail goes through,
// its security, the account, and a test message.
#pragma once

#include <string>

#include "common/mail_server.h"
#include "config/dialog.h"

namespace lorvane {

class CMailServerDlg : public CDialog {
public:
    explicit CMailServerDlg(CDialog* parent = nullptr);

    // Shows m_server and m_password, and says whether a password is stored.
    bool OnInitDialog() override;
    // Takes what is typed into m_server and m_password, then closes with IDOK.
    void OnOK() override;
    bool OnCommand(int id, ControlEvent event) override;
    // Sends a short message to m_testRecipient through what is typed now
    // and says whether it was accepted, or why not.
    void OnSendTestMessage();

    MailServerSettings m_server;  // the settings shown; what was typed after OK
    std::string m_password;       // typed; empty: the stored one stays
    std::string m_testRecipient;  // where the test message goes

private:
    // Returns the settings as typed now (blanks around them dropped).
    MailServerSettings TypedSettings();
};

}  // namespace lorvane
