#include "app/choosers.h"

#include "app/dialogs.h"

namespace tovra {

bool TOpenDialog::Execute(TDialogs& dialogs) {
    std::optional<std::vector<std::string>> chosen = dialogs.ChooseFiles(*this);
    if (!chosen || chosen->empty()) return false;
    Files = std::move(*chosen);
    return true;
}

bool TSelectFolderDialog::Execute(TDialogs& dialogs) {
    std::optional<std::string> chosen = dialogs.ChooseFolder(*this);
    if (!chosen || chosen->empty()) return false;
    SelectedFolder = std::move(*chosen);
    return true;
}

}  // namespace tovra
