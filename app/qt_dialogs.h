// The dialog service of the running program: Qt message boxes and file
// dialogs, modal to the main window.
#pragma once

#include "app/dialogs.h"

class QWidget;

namespace tovra {

class TQtDialogs : public TDialogs {
public:
    // Dialogs open over `parent` once it is set (it may be set later).
    explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;
    std::optional<std::vector<std::string>> ChooseFiles(const TOpenDialog& dialog) override;
    std::optional<std::string> ChooseFolder(const TSelectFolderDialog& dialog) override;

private:
    QWidget* parent_;
};

}  // namespace tovra
