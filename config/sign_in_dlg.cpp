#include "config/sign_in_dlg.h"

#include "config/resource.h"

namespace lorvane {
namespace {

constexpr int kPollTimer = 1;
constexpr int kIdAbort = 3;  // IDABORT

}  // namespace

CSignInDlg::CSignInDlg(CDialog* parent) : CDialog(IDD_SIGN_IN_DIALOG, parent) {}

bool CSignInDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DialogHost& host = Host();
    if (!StartDeviceSignIn(m_server, m_signIn, m_error)) {
        EndDialog(kIdAbort);
        return true;
    }
    host.SetItemText(IDC_SIGN_IN_ADDRESS, m_signIn.verificationUri);
    host.SetItemText(IDC_SIGN_IN_CODE, "Code: " + m_signIn.userCode);
    host.CopyToClipboard(m_signIn.userCode);
    host.SetTimer(kPollTimer, m_signIn.intervalSeconds * 1000);
    return true;
}

void CSignInDlg::OnTimer(int id) {
    if (id != kPollTimer) return;
    DialogHost& host = Host();
    const int interval = m_signIn.intervalSeconds;
    m_waitedSeconds += interval;
    switch (PollDeviceSignIn(m_server, m_signIn, m_account, m_error)) {
        case SignInPoll::Pending:
            if (m_waitedSeconds < m_signIn.expiresInSeconds) {
                if (m_signIn.intervalSeconds != interval) host.SetTimer(kPollTimer, m_signIn.intervalSeconds * 1000);
                return;
            }
            m_error = "the code expired before the sign-in was done: start again";
            break;
        case SignInPoll::Done:
            host.KillTimer(kPollTimer);
            EndDialog(IDOK);
            return;
        case SignInPoll::Failed:
            break;
    }
    host.KillTimer(kPollTimer);
    EndDialog(kIdAbort);
}

}  // namespace lorvane
