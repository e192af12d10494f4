// Dialog templates as data: every control's identifier, kind, styles, text
// and position in dialog units, in template (and tab) order. The Windows
// build has the same templates in its resource script; the POSIX build
// lays its windows out from these tables.
#pragma once

#include <string>
#include <vector>

namespace lorvane {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    ListBox,
    Edit,
    Static,
    Icon,
    GroupBox,
    RadioButton,
    CheckBox,
    TimePicker,
    DropDownList,
};

// Style marks that change how a control behaves.
enum ControlStyle : unsigned {
    kGroup = 1u << 0,     // WS_GROUP: starts a group (radio buttons, tab groups)
    kTabStop = 1u << 1,   // WS_TABSTOP
    kSorted = 1u << 2,    // LBS_SORT
    kPassword = 1u << 3,  // ES_PASSWORD
    kDisabled = 1u << 4,  // WS_DISABLED
    kCentered = 1u << 5,  // SS_CENTER
    kVScroll = 1u << 6,   // WS_VSCROLL
    kBorder = 1u << 7,    // WS_BORDER
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    unsigned styles;
    std::string text;
    int x, y, width, height;  // dialog units
};

struct DialogTemplate {
    int id;
    std::string caption;
    int width, height;  // dialog units
    bool ownTaskbarButton;
    std::vector<ControlTemplate> controls;
    std::vector<std::string> dropDownItems;  // initial items of the drop-down list
};

// Returns the template `id` (IDD_CONFIG_DIALOG, IDD_ABOUT_DIALOG or
// IDD_PASSWORD_DIALOG); throws std::out_of_range for any other.
const DialogTemplate& FindDialogTemplate(int id);

// Returns the text of string `id` (IDS_ABOUT_MENU), empty when there is
// none.
std::string LoadResourceString(int id);

}  // namespace lorvane
