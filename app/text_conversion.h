// Text between the program's 8-bit strings and Qt's strings. Paths and log
// lines are UTF-8 on this platform; a line that is not valid UTF-8 (text
// read from a database in the ANSI code page) is shown as Windows-1252.
#pragma once

#include <QString>
#include <string>

namespace tovra {

QString ToQString(const std::string& text);
// A path for the file system's own encoding.
std::string PathFromQString(const QString& path);

}  // namespace tovra
