// The window tests run on Qt's offscreen platform, with the settings and the
// documents folder inside a temporary folder of the test program.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "support/temp_folder.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Nothing a test does may reach the user's own settings.
    const tovra::test_support::TempFolder home;
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
