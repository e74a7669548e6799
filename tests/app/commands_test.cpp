// The window's commands: the input file chooser, the output folder chooser,
// the font option, "Go" and the standard error report.
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

#include "app/application_title.h"
#include "app_fixture.h"
#include "engine/output_file.h"

namespace tovra::test_support {
namespace {

using CommandsTest = AppTest;

TEST_F(CommandsTest, InputChooserReplacesTheListAndCancelKeepsIt) {
    TForm1& form = StartReady();
    EXPECT_EQ(Lines(form.MemoInFileList), std::vector<std::string>{"<--- select file(s) to convert"});
    EXPECT_TRUE(form.SelectedFiles.empty());

    const std::vector<std::string> first = {temp_ / "b.bbl", temp_ / "a.dct", temp_ / "c.top"};
    const std::vector<std::string> second = {temp_ / "z.cmt"};
    dialogs_.fileAnswers = {first, second, std::nullopt};

    form.ButtonChooseInput->click();
    EXPECT_EQ(form.SelectedFiles, first);  // in the chooser's order
    EXPECT_EQ(Lines(form.MemoInFileList), first);

    form.ButtonChooseInput->click();
    EXPECT_EQ(form.SelectedFiles, second);
    EXPECT_EQ(Lines(form.MemoInFileList), second);

    form.ButtonChooseInput->click();  // cancelled
    EXPECT_EQ(form.SelectedFiles, second);
    EXPECT_EQ(Lines(form.MemoInFileList), second);

    ASSERT_EQ(dialogs_.fileChoosers.size(), 3u);
    const TOpenDialog& chooser = dialogs_.fileChoosers[0];
    EXPECT_EQ(chooser.Title, "Select Input File(s)");
    EXPECT_EQ(chooser.Filter,
              "e-Sword Modules|*.bbl;*.top;*.cmt;*.dct;*.not;*.bblx;*.topx;*.cmtx;*.dctx;*.notx|"
              "e-Sword MS Access Databases|*.bbl;*.top;*.cmt;*.dct; *.not|"
              "e-Sword 9+ SQLite Databases|*.bblx;*.topx;*.cmtx;*.dctx;*.notx|"
              "MS Access Database|*.mdb|All Files|*.*");
    EXPECT_EQ(chooser.FilterIndex, 1);
    EXPECT_TRUE(chooser.AllowMultiSelect);
    EXPECT_TRUE(chooser.FileMustExist);
    EXPECT_TRUE(chooser.PathMustExist);
}

TEST_F(CommandsTest, OutputFolderChooserStoresTheChoiceAndCancelChangesNothing) {
    WriteOutFolder(store_, temp_ / "before");
    TForm1& form = StartReady();
    EXPECT_EQ(form.LabelOutFolder->text().toStdString(), temp_ / "before");

    dialogs_.folderAnswers = {std::nullopt, temp_ / "after"};
    form.ButtonOutFolder->click();  // cancelled
    EXPECT_EQ(ReadOutFolder(store_), temp_ / "before");
    EXPECT_EQ(form.LabelOutFolder->text().toStdString(), temp_ / "before");

    form.ButtonOutFolder->click();
    EXPECT_EQ(ReadOutFolder(store_), temp_ / "after");
    EXPECT_EQ(form.LabelOutFolder->text().toStdString(), temp_ / "after");

    ASSERT_EQ(dialogs_.folderChoosers.size(), 2u);
    EXPECT_EQ(dialogs_.folderChoosers[0].Title, "Select Output Folder");
    // The chooser opens at the stored folder.
    EXPECT_EQ(dialogs_.folderChoosers[0].SelectedFolder, temp_ / "before");
    EXPECT_TRUE(dialogs_.folderChoosers[0].NewFolderButton);
}

TEST_F(CommandsTest, EveryChangeOfTheOptionIsStored) {
    TForm1& form = StartReady();
    for (bool checked : {false, true, false}) {
        form.CheckBoxRemoveFont->click();
        EXPECT_EQ(form.CheckBoxRemoveFont->isChecked(), checked);
        EXPECT_EQ(store_.ReadString(kSettingsSection, "RemoveFonts", ""), checked ? "1" : "0");
    }
}

TEST_F(CommandsTest, GoWithoutFilesLogsOneLine) {
    TForm1& form = StartReady();
    form.ButtonGo->click();
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Please select files to convert."});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CommandsTest, GoConvertsTheSelectedFilesUnderTheWaitCursor) {
    const std::string dict = Database("dictionary.dct");
    const std::string bad = Database("not-access.top");
    const std::string topics = Database("topics.top");
    const std::string out = temp_ / "out";
    std::filesystem::create_directories(out);
    WriteOutFolder(store_, out);
    TForm1& form = StartReady();
    dialogs_.fileAnswers = {std::vector<std::string>{dict, bad, topics}};
    form.ButtonChooseInput->click();

    // Every line of the run is appended under the wait cursor.
    std::vector<bool> waitCursorAtLine;
    QObject::connect(form.MemoStatus, &QPlainTextEdit::textChanged, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waitCursorAtLine.push_back(cursor && cursor->shape() == Qt::WaitCursor);
    });
    form.ButtonGo->click();

