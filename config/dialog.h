// A small dialog framework: a dialog is built on a template, shown
// modally, and handles the commands of its controls through a message map
// of (control, event, handler) entries.
#pragma once

#include <memory>
#include <string>

#include "config/dialog_host.h"

namespace lorvane {

// Notification codes of a command.
enum class ControlEvent { Clicked, SelectionChanged };

class CDialog {
public:
    // A dialog on template `templateId`, optionally over `parent`.
    explicit CDialog(int templateId, CDialog* parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Shows the dialog until it ends; returns IDOK, IDCANCEL or the code
    // handed to EndDialog.
    int DoModal();
    void EndDialog(int result);

    // Called once the controls exist, before the dialog is shown. Returns
    // true to let the first tab stop take the focus.
    virtual bool OnInitDialog();
    // Standard OK and Cancel: end the dialog with IDOK or IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // A system-menu (or context-menu) command.
    virtual void OnSysCommand(unsigned command);
    // A timer that the dialog set with its host's SetTimer went off.
    virtual void OnTimer(int id);
    // Routes a control's command: IDOK and IDCANCEL to OnOK and OnCancel.
    // Returns whether anything handled it.
    virtual bool OnCommand(int id, ControlEvent event);

    int templateId() const { return m_templateId; }
    CDialog* parent() const { return m_parent; }
    // The window of the dialog while it is shown, else nullptr.
    DialogHost* host() const { return m_host.get(); }

protected:
    // The window of a dialog that is being shown; calls outside DoModal
    // are an error of the program.
    DialogHost& Host();

    // A message-map entry: `handler` runs for `event` on control `id`.
    template <typename Dialog>
    struct MessageMapEntry {
        int id;
        ControlEvent event;
        void (*handler)(Dialog&);
    };

    // Runs the first entry of `map` for (`id`, `event`); returns whether
    // there was one.
    template <typename Dialog, std::size_t N>
    static bool Dispatch(Dialog& dialog, const MessageMapEntry<Dialog> (&map)[N], int id,
                         ControlEvent event) {
        for (const MessageMapEntry<Dialog>& entry : map) {
            if (entry.id == id && entry.event == event) {
                entry.handler(dialog);
                return true;
            }
        }
        return false;
    }

private:
    int m_templateId;
    CDialog* m_parent;
    std::unique_ptr<DialogHost> m_host;
};

}  // namespace lorvane
