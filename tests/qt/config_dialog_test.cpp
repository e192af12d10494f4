// The configuration dialog driven for real on Qt's offscreen platform:
// first start, the query list, the round trip through the store, and the
// controls as the dialog builds them.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include "common/local_time.h"
#include "config/lorvane_dlg.h"
#include "config/resource.h"
#include "qt/modal_script.h"
#include "support/isolation.h"
#include "support/scratch.h"

namespace lorvane {
namespace {

using test::Click;
using test::ControlOf;
using test::TypeInto;

const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// A stored set with alerts off: "Save and exit" then asks for no password.
std::vector<SettingsValue> Stored(const char* frequency = "Off") {
    std::vector<SettingsValue> values = {{"Email", "reader@example.org"}, {"Frequency", frequency},
                                         {"Day", "Monday"},              {"Hour", "7"},
                                         {"Minute", "30"},               {"Format", "HTML"}};
    for (int slot = 0; slot < kQuerySlotCount; ++slot) values.push_back({QueryValueName(slot), ""});
    return values;
}

// The message box that ends every "Save and exit".
void MailSentBox(QWidget* box) {
    EXPECT_EQ(test::AcceptMessageBox(box), "An e-mail message with the updated settings was send to you!");
}

class ConfigDialog : public ::testing::Test {
protected:
    test::IsolatedEnvironment m_isolation;
    std::string Read(const std::string& name) {
        std::unique_ptr<SettingsStore> store = m_scratch.Create();
        std::string error, text = "<missing>";
        if (!store->Open().ok()) return "<no store>";
        if (store->Read(name, kUnlimitedCapacity, text) != ValueRead::Found) return "<missing>";
        return text;
    }

    // Opens the dialog over the scratch store and runs `steps` on it.
    int Open(std::vector<test::ModalStep> steps) {
        std::unique_ptr<SettingsStore> store = m_scratch.Create();
        return test::RunConfigDialog(*store, std::move(steps));
    }

    static std::vector<std::string> ListItems(QWidget* modal) {
        std::vector<std::string> items;
        auto* list = ControlOf<QListWidget>(modal, IDC_QUERY_LIST);
        for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
        return items;
    }

    test::ScratchStore m_scratch;
};

TEST_F(ConfigDialog, FirstStartWritesTheDefaultsEvenWhenCancelled) {
    CalendarTime before, after;
    LocalCalendarTime(SystemClock(), before);
    const int result = Open({[](QWidget* m) {
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FREQ_WEEKLY)->isChecked());
        EXPECT_TRUE(ControlOf<QComboBox>(m, IDC_RUN_DAY)->isEnabled());
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FORMAT_HTML)->isChecked());
        EXPECT_TRUE(ControlOf<QCheckBox>(m, IDC_ONLY_NEW)->isChecked());
        EXPECT_EQ(ControlOf<QLineEdit>(m, IDC_EMAIL_EDIT)->text().toStdString(), "your.name@example.org");
        EXPECT_EQ(ControlOf<QListWidget>(m, IDC_QUERY_LIST)->count(), 0);
        Click(m, IDCANCEL);
    }});
    LocalCalendarTime(SystemClock(), after);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Read("Email"), "your.name@example.org");
    EXPECT_EQ(Read("Frequency"), "Weekly");
    for (int slot = 0; slot < kQuerySlotCount; ++slot) EXPECT_EQ(Read(QueryValueName(slot)), "") << slot;
    EXPECT_EQ(Read("Format"), "HTML");
    EXPECT_EQ(Read("OnlyNew"), "1");
    EXPECT_EQ(Read("AttachCitations") + Read("ForwardLinks") + Read("Abstracts") + Read("WatchRetractions"), "1101");
    const std::string day = Read("Day");
    EXPECT_TRUE(day == kDays[before.dayOfWeek] || day == kDays[after.dayOfWeek]) << day;
    const std::string time = Read("Hour") + ":" + Read("Minute");
    EXPECT_TRUE(time == std::to_string(before.hour) + ":" + std::to_string(before.minute) ||
                time == std::to_string(after.hour) + ":" + std::to_string(after.minute))
        << time;
}

