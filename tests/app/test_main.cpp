// The window tests run on Qt's offscreen platform, with the settings and the
// documents folder inside a temporary folder of the test program.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Nothing a test does may reach the user's own settings.
    char pattern[] = "/tmp/tovra-app-home-XXXXXX";
    const char* home = mkdtemp(pattern);
    if (!home) return 2;
    setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (std::string(home) + "/Documents").c_str(), 1);
    QApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return result;
}
