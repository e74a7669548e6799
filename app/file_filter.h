// Chooser filters in the "name|patterns|name|patterns" form, turned into Qt's
// name filters ("name (pattern pattern)").
#pragma once

#include <QStringList>
#include <string>

namespace tovra {

// Each pair becomes one Qt filter with the same name and the same patterns,
// split at ";" and trimmed of the spaces around them. "*.*" becomes "*":
// for the user it means every file, also one without an extension, which
// Qt's "*.*" would hide. A name without patterns gets "*".
QStringList QtNameFilters(const std::string& filter);

}  // namespace tovra
