// The "Sign in to Microsoft" dialog: shows where to sign in and the code
// to type there, waits for the sign-in and keeps it.
#pragma once

#include <string>

#include "common/mail_oauth.h"
#include "config/dialog.h"

namespace lorvane {

class CSignInDlg : public CDialog {
public:
    explicit CSignInDlg(CDialog* parent = nullptr);

    // Asks the sign-in service for a code, shows it with its address and
    // puts it on the clipboard, then polls; a service that gives no code
    // ends the dialog at once with IDABORT and m_error set.
    bool OnInitDialog() override;
    // Polls the service. Signed in (m_account set) or not (a refusal or an
    // expired code, m_error set), the dialog says so and its button
    // becomes "Close".
    void OnTimer(int id) override;

    MailServerSettings m_server;  // the account to sign in, as typed
    std::string m_account;        // who signed in
    std::string m_error;          // why not

private:
    DeviceSignIn m_signIn;
    int m_waitedSeconds = 0;
};

}  // namespace lorvane
