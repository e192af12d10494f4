// Dialogs on Qt Widgets, laid out from the dialog templates: dialog units
// become pixels by the font's average character size, as on Windows.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QClipboard>
#include <QTimeEdit>
#include <QTimer>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "config/dialog.h"
#include "config/dialog_template.h"
#include "config/resource.h"
#include "config/settings_editing.h"
#include "platform/posix/app_icon.h"
#include "platform/posix/user_paths.h"

namespace lorvane {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

// Windows picture notation (h, hh, H, HH, m, mm, s, ss, t, tt, '...') to
// Qt's, where the AM/PM mark is "AP".
QString QtTimeFormat(const std::string& format) {
    QString out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == 't') {
            while (i + 1 < format.size() && format[i + 1] == 't') ++i;
            out += "AP";
        } else if (c == '\'') {
            const std::size_t end = format.find('\'', i + 1);
            out += ToQt(format.substr(i, end == std::string::npos ? std::string::npos : end - i + 1));
            if (end == std::string::npos) break;
            i = end;
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QIcon AppIcon() {
    return QIcon(QPixmap(kAppIconXpm));
}

class QtDialogHost;

// A radio button of a group as Win32's dialog manager treats one: Tab
// stops only at the group's checked button, and the arrow keys move to
// the group's next or previous enabled button and click it.
class GroupRadio : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                         : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                     : 0;
        QButtonGroup* buttons = group();
        if (step == 0 || !buttons) {
            QRadioButton::keyPressEvent(event);
            return;
        }
        const QList<QAbstractButton*> list = buttons->buttons();
        const int count = static_cast<int>(list.size());
        const int at = static_cast<int>(list.indexOf(this));
        for (int i = 1; i < count; ++i) {
            QAbstractButton* next = list[((at + step * i) % count + count) % count];
            if (next->isEnabled() && !next->isHidden()) {
                next->setFocus(Qt::TabFocusReason);
                next->click();
                break;
            }
        }
        event->accept();
    }
};

// A time picker in which a click selects the whole section it lands in
// (hours, minutes, AM/PM), and digits and separators typed are read as a
// whole time ("0715", "7.15"), whatever is selected, as in the Windows
// build.
class SectionTimeEdit : public QTimeEdit {
public:
    SectionTimeEdit(const QTime& time, QWidget* parent) : QTimeEdit(time, parent) {
        lineEdit()->installEventFilter(this);
    }

protected:
    void focusInEvent(QFocusEvent* event) override {
        m_typed.clear();
        QTimeEdit::focusInEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const QString text = event->text();
        if (text.size() != 1 || !QString("0123456789.: ").contains(text[0])) {
            m_typed.clear();  // moved or selected: what is typed next is a new time
            return QTimeEdit::keyPressEvent(event);
        }
        int hour = 0, minute = -1;
        if (!TypeTimeCharacter(m_typed, text[0].toLatin1(), hour, minute)) return QApplication::beep();
        setTime(QTime(hour, minute >= 0 ? minute : time().minute()));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The press has placed the cursor, and with it the section, by now.
        if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
            m_typed.clear();
            if (!lineEdit()->hasSelectedText()) setSelectedSection(currentSection());
        }
        return QTimeEdit::eventFilter(watched, event);
    }

private:
    std::string m_typed;  // typed since it took the focus
};

// Gives Tab focus to the checked button of `group` only (to its first
// button while none is checked); the others take focus from a click.
void FixGroupTabStop(QButtonGroup* group) {
    const QList<QAbstractButton*> buttons = group->buttons();
    QAbstractButton* stop = group->checkedButton();
    if (!stop && !buttons.isEmpty()) stop = buttons.front();
    for (QAbstractButton* button : buttons)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

// The dialog window: Esc and the close box send IDCANCEL to the owner,
// as on Windows, instead of closing by themselves.
class TemplateDialog : public QDialog {
public:
    TemplateDialog(QWidget* parent, CDialog& owner) : QDialog(parent), m_owner(owner) {}
    void reject() override { m_owner.OnCommand(IDCANCEL, ControlEvent::Clicked); }
    void accept() override { m_owner.OnCommand(IDOK, ControlEvent::Clicked); }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        reject();
    }

private:
    CDialog& m_owner;
};

