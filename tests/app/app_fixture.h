// The fixture of the window tests: a temporary folder with the test's own
// settings file, a scripted dialog service, and a main window started the way
// the program starts it (shown, then the event loop runs until start-up ends).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "engine/settings.h"
#include "platform/settings_store.h"
#include "scripted_dialogs.h"
#include "support/databases.h"
#include "support/temp_folder.h"

namespace tovra::test_support {

class AppTest : public ::testing::Test {
protected:
    AppTest() : settingsFile_(temp_ / "settings.ini"), store_(settingsFile_) {}

    // Creates and shows the window, then runs the event loop until start-up
    // has loaded the module or ended the program.
    TForm1& Start() {
        form_ = std::make_unique<TForm1>(dialogs_, settingsFile_);
        // Ending the program would end every later event loop of the test
        // program; record it instead.
        form_->SetTerminateHandler([this] { ++terminations_; });
        form_->show();
        RunUntilStartupEnded();
        return *form_;
    }
    void RunUntilStartupEnded() {
        if (form_->Module || form_->Terminated()) return;
        QEventLoop loop;
        QObject::connect(form_.get(), &TForm1::StartupEnded, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_TRUE(form_->Started) << "the first idle event never came";
    }
    // A start that is expected to load the module and ask nothing.
    TForm1& StartReady() {
        TForm1& form = Start();
        EXPECT_NE(form.Module, nullptr);
        EXPECT_TRUE(dialogs_.messages.empty());
        return form;
    }

    static std::vector<std::string> Lines(const QPlainTextEdit* memo) {
        std::vector<std::string> lines;
        const QStringList text = memo->toPlainText().split('\n');
        for (const QString& line : text) lines.push_back(line.toStdString());
        return lines;
    }
    std::vector<std::string> LogLines() const { return Lines(form_->MemoStatus); }

    static std::string BundledModule() {
        const std::string path = DefaultLT5BiblePath();
        EXPECT_TRUE(std::filesystem::is_regular_file(path)) << "bundled module missing at " << path;
        return path;
    }
    // A copy of the bundled module with one header byte changed, so that its
    // header hash no longer matches.
    std::string DamagedModule(const std::string& name) {
        std::string bytes = ReadFile(BundledModule());
        EXPECT_GT(bytes.size(), 100u);
        bytes[80] = static_cast<char>(bytes[80] ^ 0x5A);
        const std::string path = temp_ / name;
        WriteFile(path, bytes);
        return path;
    }
    std::string ModuleCopy(const std::string& name) {
        const std::string path = temp_ / name;
        std::filesystem::copy_file(BundledModule(), path);
        return path;
    }

    TempFolder temp_;
    std::string settingsFile_;
    TSettingsStore store_;  // the same file the window uses
    ScriptedDialogs dialogs_;
    std::unique_ptr<TForm1> form_;
    int terminations_ = 0;
};

}  // namespace tovra::test_support
