// The program's version string, as the window shows it after "Version " and
// the output file names it in its first line.
#pragma once

#include <string>

namespace tovra {

// "1.2.1.15" for this release (the project version of the build).
const std::string& VersionString();

}  // namespace tovra