class QtDialogHost : public DialogHost {
public:
    QtDialogHost(CDialog& owner, int templateId, CDialog* parent)
        : m_owner(owner), m_template(FindDialogTemplate(templateId)) {
        QWidget* parentWindow = nullptr;
        if (parent && parent->host()) parentWindow = static_cast<QtDialogHost*>(parent->host())->m_dialog;
        m_dialog = new TemplateDialog(parentWindow, owner);
        m_dialog->setObjectName(QString("dialog_%1").arg(templateId));
        m_dialog->setWindowTitle(ToQt(m_template.caption));
        m_dialog->setModal(true);
        Build();
    }

    ~QtDialogHost() override { delete m_dialog; }

    int RunModal() override {
        const bool defaultFocus = m_owner.OnInitDialog();
        // Ended before it was shown, as a Windows dialog can end in its
        // initialisation.
        if (m_endedEarly) return m_earlyResult;
        if (defaultFocus) {
            for (QWidget* widget : m_tabOrder) {
                if (widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)) {
                    widget->setFocus();
                    break;
                }
            }
        }
        return m_dialog->exec();
    }

    void EndDialog(int result) override {
        if (!m_dialog->isVisible()) {
            m_endedEarly = true;
            m_earlyResult = result;
        }
        m_dialog->done(result);
    }

    std::string GetItemText(int id) override {
        QWidget* widget = Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQt(edit->text());
        if (auto* label = qobject_cast<QLabel*>(widget)) return FromQt(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) return FromQt(button->text());
        if (auto* box = qobject_cast<QGroupBox*>(widget)) return FromQt(box->title());
        if (auto* combo = qobject_cast<QComboBox*>(widget)) return FromQt(combo->currentText());
        return std::string();
    }

    void SetItemText(int id, const std::string& text) override {
        QWidget* widget = Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(ToQt(text));
        else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(ToQt(text));
        else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(ToQt(text));
    }

    bool IsChecked(int id) override {
        auto* button = qobject_cast<QAbstractButton*>(Control(id));
        return button && button->isChecked();
    }

    void SetCheck(int id, bool checked) override {
        auto* button = qobject_cast<QAbstractButton*>(Control(id));
        if (!button) return;
        // Unchecking one radio of an exclusive group needs the group off.
        QButtonGroup* group = button->group();
        if (!checked && group) group->setExclusive(false);
        button->setChecked(checked);
        if (!checked && group) group->setExclusive(true);
    }

    void Enable(int id, bool enabled) override { Control(id)->setEnabled(enabled); }
    void Show(int id, bool shown) override { Control(id)->setVisible(shown); }
    void SetFocus(int id) override { Control(id)->setFocus(); }
    int FocusedControl() override {
        // The dialog's own focus child: where keys go while it is active.
        const QWidget* focused = m_dialog->focusWidget();
        for (const auto& [id, widget] : m_controls)
            if (widget == focused || (focused && widget->isAncestorOf(focused))) return id;
        return 0;
    }

    int ListCount(int id) override { return List(id)->count(); }
    std::string ListText(int id, int index) override {
        QListWidgetItem* item = List(id)->item(index);
        return item ? FromQt(item->text()) : std::string();
    }
    void ListInsert(int id, int index, const std::string& text) override {
        List(id)->insertItem(index, ToQt(text));
    }
    void ListDelete(int id, int index) override {
        // Taking an item moves the current row, and with it the selection,
        // to a neighbour; a list box leaves the selection alone.
        QListWidget* list = List(id);
        const QList<QListWidgetItem*> selected = list->selectedItems();
        QListWidgetItem* taken = list->takeItem(index);
        list->clearSelection();
        for (QListWidgetItem* item : selected)
            if (item != taken) item->setSelected(true);
        delete taken;
    }
    bool ListIsSelected(int id, int index) override {
        QListWidgetItem* item = List(id)->item(index);
        return item && item->isSelected();
    }

    bool DropDownSelect(int id, int index) override {
        QComboBox* combo = DropDown(id);
        const bool valid = index >= 0 && index < combo->count();
        combo->setCurrentIndex(valid ? index : -1);
        return valid;
    }
    int DropDownSelection(int id) override { return DropDown(id)->currentIndex(); }
    std::string DropDownText(int id, int index) override {
        QComboBox* combo = DropDown(id);
        return index >= 0 && index < combo->count() ? FromQt(combo->itemText(index)) : std::string();
    }

    void TimeSetFormat(int id, const std::string& format) override {
        Time(id)->setDisplayFormat(QtTimeFormat(format));
    }
    void TimeSet(int id, int hour, int minute) override { Time(id)->setTime(QTime(hour, minute, 0)); }
    void TimeGet(int id, int& hour, int& minute) override {
        const QTime time = Time(id)->time();
        hour = time.hour();
        minute = time.minute();
    }

    bool AddSystemMenuCommand(unsigned command, const std::string& text) override {
        // No system menu to reach here: the dialog's context menu holds it.
        auto* separator = new QAction(m_dialog);
        separator->setSeparator(true);
        auto* action = new QAction(ToQt(text), m_dialog);
        action->setObjectName(QString("command_%1").arg(command));
        QObject::connect(action, &QAction::triggered, [this, command] { m_owner.OnSysCommand(command); });
        m_dialog->addAction(separator);
        m_dialog->addAction(action);
        m_dialog->setContextMenuPolicy(Qt::ActionsContextMenu);
        return true;
    }

    void SetApplicationIcon() override { m_dialog->setWindowIcon(AppIcon()); }

    void SetTimer(int id, int milliseconds) override {
        QTimer*& timer = m_timers[id];
        if (!timer) {
            timer = new QTimer(m_dialog);
            QObject::connect(timer, &QTimer::timeout, [this, id] { m_owner.OnTimer(id); });
        }
        timer->start(milliseconds);
    }
    void KillTimer(int id) override {
        const auto found = m_timers.find(id);
        if (found != m_timers.end() && found->second) found->second->stop();
    }
    void CopyToClipboard(const std::string& text) override { QApplication::clipboard()->setText(ToQt(text)); }