TEST_F(ConfigDialog, QueryListAddsInSortedOrderAndRemovesTheSelection) {
    m_scratch.Write(Stored());
    const int result = Open({[](QWidget* m) {
        for (const char* query : {"beta", "Alpha", "gamma", "alpha", "beta", "   "}) {
            TypeInto(m, IDC_QUERY_EDIT, query);
            Click(m, IDC_ADD_QUERY);
            EXPECT_EQ(ControlOf<QLineEdit>(m, IDC_QUERY_EDIT)->text(), "");
        }
        Click(m, IDC_ADD_QUERY);  // an empty box adds nothing
        EXPECT_EQ(ListItems(m), (std::vector<std::string>{"   ", "Alpha", "alpha", "beta", "beta", "gamma"}));
        Click(m, IDC_REMOVE_QUERY);  // nothing selected: nothing removed
        EXPECT_EQ(ListItems(m).size(), 6u);
        ControlOf<QListWidget>(m, IDC_QUERY_LIST)->setCurrentRow(3);
        Click(m, IDC_REMOVE_QUERY);
        EXPECT_EQ(ListItems(m), (std::vector<std::string>{"   ", "Alpha", "alpha", "beta", "gamma"}));
        Click(m, IDOK);
    },
          MailSentBox});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Read("Query0"), "___");
    EXPECT_EQ(Read("Query1"), "Alpha");
    EXPECT_EQ(Read("Query4"), "gamma");
    EXPECT_EQ(Read("Query5"), "");
}

TEST_F(ConfigDialog, BlanksAndUnderscoresRoundTrip) {
    m_scratch.Write(Stored());
    Open({[](QWidget* m) {
        TypeInto(m, IDC_QUERY_EDIT, "breast cancer");
        Click(m, IDC_ADD_QUERY);
        TypeInto(m, IDC_QUERY_EDIT, "my_query");  // left in the box: saved all the same
        Click(m, IDOK);
    },
          MailSentBox});
    EXPECT_EQ(Read("Query0"), "breast_cancer");
    EXPECT_EQ(Read("Query1"), "my_query");
    Open({[](QWidget* m) {
        EXPECT_EQ(ListItems(m), (std::vector<std::string>{"breast cancer", "my query"}));
        Click(m, IDCANCEL);
    }});
}

TEST_F(ConfigDialog, StoredSlotsWithGapsLoadSortedAndSaveFromSlotZero) {
    std::vector<SettingsValue> values = Stored();
    values.push_back({"Query3", "zeta"});
    values.push_back({"Query150", "alpha_beta"});
    values.push_back({"Query199", "Mid"});
    m_scratch.Write(values);
    Open({[](QWidget* m) {
        EXPECT_EQ(ListItems(m), (std::vector<std::string>{"alpha beta", "Mid", "zeta"}));
        Click(m, IDOK);
    },
          MailSentBox});
    EXPECT_EQ(Read("Query0"), "alpha_beta");
    EXPECT_EQ(Read("Query1"), "Mid");
    EXPECT_EQ(Read("Query2"), "zeta");
    EXPECT_EQ(Read("Query3"), "");
    EXPECT_EQ(Read("Query150"), "");
    EXPECT_EQ(Read("Query199"), "");
}

TEST_F(ConfigDialog, UnknownDayAndEmptyTime) {
    std::vector<SettingsValue> values = Stored();
    values.push_back({"Day", "Funday"});
    values.push_back({"Hour", ""});
    values.push_back({"Minute", ""});
    m_scratch.Write(values);
    Open({[](QWidget* m) {
        EXPECT_EQ(ControlOf<QComboBox>(m, IDC_RUN_DAY)->currentIndex(), -1);
        EXPECT_EQ(ControlOf<QTimeEdit>(m, IDC_RUN_TIME)->time(), QTime(0, 0));
        Click(m, IDOK);
    },
          MailSentBox});
    EXPECT_EQ(Read("Day"), "Funday");  // no day picked: the stored one stays
    EXPECT_EQ(Read("Hour"), "0");
    EXPECT_EQ(Read("Minute"), "0");
}

TEST_F(ConfigDialog, TimeCarriesLikeTheCalendar) {
    std::vector<SettingsValue> values = Stored();
    values.push_back({"Hour", "7h"});
    values.push_back({"Minute", "75"});
    m_scratch.Write(values);
    Open({[](QWidget* m) {
        EXPECT_EQ(ControlOf<QTimeEdit>(m, IDC_RUN_TIME)->time(), QTime(8, 15));
        Click(m, IDOK);
    },
          MailSentBox});
    EXPECT_EQ(Read("Hour"), "8");
    EXPECT_EQ(Read("Minute"), "15");
}

