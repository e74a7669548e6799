// Start-up: the three lines of window creation, the title, and the search for
// the reference module at the first idle moment.
#include <QCheckBox>
#include <QLabel>

#include "app_fixture.h"
#include "platform/version.h"

namespace tovra::test_support {
namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, NothingStoredLoadsTheBundledModuleWithoutAQuestion) {
    const std::string bundled = BundledModule();
    TForm1& form = StartReady();

    EXPECT_TRUE(form.Started);
    EXPECT_FALSE(form.Terminated());
    EXPECT_TRUE(dialogs_.fileChoosers.empty());
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_EQ(form.Module->FileName(), bundled);

    std::vector<std::string> expected(kIntroduction, kIntroduction + kIntroductionLines);
    expected.insert(expected.end(),
                    {"", "==========", "Version " + VersionString(), "LT5 KJV Module loaded: " + bundled});
    EXPECT_EQ(LogLines(), expected);

    // Applying the default to the unchecked box is a change, which stores it.
    EXPECT_TRUE(form.CheckBoxRemoveFont->isChecked());
    EXPECT_EQ(store_.TypeOf(kSettingsSection, "RemoveFonts"), TSettingsStore::ValueType::String);
    EXPECT_EQ(store_.ReadString(kSettingsSection, "RemoveFonts", ""), "1");
    // The default path is used, not stored.
    EXPECT_FALSE(LT5BibleStored(store_));
    EXPECT_EQ(form.LabelOutFolder->text().toStdString(), ReadOutFolder(store_));
}

TEST_F(StartupTest, TitleAndVersionLineCarryTheVersion) {
    EXPECT_EQ(VersionString(), "1.2.1.15");
    TForm1& form = StartReady();
    EXPECT_EQ(form.windowTitle().toStdString(), "tovra: e-Sword to Loom converter 1.2.1.15");
    const auto lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Version 1.2.1.15");
}

TEST_F(StartupTest, StoredRemoveFontsFalseLeavesTheBoxAndTheStoreAlone) {
    store_.WriteInteger(kSettingsSection, "RemoveFonts", 0);
    TForm1& form = StartReady();
    EXPECT_FALSE(form.CheckBoxRemoveFont->isChecked());
    // No change of the box, so nothing was rewritten.
    EXPECT_EQ(store_.TypeOf(kSettingsSection, "RemoveFonts"), TSettingsStore::ValueType::Integer);
}

TEST_F(StartupTest, MissingStoredModuleAsksAndCancelEndsTheProgram) {
    const std::string missing = temp_ / "gone/kjv.lt5bible";
    WriteLT5Bible(store_, missing);
    TForm1& form = Start();

    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kModuleRequiredMessage});
    ASSERT_EQ(dialogs_.fileChoosers.size(), 1u);
    const TOpenDialog& chooser = dialogs_.fileChoosers[0];
    EXPECT_EQ(chooser.Title, "Locate Lectern 5 KJV Module File");
    EXPECT_EQ(chooser.Filter, "Lectern 5 KJV Module|kjv.lt5bible");
    EXPECT_TRUE(chooser.FileMustExist);
    EXPECT_FALSE(chooser.AllowMultiSelect);

    EXPECT_TRUE(form.Terminated());
    EXPECT_EQ(terminations_, 1);
    EXPECT_EQ(form.Module, nullptr);
    EXPECT_EQ(ReadLT5Bible(store_), missing);
    EXPECT_NE(LogLines().back().rfind("LT5 KJV Module loaded: ", 0), 0u);
}

TEST_F(StartupTest, AFolderAtTheModulePathCountsAsMissing) {
    std::filesystem::create_directories(temp_ / "folder.lt5bible");
    WriteLT5Bible(store_, temp_ / "folder.lt5bible");
    const std::string chosen = ModuleCopy("kjv.lt5bible");
    dialogs_.fileAnswers.push_back(std::vector<std::string>{chosen});
    TForm1& form = Start();

    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kModuleRequiredMessage});
    ASSERT_NE(form.Module, nullptr);
    EXPECT_FALSE(form.Terminated());
    // The chosen file is stored at once and loaded.
    EXPECT_EQ(ReadLT5Bible(store_), chosen);
    EXPECT_EQ(LogLines().back(), "LT5 KJV Module loaded: " + chosen);
}

