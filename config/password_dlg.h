// The prompt for the account's password before the runner is scheduled.
#pragma once

#include <string>

#include "config/dialog.h"

namespace lorvane {

// Longest password taken from the prompt, in characters.
constexpr std::size_t kMaxPasswordLength = 999;

class CDialogGetPassword : public CDialog {
public:
    explicit CDialogGetPassword(CDialog* parent = nullptr);

    // Shows the logged-on user's name and puts the focus in the password box.
    bool OnInitDialog() override;
    bool OnCommand(int id, ControlEvent event) override;
    // The box "Run only when I am signed in" turns the password box off.
    void OnRunSignedIn();
    // Takes the user's name (asked of the system again) and either the
    // choice to run only while signed in or the password, cut to 999
    // characters, then closes with IDOK. An empty password without that
    // choice is explained in a message box and the prompt stays open.
    void OnOK() override;

    std::string m_userName;
    std::string m_password;
    bool m_onlyWhenSignedIn = false;
};

}  // namespace lorvane
