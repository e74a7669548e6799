// The window's three choosers as configuration objects. Each holds what the
// chooser shows (title, filter, options) and what the user picked; Execute
// opens it through the window's dialog service, so tests can answer it.
#pragma once

#include <string>
#include <vector>

namespace tovra {

class TDialogs;

// A file chooser. `Filter` is a list of "name|patterns" pairs joined by "|",
// patterns separated by ";" (see QtNameFilters).
class TOpenDialog {
public:
    std::string Name;
    std::string Title;
    std::string Filter;
    int FilterIndex = 1;  // 1-based: the entry selected when the chooser opens
    bool AllowMultiSelect = false;
    bool FileMustExist = false;
    bool PathMustExist = false;
    bool HideReadOnly = false;
    bool EnableSizing = false;

    // The chosen files' full paths, in the order the chooser returned them;
    // valid after Execute returned true.
    std::vector<std::string> Files;
    // The first chosen file ("" when none).
    std::string FileName() const { return Files.empty() ? std::string() : Files.front(); }

    // Shows the chooser; false when the user cancelled (Files unchanged).
    bool Execute(TDialogs& dialogs);
};

// The output folder chooser.
class TSelectFolderDialog {
public:
    std::string Name;
    std::string Title;
    bool NewFolderButton = false;     // a button to create folders
    bool DeleteFolderButton = false;  // a way to delete folders
    bool ContextMenus = false;        // context menus on folders
    bool VirtualFolders = false;      // places beside the file system

    // The folder selected when the chooser opens, and after Execute returned
    // true the folder the user chose.
    std::string SelectedFolder;

    bool Execute(TDialogs& dialogs);
};

}  // namespace tovra
