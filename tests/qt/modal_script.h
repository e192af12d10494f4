// Drives modal dialogs the way a person would: each step runs when a new
// modal window (a dialog or a message box) comes up, and acts on its
// widgets with QTest's key and mouse events.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace lorvane {

class SettingsStore;

namespace test {

using ModalStep = std::function<void(QWidget* modal)>;

// Runs `show` (which opens a modal window and returns once it closes)
// while `steps` act on the modal windows that come up, one step per
// window, in order. Fails the test when a window is left with no step for
// it or a step never got its window; such windows are closed.
void RunModal(const std::function<void()>& show, std::vector<ModalStep> steps);

// Shows the configuration dialog over `store` while `steps` run; returns
// the dialog's end code.
int RunConfigDialog(SettingsStore& store, std::vector<ModalStep> steps);

// The widget of control `id` in `modal` (object name "control_<id>").
template <typename Widget>
Widget* ControlOf(QWidget* modal, int id) {
    return modal->findChild<Widget*>(QString("control_%1").arg(id));
}

// Types `text` into control `id`, clicks control `id`, presses a key.
void TypeInto(QWidget* modal, int id, const std::string& text);
void Click(QWidget* modal, int id);
void PressKey(QWidget* focus, int key);

// The text of a message box, and its OK button pressed.
std::string AcceptMessageBox(QWidget* modal);

}  // namespace test
}  // namespace lorvane