TEST_F(ConfigDialog, ClickingIntoTheHoursAndTypingReplacesThem) {
    m_scratch.Write(Stored("Daily"));
    Open({[](QWidget* m) {
        auto* time = ControlOf<QTimeEdit>(m, IDC_RUN_TIME);
        ASSERT_EQ(time->time(), QTime(7, 30));
        auto* line = time->findChild<QLineEdit*>();
        ASSERT_TRUE(line);
        // A click between the two digits of the hours, then "09".
        time->setFocus();
        line->setCursorPosition(1);
        const QPoint between = line->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        line->setCursorPosition(line->text().size());
        QMouseEvent press(QEvent::MouseButtonPress, between, line->mapToGlobal(between), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, between, line->mapToGlobal(between),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(line, &press);
        QApplication::sendEvent(line, &release);
        QTest::keyClicks(time, "09");
        EXPECT_EQ(time->time().toString().toStdString(), "09:30:00") << time->text().toStdString();
        // All of it selected, a whole time typed over it.
        QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(time, "0715");
        EXPECT_EQ(time->time(), QTime(7, 15)) << time->text().toStdString();
        Click(m, IDOK);
    },
          [](QWidget* box) { test::AcceptMessageBox(box); },  // the schedule's outcome
          MailSentBox});
    EXPECT_EQ(Read("Hour"), "7");
    EXPECT_EQ(Read("Minute"), "15");
}

TEST_F(ConfigDialog, FrequencyRadiosEnableTheScheduleControls) {
    std::vector<SettingsValue> values = Stored("Weekly");
    values.push_back({"Day", "Wednesday"});
    m_scratch.Write(values);
    Open({[](QWidget* m) {
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FREQ_WEEKLY)->isChecked());
        Click(m, IDC_FREQ_OFF);
        EXPECT_FALSE(ControlOf<QTimeEdit>(m, IDC_RUN_TIME)->isEnabled());
        EXPECT_FALSE(ControlOf<QLabel>(m, IDC_TIME_LABEL)->isEnabled());
        EXPECT_FALSE(ControlOf<QComboBox>(m, IDC_RUN_DAY)->isEnabled());
        Click(m, IDC_FREQ_DAILY);
        EXPECT_FALSE(ControlOf<QRadioButton>(m, IDC_FREQ_OFF)->isChecked());
        EXPECT_TRUE(ControlOf<QTimeEdit>(m, IDC_RUN_TIME)->isEnabled());
        EXPECT_FALSE(ControlOf<QComboBox>(m, IDC_RUN_DAY)->isEnabled());
        EXPECT_FALSE(ControlOf<QLabel>(m, IDC_DAY_LABEL)->isEnabled());
        Click(m, IDC_FORMAT_TEXT);
        EXPECT_FALSE(ControlOf<QRadioButton>(m, IDC_FORMAT_HTML)->isChecked());
        EXPECT_FALSE(ControlOf<QCheckBox>(m, IDC_ONLY_NEW)->isChecked());  // absent: off
        Click(m, IDC_ONLY_NEW);
        // The access key of "&Digest...", as a person at the keyboard opens it.
        m->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m));
        QTest::keyClick(m, Qt::Key_D, Qt::AltModifier);
    },
          [](QWidget* digest) {
              EXPECT_EQ(digest->windowTitle().toStdString(), "Digest options");
              for (const int box : {IDC_ATTACH_CITATIONS, IDC_FORWARD_LINKS, IDC_ABSTRACTS, IDC_WATCH_RETRACTIONS})
                  EXPECT_FALSE(ControlOf<QCheckBox>(digest, box)->isChecked());  // absent: off
              Click(digest, IDC_ABSTRACTS);
              Click(digest, IDC_WATCH_RETRACTIONS);
              Click(digest, IDOK);
          },
          [](QWidget* m) { Click(m, IDOK); },
          [](QWidget* box) { test::AcceptMessageBox(box); },  // the schedule's outcome
          MailSentBox});
    EXPECT_EQ(Read("Frequency"), "Daily");
    EXPECT_EQ(Read("Day"), "Wednesday");  // disabled, and still saved
    EXPECT_EQ(Read("Format"), "Text");
    EXPECT_EQ(Read("OnlyNew"), "1");
    EXPECT_EQ(Read("AttachCitations") + Read("ForwardLinks") + Read("Abstracts") + Read("WatchRetractions"), "0011");
    const std::vector<test::ReceivedMail> mails = m_isolation.sink().Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_NE(mails[0].body.find("Format: Text\n\nOnly articles I have not been sent before: Yes\n\n"
                                 "Attach the citations of all articles (a RIS file): No\n\n"
                                 "Add a Forward link that opens your own mail program: No\n\n"
                                 "Add each article's abstract and DOI: Yes\n\n"
                                 "Tell me when an article I was sent is retracted: Yes\n\n"
                                 "Alerts are scheduled daily at "),
              std::string::npos)
        << mails[0].body;
}

