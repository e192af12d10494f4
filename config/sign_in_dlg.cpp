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
    const Status started = StartDeviceSignIn(m_server, m_signIn);
    if (!started.ok()) {
        m_error = started.message();
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
    const Status poll = PollDeviceSignIn(m_server, m_signIn, m_account);
    const bool pending = poll.code() == StatusCode::Busy;
    if (pending && m_waitedSeconds < m_signIn.expiresInSeconds) {
        if (m_signIn.intervalSeconds != interval) host.SetTimer(kPollTimer, m_signIn.intervalSeconds * 1000);
        return;
    }
    m_error = pending ? "the code expired before the sign-in was done: start again" : poll.message();
    host.KillTimer(kPollTimer);
    // The outcome stays in this window until the person closes it.
    host.SetItemText(IDC_SIGN_IN_STATUS,
                     poll.ok() ? "Signed in as " + m_account + "." : "You are not signed in: " + m_error);
    host.SetItemText(IDCANCEL, "Close");
}

}  // namespace lorvane
