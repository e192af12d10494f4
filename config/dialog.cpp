#include "config/dialog.h"

#include <stdexcept>

#include "config/resource.h"

namespace lorvane {

CDialog::CDialog(int templateId, CDialog* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
    m_host = CreateDialogHost(*this, m_templateId, m_parent);
    const int result = m_host->RunModal();
    m_host.reset();
    return result;
}

void CDialog::EndDialog(int result) {
    Host().EndDialog(result);
}

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(unsigned /*command*/) {}

void CDialog::OnTimer(int /*id*/) {}

bool CDialog::OnCommand(int id, ControlEvent event) {
    if (event != ControlEvent::Clicked) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

DialogHost& CDialog::Host() {
    if (!m_host) throw std::logic_error("a dialog's controls are used while it is not shown");
    return *m_host;
}

}  // namespace lorvane