TEST_F(ConfigDialog, StoredTextsLoadByExactWords) {
    std::vector<SettingsValue> values = Stored("daily");
    values.push_back({"Format", "text"});
    values.push_back({"OnlyNew", "yes"});
    m_scratch.Write(values);
    Open({[](QWidget* m) {
        EXPECT_FALSE(ControlOf<QCheckBox>(m, IDC_ONLY_NEW)->isChecked());
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FREQ_OFF)->isChecked());
        EXPECT_FALSE(ControlOf<QRadioButton>(m, IDC_FREQ_DAILY)->isChecked());
        EXPECT_TRUE(ControlOf<QRadioButton>(m, IDC_FORMAT_HTML)->isChecked());
        Click(m, IDCANCEL);
    }});
}

TEST_F(ConfigDialog, EnterInTheQueryBoxAddsTheQueryThenSavesAndExits) {
    m_scratch.Write(Stored());
    const int result = Open({[](QWidget* m) {
        auto* edit = ControlOf<QLineEdit>(m, IDC_QUERY_EDIT);
        edit->setFocus();
        for (const char* query : {"typed query", "another"}) {
            TypeInto(m, IDC_QUERY_EDIT, query);
            test::PressKey(edit, Qt::Key_Return);  // added; the dialog stays
        }
        EXPECT_EQ(ListItems(m), (std::vector<std::string>{"another", "typed query"}));
        EXPECT_TRUE(edit->text().isEmpty());
        ControlOf<QLineEdit>(m, IDC_EMAIL_EDIT)->setText("anna.berg");
        test::PressKey(edit, Qt::Key_Return);  // nothing typed: Save and exit
    },
                             [this](QWidget* box) {  // said; nothing saved; the dialog stays
                                 EXPECT_EQ(test::AcceptMessageBox(box).rfind("\"anna.berg\" is not an e-mail", 0), 0u);
                                 EXPECT_EQ(Read("Email") + Read("Query0"), "reader@example.org");
                             },
                             [](QWidget* m) {
                                 ControlOf<QLineEdit>(m, IDC_EMAIL_EDIT)->setText("reader@example.org");
                                 Click(m, IDOK);
                             },
                             MailSentBox});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Read("Query0"), "another");
    EXPECT_EQ(Read("Query1"), "typed_query");
}

TEST_F(ConfigDialog, EscapeCancels) {
    m_scratch.Write(Stored());
    const int result = Open({[](QWidget* m) {
        TypeInto(m, IDC_QUERY_EDIT, "not saved");
        test::PressKey(ControlOf<QLineEdit>(m, IDC_QUERY_EDIT), Qt::Key_Escape);
    }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Read("Query0"), "");
}

TEST_F(ConfigDialog, TheTwoHundredAndFirstQueryIsRefused) {
    std::vector<SettingsValue> values = Stored();
    for (int slot = 0; slot < kQuerySlotCount; ++slot)
        values.push_back({QueryValueName(slot), "q" + std::to_string(1000 + slot)});
    m_scratch.Write(values);
    std::string message;
    Open({[](QWidget* m) {
              EXPECT_EQ(ListItems(m).size(), 200u);
              TypeInto(m, IDC_QUERY_EDIT, "one more");
              Click(m, IDC_ADD_QUERY);
          },
          [&](QWidget* box) { message = test::AcceptMessageBox(box); },
          [](QWidget* m) {
              EXPECT_EQ(ListItems(m).size(), 200u);
              EXPECT_EQ(ControlOf<QLineEdit>(m, IDC_QUERY_EDIT)->text(), "one more");
              Click(m, IDOK);
          },
          // Saving tries the typed query once more, and says so again.
          [&](QWidget* box) { EXPECT_EQ(test::AcceptMessageBox(box), message); }, MailSentBox});
    EXPECT_NE(message.find("full"), std::string::npos) << message;
    EXPECT_EQ(Read("Query199"), "q1199");  // nothing past the last slot
}

}  // namespace
}  // namespace lorvane
