// Pictures of the three dialogs for a person to look at: run under Xvfb
// (a real X server), each dialog is shown and saved as a PNG in the build
// folder.
#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/lorvane_dlg.h"
#include "config/password_dlg.h"
#include "config/resource.h"
#include "qt/modal_script.h"
#include "support/scratch.h"

namespace lorvane {
namespace {

void Save(QWidget* window, const char* name) {
    std::filesystem::create_directories(LORVANE_SCREENSHOT_DIR);
    const QString path = QString(LORVANE_SCREENSHOT_DIR) + "/" + name;
    QApplication::processEvents();
    QPixmap picture = window->screen()->grabWindow(window->winId());
    if (picture.isNull() || picture.width() < 10) picture = window->grab();
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}

TEST(DialogScreenshots, EveryDialog) {
    test::ScratchStore scratch;
    scratch.Write({{"Email", "reader@example.org"}, {"Frequency", "Weekly"}, {"Day", "Wednesday"},
                   {"Hour", "18"}, {"Minute", "45"}, {"Format", "HTML"},
                   {"Query0", "breast_cancer_therapy"}, {"Query1", "\"heart_attack\"[tiab]"},
                   {"Query2", "neutropenia"}});
    // A run in the log, and a job in the (stand-in) crontab registered for
    // another time: both status lines show, the longest warning among them.
    const std::string state = std::string(std::getenv("XDG_STATE_HOME")) + "/Lorvane";
    std::filesystem::create_directories(state);
    std::ofstream(state + "/tessory.log")
        << "2026-12-08T07:30:02 3 queries searched, 12 articles listed, digest not delivered: the mail server "
           "smtp.example.org:587 answered: 535 5.7.8 Authentication credentials invalid; the user name and "
           "password were refused: check them in \"Outgoing mail...\"\n";
    std::ofstream(std::getenv("LORVANE_TEST_CRONTAB_FILE"))
        << "# Lorvane work item \"Lorvane\" runs weekly on Wednesday at 07:15\n"
           "15 * * * * exec /usr/bin/tessory --scheduled\n";
    std::unique_ptr<SettingsStore> store = scratch.Create();
    test::RunConfigDialog(
        *store,
        {[](QWidget* m) {
             Save(m, "configuration_dialog.png");
             m->findChild<QAction*>(QString("command_%1").arg(IDM_ABOUT))->trigger();
         },
         [](QWidget* about) {
             Save(about, "about_dialog.png");
             test::Click(about, IDOK);
         },
         [](QWidget* m) { test::Click(m, IDC_OUTGOING_MAIL); },
         [](QWidget* mail) {
             Save(mail, "mail_server_dialog.png");
             test::Click(mail, IDCANCEL);
         },
         [](QWidget* m) { test::Click(m, IDC_DIGEST_OPTIONS); },
         [](QWidget* digest) {
             Save(digest, "digest_options_dialog.png");
             test::Click(digest, IDCANCEL);
         },
         [](QWidget* m) { test::Click(m, IDCANCEL); }});

    CDialogGetPassword prompt;
    test::RunModal([&] { prompt.DoModal(); },
                   {[](QWidget* m) {
                       Save(m, "password_dialog.png");
                       test::Click(m, IDCANCEL);
                   }});
}

}  // namespace
}  // namespace lorvane