private:
    void Build() {
        QFont font = QApplication::font();
        m_dialog->setFont(font);
        const QFontMetrics metrics(font);
        // Windows' base units: the average width of the letters, the height.
        int baseX = (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
        const int baseY = metrics.height();
        // The templates were drawn for a narrower font than most POSIX
        // desktops have: widen the unit until every one-line text fits.
        for (const ControlTemplate& control : m_template.controls) {
            const bool oneLine = control.height * baseY / 8 < 2 * baseY;
            if (control.text.empty() || !oneLine || control.kind == ControlKind::Edit) continue;
            const int margin = control.kind == ControlKind::RadioButton ||
                                       control.kind == ControlKind::CheckBox
                                   ? 24
                               : control.kind == ControlKind::Static ? 2
                                                                      : 12;
            const int needed = metrics.horizontalAdvance(ToQt(control.text).remove('&')) + margin;
            baseX = std::max(baseX, (needed * 4 + control.width - 1) / control.width);
        }
        auto px = [](int units, int base, int per) { return (units * base + per / 2) / per; };
        m_dialog->setFixedSize(px(m_template.width, baseX, 4), px(m_template.height, baseY, 8));

        QButtonGroup* group = nullptr;
        QButtonGroup* tabGroup = nullptr;  // a radio group that Tab stops at
        int staticIndex = 0;
        for (const ControlTemplate& control : m_template.controls) {
            if (control.styles & kGroup) group = nullptr;
            QWidget* widget = Create(control, group);
            // A drop-down list's template height includes its open list.
            const int height = control.kind == ControlKind::DropDownList
                                   ? widget->sizeHint().height()
                                   : px(control.height, baseY, 8);
            widget->setGeometry(px(control.x, baseX, 4), px(control.y, baseY, 8),
                                px(control.width, baseX, 4), height);
            widget->setObjectName(control.id == IDC_STATIC ? QString("static_%1").arg(staticIndex++)
                                                           : QString("control_%1").arg(control.id));
            if (control.styles & kDisabled) widget->setEnabled(false);
            if (control.id != IDC_STATIC) m_controls[control.id] = widget;
            if (control.kind == ControlKind::RadioButton) {
                // The buttons of a group with a tab stop stand together in
                // the tab order; FixGroupTabStop picks the one Tab visits.
                if (control.styles & kTabStop) tabGroup = group;
                widget->setFocusPolicy(Qt::ClickFocus);
                if (group == tabGroup) m_tabOrder.push_back(widget);
            } else if (control.styles & kTabStop && !(control.styles & kDisabled)) {
                widget->setFocusPolicy(Qt::StrongFocus);
                m_tabOrder.push_back(widget);
            } else {
                widget->setFocusPolicy(Qt::NoFocus);
            }
        }
        for (std::size_t i = 1; i < m_tabOrder.size(); ++i)
            QWidget::setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
        for (QButtonGroup* buttons : m_dialog->findChildren<QButtonGroup*>()) {
            if (buttons->buttons().isEmpty() ||
                std::find(m_tabOrder.begin(), m_tabOrder.end(), buttons->buttons().front()) ==
                    m_tabOrder.end())
                continue;
            FixGroupTabStop(buttons);
            QObject::connect(buttons, &QButtonGroup::buttonToggled,
                             [buttons](QAbstractButton*, bool) { FixGroupTabStop(buttons); });
        }
        // Frames stay behind the controls they surround.
        for (QGroupBox* box : m_dialog->findChildren<QGroupBox*>()) box->lower();
    }

    QWidget* Create(const ControlTemplate& control, QButtonGroup*& group) {
        const QString text = ToQt(control.text);
        const int id = control.id;
        switch (control.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefaultPushButton: {
                auto* button = new QPushButton(text, m_dialog);
                button->setAutoDefault(false);
                button->setDefault(control.kind == ControlKind::DefaultPushButton);
                QObject::connect(button, &QPushButton::clicked,
                                 [this, id] { m_owner.OnCommand(id, ControlEvent::Clicked); });
                return button;
            }
            case ControlKind::RadioButton: {
                auto* radio = new GroupRadio(text, m_dialog);
                if (!group) {
                    group = new QButtonGroup(m_dialog);
                    group->setExclusive(true);
                }
                group->addButton(radio);
                QObject::connect(radio, &QRadioButton::clicked,
                                 [this, id] { m_owner.OnCommand(id, ControlEvent::Clicked); });
                return radio;
            }
            case ControlKind::CheckBox: {
                auto* box = new QCheckBox(text, m_dialog);
                QObject::connect(box, &QCheckBox::clicked,
                                 [this, id] { m_owner.OnCommand(id, ControlEvent::Clicked); });
                return box;
            }
            case ControlKind::ListBox: {
                auto* list = new QListWidget(m_dialog);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                return list;
            }
            case ControlKind::Edit: {
                auto* edit = new QLineEdit(text, m_dialog);
                edit->setMaxLength(32767);
                if (control.styles & kPassword) edit->setEchoMode(QLineEdit::Password);
                return edit;
            }
            case ControlKind::Static: {
                auto* label = new QLabel(text, m_dialog);
                // What a static shows is text, never markup.
                label->setTextFormat(Qt::PlainText);
                label->setWordWrap(true);
                label->setAlignment((control.styles & kCentered ? Qt::AlignHCenter : Qt::AlignLeft) |
                                    Qt::AlignTop);
                return label;
            }
            case ControlKind::Icon: {
                auto* label = new QLabel(m_dialog);
                label->setPixmap(QPixmap(kAppIconXpm));
                return label;
            }
            case ControlKind::GroupBox:
                return new QGroupBox(text, m_dialog);
            case ControlKind::TimePicker: {
                auto* time = new SectionTimeEdit(QTime::currentTime(), m_dialog);
                time->setAlignment(Qt::AlignRight);
                return time;
            }
            case ControlKind::DropDownList: {
                auto* combo = new QComboBox(m_dialog);
                combo->setEditable(false);
                for (const std::string& item : m_template.dropDownItems) combo->addItem(ToQt(item));
                combo->setCurrentIndex(-1);
                // A choice of the person's, not one the program made.
                QObject::connect(combo, QOverload<int>::of(&QComboBox::activated),
                                 [this, id] { m_owner.OnCommand(id, ControlEvent::SelectionChanged); });
                return combo;
            }
        }
        throw std::logic_error("unknown control kind");
    }

    QWidget* Control(int id) {
        const auto found = m_controls.find(id);
        if (found == m_controls.end())
            throw std::out_of_range("no control " + std::to_string(id) + " in " + m_template.caption);
        return found->second;
    }
    template <typename Widget>
    Widget* As(int id) {
        auto* widget = qobject_cast<Widget*>(Control(id));
        if (!widget) throw std::logic_error("control " + std::to_string(id) + " is of another kind");
        return widget;
    }
    QListWidget* List(int id) { return As<QListWidget>(id); }
    QComboBox* DropDown(int id) { return As<QComboBox>(id); }
    QTimeEdit* Time(int id) { return As<QTimeEdit>(id); }

    CDialog& m_owner;
    const DialogTemplate& m_template;
    TemplateDialog* m_dialog = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<int, QTimer*> m_timers;  // children of the dialog
    bool m_endedEarly = false;
    int m_earlyResult = 0;
    std::vector<QWidget*> m_tabOrder;
};

}  // namespace