TEST_F(StartupTest, ModulesThatFailToLoadEndTheProgramAndForgetThePath) {
    struct Case {
        const char* name;
        bool stored;  // stored as "LT5Bible" (else chosen in the chooser)
    };
    for (const Case c : {Case{"stored", true}, Case{"chosen", false}}) {
        SCOPED_TRACE(c.name);
        dialogs_ = ScriptedDialogs();
        terminations_ = 0;
        const std::string damaged = DamagedModule(std::string(c.name) + "-kjv.lt5bible");
        if (c.stored) {
            WriteLT5Bible(store_, damaged);
        } else {
            WriteLT5Bible(store_, temp_ / "missing.lt5bible");
            dialogs_.fileAnswers.push_back(std::vector<std::string>{damaged});
        }
        TForm1& form = Start();

        std::vector<std::string> expected;
        if (!c.stored) expected.push_back(kModuleRequiredMessage);
        expected.push_back("Module file has invalid or corrupt hash.");
        EXPECT_EQ(dialogs_.messages, expected);
        EXPECT_TRUE(dialogs_.errors.empty());
        EXPECT_TRUE(form.Terminated());
        EXPECT_EQ(terminations_, 1);
        EXPECT_EQ(form.Module, nullptr);
        EXPECT_FALSE(LT5BibleStored(store_));
        form_.reset();

        // The next start looks at the default path again.
        dialogs_ = ScriptedDialogs();
        StartReady();
        EXPECT_EQ(LogLines().back(), "LT5 KJV Module loaded: " + BundledModule());
        form_.reset();
    }
}

TEST_F(StartupTest, IdleEventsInsideTheModalDialogsDoNotStartItAgain) {
    dialogs_.nestedLoops = true;
    WriteLT5Bible(store_, temp_ / "missing.lt5bible");
    const std::string chosen = ModuleCopy("kjv.lt5bible");
    dialogs_.fileAnswers.push_back(std::vector<std::string>{chosen});
    TForm1& form = Start();
    // Let a few more idle moments pass.
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();

    EXPECT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.fileChoosers.size(), 1u);
    ASSERT_NE(form.Module, nullptr);
    const auto lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "LT5 KJV Module loaded: " + chosen), 1);
}

TEST_F(StartupTest, ADamagedSettingsFileIsReportedOnceInTheLog) {
    WriteFile(settingsFile_, "[Settings]\nLT5Bible=sz:/elsewhere\nnot a setting\n");
    StartReady();
    const auto lines = LogLines();
    const auto damaged = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("is damaged") != std::string::npos;
    });
    EXPECT_EQ(damaged, 1);
    // Everything reads as defaults: the bundled module is loaded.
    EXPECT_EQ(lines.back(), "LT5 KJV Module loaded: " + BundledModule());
}

TEST_F(StartupTest, AnIdleApplicationGetsOneIdleEventNotAStream) {
    TForm1& form = StartReady();
    int idles = 0;
    QObject::connect(&form.ApplicationEvents1, &TApplicationEvents::Idle, [&] { ++idles; });
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    // A few wake-ups (the timer's) may each end in an idle moment; a busy
    // loop would deliver thousands.
    EXPECT_LE(idles, 5);
    // Activity brings the next idle moment.
    idles = 0;
    QTimer::singleShot(10, [] {});
    QEventLoop again;
    QTimer::singleShot(100, &again, &QEventLoop::quit);
    again.exec();
    EXPECT_GE(idles, 1);
}

TEST_F(StartupTest, NothingHappensBeforeTheWindowIsShown) {
    form_ = std::make_unique<TForm1>(dialogs_, settingsFile_);
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(form_->Started);
    EXPECT_EQ(form_->Module, nullptr);
}

}  // namespace
}  // namespace tovra::test_support
