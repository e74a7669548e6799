// The window position store: the section Form1FormState, restoring at show,
// saving at a close by the user, and nothing written when start-up ends the
// program.
#include <QGuiApplication>
#include <QScreen>

#include "app/application_title.h"
#include "app_fixture.h"

namespace tovra::test_support {
namespace {

constexpr char kSection[] = "Form1FormState";

using FormStateTest = AppTest;

TEST_F(FormStateTest, FirstStartOpensCentredAndClosingStoresThePosition) {
    TForm1& form = StartReady();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(form.frameGeometry().center().x(), screen.center().x(), 1);
    EXPECT_NEAR(form.frameGeometry().center().y(), screen.center().y(), 1);
    EXPECT_FALSE(store_.ValueExists(kSection, "Saved"));

    form.move(40, 30);
    form.close();
    EXPECT_EQ(store_.ReadString(kSection, "Saved", ""), "1");
    EXPECT_EQ(store_.ReadString(kSection, "Maximized", ""), "0");
    EXPECT_EQ(store_.TypeOf(kSection, "Left"), TSettingsStore::ValueType::Integer);
    EXPECT_EQ(store_.ReadInteger(kSection, "Left", -1), 40);
    EXPECT_EQ(store_.ReadInteger(kSection, "Top", -1), 30);
    // A fixed-size window keeps no right and bottom edges.
    EXPECT_FALSE(store_.ValueExists(kSection, "Right"));
    EXPECT_FALSE(store_.ValueExists(kSection, "Bottom"));

    // The next start opens where the window was closed.
    form_.reset();
    EXPECT_EQ(StartReady().pos(), QPoint(40, 30));
}

TEST_F(FormStateTest, StoredPositionsAreRestoredWhenAMonitorShowsThem) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const struct {
        int left, top;
        QPoint expected;
    } cases[] = {
        {120, 80, {120, 80}},
        {screen.right() - 10, screen.bottom() - 10, {screen.right() - 10, screen.bottom() - 10}},
        {screen.right() + 5000, 40, {0, 0}},  // a monitor that is gone
        {-3000, 10, {0, 0}},
        {50, screen.bottom() + 2000, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
        store_.WriteBool(kSection, "Saved", true);
        store_.WriteInteger(kSection, "Left", c.left);
        store_.WriteInteger(kSection, "Top", c.top);
        dialogs_ = ScriptedDialogs();
        TForm1& form = StartReady();
        EXPECT_EQ(form.pos(), c.expected);
        form_.reset();
    }
}

TEST_F(FormStateTest, WithoutSavedTheStoredCornerIsIgnored) {
    store_.WriteInteger(kSection, "Left", 120);
    store_.WriteInteger(kSection, "Top", 80);
    TForm1& form = StartReady();
    EXPECT_NE(form.pos(), QPoint(120, 80));
}

TEST_F(FormStateTest, IntegersStoredAsTextAreReadAndStayText) {
    store_.WriteBool(kSection, "Saved", true);
    store_.WriteString(kSection, "Left", "120");
    store_.WriteInteger(kSection, "Top", 70);
    TForm1& form = StartReady();
    EXPECT_EQ(form.pos(), QPoint(120, 70));

    form.move(150, 90);
    form.close();
    EXPECT_EQ(store_.TypeOf(kSection, "Left"), TSettingsStore::ValueType::String);
    EXPECT_EQ(store_.ReadString(kSection, "Left", ""), "150");
    EXPECT_EQ(store_.TypeOf(kSection, "Top"), TSettingsStore::ValueType::Integer);
    EXPECT_EQ(store_.ReadInteger(kSection, "Top", -1), 90);
}

TEST_F(FormStateTest, UnparsableTextFallsBackToTheCurrentPlace) {
    store_.WriteBool(kSection, "Saved", true);
    store_.WriteString(kSection, "Left", "abc");
    store_.WriteInteger(kSection, "Top", 70);
    TForm1& form = StartReady();
    // The default is where the window is before it is first placed; the
    // window still ends up on a monitor.
    EXPECT_TRUE(QGuiApplication::screenAt(form.pos()) != nullptr);
    EXPECT_EQ(store_.ReadString(kSection, "Left", ""), "abc");
}

TEST_F(FormStateTest, AFailedStartUpWritesNothing) {
    store_.WriteBool(kSection, "Saved", true);
    store_.WriteInteger(kSection, "Left", 60);
    store_.WriteInteger(kSection, "Top", 50);
    WriteLT5Bible(store_, temp_ / "missing.lt5bible");
    store_.WriteString(kSettingsSection, "RemoveFonts", "1");
    const std::string before = ReadFile(settingsFile_);

    TForm1& form = Start();  // the module chooser is cancelled
    ASSERT_TRUE(form.Terminated());
    form.move(300, 200);
    // Even if a close came now, the program is ending on its own.
    form.close();
    form_.reset();
    EXPECT_EQ(ReadFile(settingsFile_), before);
}

TEST_F(FormStateTest, AStoreFailureWhileSavingIsShownAndTheWindowClosesAnyway) {
    TForm1& form = StartReady();
    // Replace the settings file by a folder: the next write cannot succeed.
    std::filesystem::remove(settingsFile_);
    std::filesystem::create_directories(settingsFile_);
    dialogs_.errors.clear();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0].caption, ApplicationTitle());
    EXPECT_FALSE(dialogs_.errors[0].text.empty());
}

}  // namespace
}  // namespace tovra::test_support
