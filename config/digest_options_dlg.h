// The "Digest options" dialog: what a digest holds beyond its list of
// articles.
#pragma once

#include "common/alert_settings.h"
#include "config/dialog.h"

namespace lorvane {

class CDigestOptionsDlg : public CDialog {
public:
    explicit CDigestOptionsDlg(CDialog* parent = nullptr);

    // Shows m_options in the check boxes.
    bool OnInitDialog() override;
    // Takes the check boxes into m_options, then closes with IDOK.
    void OnOK() override;

    DigestOptions m_options;  // the options shown; what was checked after OK
};

}  // namespace lorvane
