// The window-system side of a dialog: one implementation per platform
// (Qt Widgets on POSIX, Win32 dialog templates on Windows) behind this
// interface. Controls are addressed by identifier, as in the templates.
#pragma once

#include <memory>
#include <string>

namespace lorvane {

class CDialog;
struct DialogTemplate;

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Shows the dialog, calls the owner's OnInitDialog, routes commands to
    // the owner until EndDialog, and returns the end code.
    virtual int RunModal() = 0;
    // Ends the modal run with `result` once the current handler returns.
    virtual void EndDialog(int result) = 0;

    virtual std::string GetItemText(int id) = 0;
    virtual void SetItemText(int id, const std::string& text) = 0;
    virtual bool IsChecked(int id) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual void Show(int id, bool shown) = 0;
    virtual void SetFocus(int id) = 0;
    // Returns the identifier of the control that has the keyboard focus,
    // or 0 when none of this dialog's controls has it.
    virtual int FocusedControl() = 0;

    // List box: items in their list order.
    virtual int ListCount(int id) = 0;
    virtual std::string ListText(int id, int index) = 0;
    virtual void ListInsert(int id, int index, const std::string& text) = 0;
    virtual void ListDelete(int id, int index) = 0;
    virtual bool ListIsSelected(int id, int index) = 0;

    // Drop-down list: returns false (and shows no selection) for an index
    // outside the items; -1 when nothing is selected.
    virtual bool DropDownSelect(int id, int index) = 0;
    virtual int DropDownSelection(int id) = 0;
    virtual std::string DropDownText(int id, int index) = 0;

    // Time picker: a time of day, shown in `format` (Windows picture
    // notation: h, hh, H, HH, m, mm, s, ss, t, tt, quoted literals).
    virtual void TimeSetFormat(int id, const std::string& format) = 0;
    virtual void TimeSet(int id, int hour, int minute) = 0;
    virtual void TimeGet(int id, int& hour, int& minute) = 0;

    // Adds a command to the dialog's system menu (or, where the window
    // system has none, to its context menu) after a separator. Returns
    // false when there is no such menu.
    virtual bool AddSystemMenuCommand(unsigned command, const std::string& text) = 0;
    // Sets the dialog's large and small icons to the application icon.
    virtual void SetApplicationIcon() = 0;

    // Calls the owner's OnTimer(`id`) every `milliseconds` until KillTimer.
    virtual void SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
    // Puts `text` on the clipboard, for the person to paste.
    virtual void CopyToClipboard(const std::string& text) = 0;
};

// Creates the platform's host for `owner` on template `templateId`.
std::unique_ptr<DialogHost> CreateDialogHost(CDialog& owner, int templateId, CDialog* parent);

// Shows an application message box: `text`, an OK button, the
// exclamation icon and the caption "Lorvane". Returns when it is closed.
void AppMessageBox(const std::string& text);

// The user's locale: its time format (LOCALE_STIMEFORMAT, in Windows
// picture notation) and its time separator (LOCALE_STIME).
std::string LocaleTimeFormat();
std::string LocaleTimeSeparator();

// The name of the account running the program: the bare user name, no
// domain. Empty when the system cannot say.
std::string LogonUserName();

}  // namespace lorvane
