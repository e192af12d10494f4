// The three dialogs as they are built: every control's identifier, kind
// and text, the tab order, the radio groups, the layout in dialog units,
// the About entry and the password prompt's behaviour.
#include <QAction>
#include <QButtonGroup>
#include <QApplication>
#include <QTest>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "config/dialog_template.h"
#include "config/lorvane_dlg.h"
#include "config/password_dlg.h"
#include "config/resource.h"
#include "qt/modal_script.h"
#include "support/isolation.h"
#include "support/scratch.h"

namespace lorvane {
namespace {

using test::Click;
using test::ControlOf;

std::string TextOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    return std::string();
}

// The object names of the widgets that Tab visits, from `first` round.
std::vector<std::string> TabOrder(QWidget* first) {
    std::vector<std::string> order;
    QWidget* widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
            widget->objectName().startsWith("control_"))
            order.push_back(widget->objectName().mid(8).toStdString());
        widget = widget->nextInFocusChain();
    } while (widget && widget != first && order.size() < 50);
    return order;
}

void ExpectControl(QWidget* modal, int id, const char* className, const std::string& text) {
    QWidget* widget = modal->findChild<QWidget*>(QString("control_%1").arg(id));
    ASSERT_TRUE(widget) << id;
    EXPECT_TRUE(widget->inherits(className)) << id << " is a " << widget->metaObject()->className();
    EXPECT_EQ(TextOf(widget), text) << id;
}

std::vector<std::string> StaticTexts(QWidget* modal) {
    std::vector<std::string> texts;
    for (int i = 0;; ++i) {
        QWidget* widget = modal->findChild<QWidget*>(QString("static_%1").arg(i));
        if (!widget) break;
        texts.push_back(TextOf(widget));
    }
    return texts;
}

// The Qt class that shows a control of `kind`.
const char* QtClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: return "QPushButton";
        case ControlKind::ListBox: return "QListWidget";
        case ControlKind::Edit: return "QLineEdit";
        case ControlKind::RadioButton: return "QRadioButton";
        case ControlKind::CheckBox: return "QCheckBox";
        case ControlKind::TimePicker: return "QTimeEdit";
        case ControlKind::DropDownList: return "QComboBox";
        case ControlKind::GroupBox: return "QGroupBox";
        case ControlKind::Static:
        case ControlKind::Icon: break;
    }
    return "QLabel";
}

// Checks `modal` against its template: caption, every control's class and
// text, the static texts in order, the default button, and the tab order
// (the enabled controls with a tab stop, in template order, a radio group
// standing at its checked button).
void ExpectTemplateControls(QWidget* modal, int dialogId) {
    const DialogTemplate& dialog = FindDialogTemplate(dialogId);
    EXPECT_EQ(modal->windowTitle().toStdString(), dialog.caption);
    std::vector<std::string> statics, tabOrder;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == IDC_STATIC) {
            statics.push_back(control.text);
            continue;
        }
        ExpectControl(modal, control.id, QtClassOf(control.kind), control.text);
        if (auto* button = ControlOf<QPushButton>(modal, control.id)) {
            EXPECT_EQ(button->isDefault(), control.kind == ControlKind::DefaultPushButton) << control.id;
        }
        if (!(control.styles & kTabStop) || !ControlOf<QWidget>(modal, control.id)->isEnabled()) continue;
        // Tab stops at the checked button of a radio group.
        auto* radio = ControlOf<QRadioButton>(modal, control.id);
        if (radio && radio->group() && radio->group()->checkedButton())
            tabOrder.push_back(radio->group()->checkedButton()->objectName().mid(8).toStdString());
        else
            tabOrder.push_back(std::to_string(control.id));
    }
    EXPECT_EQ(StaticTexts(modal), statics);
    ASSERT_FALSE(tabOrder.empty());
    EXPECT_EQ(TabOrder(ControlOf<QWidget>(modal, std::stoi(tabOrder.front()))), tabOrder);
}

class DialogLayout : public ::testing::Test {
protected:
    test::IsolatedEnvironment m_isolation;
    void SetUp() override {
        m_scratch.Write({{"Frequency", "Weekly"}, {"Day", "Friday"}, {"Hour", "6"}, {"Minute", "0"}, {"Format", "Text"}});
        // Registered and never run: the status lines read as in the template.
        m_isolation.SetCrontab("# Lorvane work item \"Lorvane\" begin=2000-01-07 end=2100-01-07 flags=193\n"
                               "0 6 * * 5 exec '/opt/tessory'\n");
    }
    void OpenMain(std::vector<test::ModalStep> steps) {
        std::unique_ptr<SettingsStore> store = m_scratch.Create();
        test::RunConfigDialog(*store, std::move(steps));
    }
    test::ScratchStore m_scratch;
};

