#include "config/digest_options_dlg.h"

#include "config/resource.h"

namespace lorvane {

CDigestOptionsDlg::CDigestOptionsDlg(CDialog* parent) : CDialog(IDD_DIGEST_DIALOG, parent) {}

bool CDigestOptionsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DialogHost& host = Host();
    host.SetCheck(IDC_ATTACH_CITATIONS, m_options.attachCitations);
    host.SetCheck(IDC_FORWARD_LINKS, m_options.forwardLinks);
    host.SetCheck(IDC_ABSTRACTS, m_options.abstracts);
    host.SetCheck(IDC_WATCH_RETRACTIONS, m_options.watchRetractions);
    return true;
}

void CDigestOptionsDlg::OnOK() {
    DialogHost& host = Host();
    m_options.attachCitations = host.IsChecked(IDC_ATTACH_CITATIONS);
    m_options.forwardLinks = host.IsChecked(IDC_FORWARD_LINKS);
    m_options.abstracts = host.IsChecked(IDC_ABSTRACTS);
    m_options.watchRetractions = host.IsChecked(IDC_WATCH_RETRACTIONS);
    CDialog::OnOK();
}

}  // namespace lorvane
