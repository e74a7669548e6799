// The plain-text writer: the characters of the text items and of tables,
// with CR LF before every item that starts a paragraph or a line.
#pragma once

#include "richtext/document.h"
#include "richtext/output_sink.h"

namespace tovra {

// Writes the whole document as 8-bit text. With `textOnly`, non-text items
// other than tables write nothing. False when a write failed (the output
// ends there). `lineWidth` is handed on to tables' cells; no item of this
// system uses it.
bool WriteText(OutputSink& stream, const TCustomRDData& document, int lineWidth, bool textOnly);

}  // namespace tovra