std::unique_ptr<DialogHost> CreateDialogHost(CDialog& owner, int templateId, CDialog* parent) {
    return std::make_unique<QtDialogHost>(owner, templateId, parent);
}

void AppMessageBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, "Lorvane", ToQt(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("app_message_box");
    box.exec();
}

std::string LocaleTimeFormat() {
    // Qt's long time format in Windows picture notation: the AM/PM mark
    // "AP" becomes "tt"; the time zone and milliseconds have no place here.
    const QString qt = QLocale::system().timeFormat(QLocale::LongFormat);
    std::string out;
    for (int i = 0; i < qt.size(); ++i) {
        const QChar c = qt[i];
        if (c == 'A' || c == 'a') {
            if (i + 1 < qt.size() && (qt[i + 1] == 'P' || qt[i + 1] == 'p')) ++i;
            out += "tt";
        } else if (c == 't' || c == 'z') {
            while (i + 1 < qt.size() && qt[i + 1] == c) ++i;
            while (!out.empty() && out.back() == ' ') out.pop_back();
        } else if (c == '\'') {
            const int end = qt.indexOf('\'', i + 1);
            out += FromQt(qt.mid(i, end < 0 ? -1 : end - i + 1));
            if (end < 0) break;
            i = end;
        } else {
            out += FromQt(QString(c));
        }
    }
    return out;
}

std::string LocaleTimeSeparator() {
    // What stands between the hours and the minutes.
    const std::string format = LocaleTimeFormat();
    const std::size_t hour = format.find_first_of("hH");
    if (hour == std::string::npos) return ":";
    const std::size_t after = format.find_first_not_of("hH", hour);
    const std::size_t minute = format.find('m', after);
    if (after == std::string::npos || minute == std::string::npos || minute == after) return ":";
    return format.substr(after, minute - after);
}

std::string LogonUserName() {
    return CurrentUserName();
}

}  // namespace lorvane
