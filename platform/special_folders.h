// Special folders, numbered as the Windows shell numbers them.
#pragma once

#include <string>

namespace tovra {

inline constexpr int kCsidlPersonal = 5;      // the user's documents folder
inline constexpr int kCsidlProgramFiles = 38;  // where the program's data is installed

// The path of a special folder, "" when it cannot be found.
//  5: the XDG documents folder (XDG_DOCUMENTS_DIR, ~/.config/user-dirs.dirs),
//     else ~/Documents.
// 38: the installation's data folder (share/tovra beside the program's bin
//     folder); a program run from the build tree uses the build's data folder.
std::string SpecialFolderPath(int csidl);

}  // namespace tovra