TEST_F(DialogLayout, ConfigurationDialogControls) {
    OpenMain({[](QWidget* m) {
        ExpectTemplateControls(m, IDD_CONFIG_DIALOG);

        auto* days = ControlOf<QComboBox>(m, IDC_RUN_DAY);
        ASSERT_EQ(days->count(), 7);
        EXPECT_EQ(days->itemText(0), "Sunday");
        EXPECT_EQ(days->itemText(6), "Saturday");
        EXPECT_EQ(days->currentText(), "Friday");
        EXPECT_FALSE(days->isEditable());

        // Two radio groups: checking HTML leaves the weekly radio checked.
        Click(m, IDC_FORMAT_HTML);
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FREQ_WEEKLY)->isChecked());
        EXPECT_FALSE(ControlOf<QRadioButton>(m, IDC_FORMAT_TEXT)->isChecked());

        // Dialog units: the buttons' left edges stand at 92 and 155 of 324.
        const double ok = ControlOf<QWidget>(m, IDOK)->x(), cancel = ControlOf<QWidget>(m, IDCANCEL)->x();
        EXPECT_NEAR(ok / cancel, 92.0 / 155.0, 0.02);
        EXPECT_NEAR(cancel / m->width(), 155.0 / 324.0, 0.02);
        EXPECT_NEAR(static_cast<double>(ControlOf<QWidget>(m, IDC_QUERY_LIST)->height()) / m->height(),
                    78.0 / 302.0, 0.02);
        Click(m, IDC_OUTGOING_MAIL);
    },
              [](QWidget* mail) {
                  ExpectTemplateControls(mail, IDD_MAIL_SERVER_DIALOG);
                  Click(mail, IDCANCEL);
              },
              [](QWidget* m) { Click(m, IDC_DIGEST_OPTIONS); },
              [](QWidget* digest) {
                  ExpectTemplateControls(digest, IDD_DIGEST_DIALOG);
                  Click(digest, IDCANCEL);
              },
              [](QWidget* m) { Click(m, IDCANCEL); }});
}

TEST_F(DialogLayout, TabReachesEveryGroupAndArrowsMoveWithinIt) {
    OpenMain({[](QWidget* m) {
        // Tab from "Save and exit" round the dialog, as a person would.
        QWidget* first = ControlOf<QWidget>(m, IDOK);
        first->setFocus();
        std::vector<std::string> visited;
        for (int i = 0; i < 30 && (visited.empty() || m->focusWidget() != first); ++i) {
            visited.push_back(m->focusWidget()->objectName().toStdString());
            QTest::keyClick(m->focusWidget(), Qt::Key_Tab);
        }
        auto reached = [&](int id) {
            return std::find(visited.begin(), visited.end(), "control_" + std::to_string(id)) !=
                   visited.end();
        };
        // The checked radio of each group stands for its group.
        EXPECT_TRUE(reached(IDC_FREQ_WEEKLY)) << testing::PrintToString(visited);
        EXPECT_FALSE(reached(IDC_FREQ_DAILY) || reached(IDC_FREQ_OFF));
        EXPECT_TRUE(reached(IDC_FORMAT_TEXT)) << testing::PrintToString(visited);
        EXPECT_FALSE(reached(IDC_FORMAT_HTML));
        for (int id : {IDOK, IDCANCEL, IDC_QUERY_LIST, IDC_QUERY_EDIT, IDC_ADD_QUERY, IDC_REMOVE_QUERY,
                       IDC_EMAIL_EDIT, IDC_RUN_TIME, IDC_RUN_DAY})
            EXPECT_TRUE(reached(id)) << id;

        // Down moves to the next radio of the group and checks it, as a
        // click would: "Turn off" disables the time and day.
        auto* weekly = ControlOf<QRadioButton>(m, IDC_FREQ_WEEKLY);
        weekly->setFocus();
        QTest::keyClick(weekly, Qt::Key_Down);
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FREQ_OFF)->isChecked());
        EXPECT_FALSE(ControlOf<QWidget>(m, IDC_RUN_TIME)->isEnabled());
        QTest::keyClick(m->focusWidget(), Qt::Key_Up);
        EXPECT_TRUE(weekly->isChecked());
        EXPECT_TRUE(ControlOf<QWidget>(m, IDC_RUN_TIME)->isEnabled());
        Click(m, IDCANCEL);
    }});
}