    auto block = [](const std::string& path) {
        return std::vector<std::string>{"--------------", "Converting file: \"" + path + "\"", "Opening Database."};
    };
    std::vector<std::string> expected;
    auto add = [&](const std::vector<std::string>& lines) { expected.insert(expected.end(), lines.begin(), lines.end()); };
    add(block(dict));
    add({"Extracting entries from DICTIONARY.", "Converting RTF to HTML...", "Writing entries to \"" + OutputFilePath(out, dict) + "\""});
    add(block(bad));
    add({"FAILED TO OPEN DATABASE: \"Unrecognized database format '" + bad + "'.\""});
    add(block(topics));
    add({"Extracting entries from TOPICS.", "Converting RTF to HTML...", "Writing entries to \"" + OutputFilePath(out, topics) + "\""});
    add({"", "========================", "Done."});
    EXPECT_EQ(LogLines(), expected);

    EXPECT_TRUE(std::filesystem::exists(OutputFilePath(out, dict)));
    EXPECT_TRUE(std::filesystem::exists(OutputFilePath(out, topics)));
    EXPECT_FALSE(std::filesystem::exists(OutputFilePath(out, bad)));
    EXPECT_TRUE(dialogs_.errors.empty());
    // The closing lines come after the cursor is restored; the cleared log
    // and every file line before.
    ASSERT_GE(waitCursorAtLine.size(), 4u);
    const size_t fileLines = waitCursorAtLine.size() - 3;
    for (size_t i = 0; i < fileLines; ++i) EXPECT_TRUE(waitCursorAtLine[i]) << "line event " << i;
    for (size_t i = fileLines; i < waitCursorAtLine.size(); ++i) EXPECT_FALSE(waitCursorAtLine[i]);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CommandsTest, VerseKeyedModulesUseTheLoadedReferenceModule) {
    const std::string out = temp_ / "out";
    std::filesystem::create_directories(out);
    WriteOutFolder(store_, out);
    TForm1& form = StartReady();
    const std::string commentary = Database("commentary.cmt");
    form.SelectedFiles = {commentary};
    form.ButtonGo->click();
    const auto lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Done.");
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(OutputFilePath(out, commentary)));
}

TEST_F(CommandsTest, AnErrorThatEndsTheRunIsReportedAndTheWindowGoesOn) {
    const std::string missing = temp_ / "no-such-folder";
    WriteOutFolder(store_, missing);
    TForm1& form = StartReady();
    const std::string dict = Database("dict-lowercase.dct");
    form.SelectedFiles = {dict, dict};
    form.ButtonGo->click();

    const std::string output = OutputFilePath(missing, dict);
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0].caption, "tovra: e-Sword to Loom converter");
    EXPECT_EQ(dialogs_.errors[0].text, "Cannot create file \"" + output + "\". No such file or directory.");
    const auto lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Writing entries to \"" + output + "\"");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The program keeps running: the next run works once the folder exists.
    std::filesystem::create_directories(missing);
    form.ButtonGo->click();
    EXPECT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(LogLines().back(), "Done.");
}

TEST_F(CommandsTest, ErrorReportAppendsAFullStopAfterLettersAndDigits) {
    TForm1& form = StartReady();
    const struct {
        std::string message, shown;
    } cases[] = {
        {"Disk full", "Disk full."},
        {"Error 5", "Error 5."},
        {"Already ends.", "Already ends."},
        {"", ""},
        {"Path /tmp/", "Path /tmp/."},    // "/" comes after "."
        {"Why?", "Why?."},                // so does "?"
        {"Stop!", "Stop!"},               // "!" comes before "."
        {"(in brackets)", "(in brackets)"},
        {"dash -", "dash -"},
        {"\xE9t\xE9", "\xE9t\xE9."},      // an 8-bit letter
    };
    for (const auto& c : cases) {
        dialogs_.errors.clear();
        form.ShowErrorReport(c.message);
        ASSERT_EQ(dialogs_.errors.size(), 1u);
        EXPECT_EQ(dialogs_.errors[0].text, c.shown) << c.message;
        EXPECT_EQ(dialogs_.errors[0].caption, ApplicationTitle());
    }
}

TEST_F(CommandsTest, AFailingStoreIsReportedWithoutEndingTheCommand) {
    // The settings file lies under a regular file, so no write can succeed.
    WriteFile(temp_ / "blocker", "x");
    settingsFile_ = temp_ / "blocker/settings.ini";
    TForm1& form = Start();
    // Applying the default option at creation could not store it.
    ASSERT_FALSE(dialogs_.errors.empty());
    EXPECT_NE(dialogs_.errors[0].text.find("RemoveFonts"), std::string::npos) << dialogs_.errors[0].text;
    ASSERT_NE(form.Module, nullptr);

    dialogs_.errors.clear();
    dialogs_.folderAnswers = {temp_ / "out"};
    form.ButtonOutFolder->click();
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0].caption, ApplicationTitle());
    EXPECT_NE(form.LabelOutFolder->text().toStdString(), temp_ / "out");
}

}  // namespace
}  // namespace tovra::test_support
