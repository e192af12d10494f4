// Test main for the dialog tests: a QApplication on Qt's offscreen
// platform unless the environment names another (Xvfb for screenshots).
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/isolation.h"

int main(int argc, char* argv[]) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setApplicationName("Lorvane");
    testing::InitGoogleTest(&argc, argv);
    // A safety net under every test: no crontab, mail or settings of the
    // person running them is reached, even by a test that forgets.
    lorvane::test::IsolatedEnvironment isolation;
    return RUN_ALL_TESTS();
}
