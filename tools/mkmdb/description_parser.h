// The description format of tovra-mkmdb: a small line-oriented text format
// for writing test databases by hand.
//
//   # a comment runs to the end of the line (outside strings)
//   password "Selah-1611"              optional, at most 20 characters
//   table "Topic Notes"                starts a table; names are strings
//   column "Title" text 100            text LENGTH (1-255 characters)
//   column "Comments" memo
//   column "ID" long autonumber        long, integer, byte, boolean, double
//   row "Faith" "{\rtf1 ...}"          one value per column, in order
//   row "Love" NULL
//   sql "CREATE INDEX i ON t(a)"      SQLite only: run after the tables
//
// A row takes exactly as many values as its table has columns and may run
// over several lines. A value is NULL, a number (12, -3, 1.5), true or
// false, or a string expression: strings joined by "+", each optionally
// repeated by "* COUNT" ("ab" * 3 + "c" is "abababc").
//
// Strings are UTF-8 between double quotes and may span lines (the line
// breaks are kept as LF). Escapes: \\ \" \r \n \t \0, \xHH (one byte; the
// result must still be valid UTF-8) and \u{H...} (a code point, 1-6 hex
// digits). A backslash before any other character is an error, so RTF is
// written with doubled backslashes: "{\\rtf1\\ansi \\par}".
#pragma once

#include <string>
#include <string_view>

#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {

// Parses a description; throws tovra::Error "line N: ..." on a syntax error,
// an unknown type or keyword, a row with the wrong number of values. The
// result is not yet validated (see ValidateDatabase).
TDatabaseDef ParseDescription(std::string_view text);

// Reads and parses a description file.
TDatabaseDef ReadDescriptionFile(const std::string& path);

}  // namespace tovra::mkmdb
