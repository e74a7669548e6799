// The window's message boxes and choosers, behind one interface: the program
// shows real Qt dialogs (TQtDialogs), tests answer them from a script.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/choosers.h"

namespace tovra {

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A plain message with an OK button, captioned with the application title.
    virtual void ShowMessage(const std::string& text) = 0;
    // An error message: error icon, OK button.
    virtual void ShowError(const std::string& caption, const std::string& text) = 0;
    // A file chooser; nullopt when cancelled, else the chosen full paths.
    virtual std::optional<std::vector<std::string>> ChooseFiles(const TOpenDialog& dialog) = 0;
    // A folder chooser; nullopt when cancelled, else the chosen folder.
    virtual std::optional<std::string> ChooseFolder(const TSelectFolderDialog& dialog) = 0;
};

}  // namespace tovra