TEST_F(DialogLayout, AboutBoxFromTheMenuEntry) {
    OpenMain({[](QWidget* m) {
                  auto* about = m->findChild<QAction*>(QString("command_%1").arg(IDM_ABOUT));
                  ASSERT_TRUE(about);
                  EXPECT_EQ(about->text().toStdString(), LoadResourceString(IDS_ABOUT_MENU));
                  EXPECT_EQ(m->contextMenuPolicy(), Qt::ActionsContextMenu);
                  about->trigger();
              },
              [](QWidget* box) {
                  ExpectTemplateControls(box, IDD_ABOUT_DIALOG);
                  EXPECT_FALSE(box->findChild<QLabel*>("static_0")->pixmap().isNull());
                  Click(box, IDOK);
              },
              [](QWidget* m) {
                  EXPECT_EQ(m->windowTitle().toStdString(), "Lorvane! Configuration Dialog");
                  Click(m, IDCANCEL);
              }});
}

std::string AccountName() {
    const passwd* account = getpwuid(geteuid());
    return account ? account->pw_name : "";
}

int RunPrompt(CDialogGetPassword& prompt, test::ModalStep step) {
    int result = 0;
    test::RunModal([&] { result = prompt.DoModal(); }, {std::move(step)});
    return result;
}

TEST(PasswordPrompt, ShowsTheAccountAndTakesThePassword) {
    CDialogGetPassword prompt;
    const int result = RunPrompt(prompt, [](QWidget* m) {
        EXPECT_EQ(m->windowTitle().toStdString(), "Enter your user name and password");
        ExpectControl(m, IDOK, "QPushButton", "OK");
        ExpectControl(m, IDCANCEL, "QPushButton", "Cancel");
        auto* name = ControlOf<QLineEdit>(m, IDC_USER_NAME_EDIT);
        EXPECT_EQ(name->text().toStdString(), AccountName());
        EXPECT_FALSE(name->isEnabled());
        auto* password = ControlOf<QLineEdit>(m, IDC_PASSWORD_EDIT);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_EQ(m->focusWidget(), password);  // the window may not be active yet
        EXPECT_EQ(TabOrder(ControlOf<QWidget>(m, IDOK)), (std::vector<std::string>{"1", "2", "1010", "1043"}));
        const std::vector<std::string> texts = StaticTexts(m);
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0].rfind("In order to schedule tasks to run on this computer", 0), 0u);
        EXPECT_EQ(texts[1], "Your user name:");
        EXPECT_EQ(texts[2], "Your password:");
        name->setText("someone else");  // what the box shows is not what is returned
        test::TypeInto(m, IDC_PASSWORD_EDIT, "s3cret");
        test::PressKey(password, Qt::Key_Return);  // Enter is OK
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(prompt.m_userName, AccountName());
    EXPECT_EQ(prompt.m_password, "s3cret");
}

TEST(PasswordPrompt, EmptyAndOverlongPasswords) {
    // An empty password is explained, and the prompt stays for the choice
    // to run only while signed in, which needs none.
    CDialogGetPassword empty;
    std::string explained;
    test::RunModal([&] { EXPECT_EQ(empty.DoModal(), IDOK); },
                   {[](QWidget* m) { Click(m, IDOK); },
                    [&explained](QWidget* box) { explained = test::AcceptMessageBox(box); },
                    [](QWidget* m) {
                        Click(m, IDC_RUN_SIGNED_IN);
                        EXPECT_FALSE(ControlOf<QWidget>(m, IDC_PASSWORD_EDIT)->isEnabled());
                        Click(m, IDOK);
                    }});
    EXPECT_NE(explained.find("check \"Run only when I am signed in (no password needed)\""), std::string::npos);
    EXPECT_TRUE(empty.m_onlyWhenSignedIn && empty.m_password.empty());

    CDialogGetPassword overlong;
    RunPrompt(overlong, [](QWidget* m) {
        ControlOf<QLineEdit>(m, IDC_PASSWORD_EDIT)->setText(QString(1200, 'p'));
        Click(m, IDOK);
    });
    EXPECT_EQ(overlong.m_password, std::string(999, 'p'));
}

TEST(PasswordPrompt, EscapeCancelsAndLeavesBothEmpty) {
    CDialogGetPassword prompt;
    const int result = RunPrompt(prompt, [](QWidget* m) {
        test::TypeInto(m, IDC_PASSWORD_EDIT, "typed");
        test::PressKey(ControlOf<QLineEdit>(m, IDC_PASSWORD_EDIT), Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(prompt.m_userName, "");
    EXPECT_EQ(prompt.m_password, "");
}

}  // namespace
}  // namespace lorvane
