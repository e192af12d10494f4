#include "qt/modal_script.h"

#include "config/lorvane_dlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace lorvane {
namespace test {

namespace {

struct ScriptState {
    std::vector<ModalStep> steps;
    std::size_t next = 0;
    QPointer<QWidget> last;
    int idlePolls = 0;
    bool done = false;
};

// One look at the modal windows. The next look is booked before a step
// runs: a step that opens a nested modal window (a message box) stays on
// the stack while that window is shown, and a timer that is still in its
// own callback would not fire again.
void Poll(const std::shared_ptr<ScriptState>& state) {
    if (state->done) return;
    QTimer::singleShot(5, [state] { Poll(state); });
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == state->last) {
        // A bound on a script that lost its way, not a timing check.
        if (modal && ++state->idlePolls > 2000) {
            ADD_FAILURE() << "a modal window stayed open: " << modal->objectName().toStdString();
            state->idlePolls = 0;
            QMetaObject::invokeMethod(modal, "reject");
        }
        return;
    }
    state->idlePolls = 0;
    state->last = modal;
    if (state->next >= state->steps.size()) {
        ADD_FAILURE() << "no step for the window " << modal->objectName().toStdString() << " ("
                      << modal->windowTitle().toStdString() << ")";
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->accept();
        else
            QMetaObject::invokeMethod(modal, "reject");
        return;
    }
    const std::size_t step = state->next++;
    state->steps[step](modal);
}

}  // namespace

void RunModal(const std::function<void()>& show, std::vector<ModalStep> steps) {
    auto state = std::make_shared<ScriptState>();
    state->steps = std::move(steps);
    QTimer::singleShot(5, [state] { Poll(state); });
    show();
    state->done = true;
    EXPECT_EQ(state->next, state->steps.size()) << "steps left without a window";
}

int RunConfigDialog(SettingsStore& store, std::vector<ModalStep> steps) {
    int result = 0;
    RunModal(
        [&] {
            StandardConsole console("Lorvane", false);
            CLorvaneDlg dialog(store, console);
            result = dialog.DoModal();
        },
        std::move(steps));
    return result;
}

void TypeInto(QWidget* modal, int id, const std::string& text) {
    auto* edit = ControlOf<QLineEdit>(modal, id);
    ASSERT_TRUE(edit) << "no edit " << id;
    edit->setFocus();
    QTest::keyClicks(edit, QString::fromUtf8(text.c_str()));
}

void Click(QWidget* modal, int id) {
    auto* button = ControlOf<QAbstractButton>(modal, id);
    ASSERT_TRUE(button) << "no button " << id;
    // A radio button or check box answers on its mark and its text, not on
    // the empty rest of its box: click the mark, as a person would.
    if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button))
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    else
        QTest::mouseClick(button, Qt::LeftButton);
}

void PressKey(QWidget* focus, int key) {
    QTest::keyClick(focus, static_cast<Qt::Key>(key));
}

std::string AcceptMessageBox(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    EXPECT_TRUE(box) << "expected a message box, got " << modal->objectName().toStdString();
    if (!box) return std::string();
    EXPECT_EQ(box->windowTitle().toStdString(), "Lorvane");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    const std::string text = box->text().toStdString();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    return text;
}

}  // namespace test
}  // namespace lorvane
