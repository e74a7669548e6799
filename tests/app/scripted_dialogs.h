// A dialog service for the window tests: records every message box and
// chooser and answers the choosers from a script. A chooser without a
// scripted answer is cancelled.
#pragma once

#include <QEventLoop>
#include <QTimer>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"

namespace tovra::test_support {

class ScriptedDialogs : public TDialogs {
public:
    struct ErrorBox {
        std::string caption;
        std::string text;
    };

    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        Spin();
    }
    void ShowError(const std::string& caption, const std::string& text) override {
        errors.push_back({caption, text});
        Spin();
    }
    std::optional<std::vector<std::string>> ChooseFiles(const TOpenDialog& dialog) override {
        fileChoosers.push_back(dialog);
        Spin();
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseFolder(const TSelectFolderDialog& dialog) override {
        folderChoosers.push_back(dialog);
        Spin();
        if (folderAnswers.empty()) return std::nullopt;
        auto answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }

    // Answers, used in order; nullopt cancels.
    std::deque<std::optional<std::vector<std::string>>> fileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    // When set, every dialog runs a nested event loop for a moment, as a real
    // modal dialog does (idle events are delivered inside it).
    bool nestedLoops = false;

    std::vector<std::string> messages;
    std::vector<ErrorBox> errors;
    std::vector<TOpenDialog> fileChoosers;
    std::vector<TSelectFolderDialog> folderChoosers;

private:
    void Spin() {
        if (!nestedLoops) return;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

}  // namespace tovra::test_support
