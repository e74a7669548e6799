// The HTML writer: the document as one page of early HTML (upper-case tags,
// unquoted attribute values, FONT tags for text styles, DIV tags for
// paragraphs), byte for byte as the text passes after it expect.
#pragma once

#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/output_sink.h"

namespace tovra {

// What the page takes from the control: its background colour (clNone for
// none) and its four margins.
struct HtmlPageSettings {
    TColor Color = clWindow;
    int LeftMargin = 5;
    int TopMargin = 5;
    int RightMargin = 5;
    int BottomMargin = 5;
    // False leaves every FONT tag out, and nothing else: the page is the
    // full page with its FONT tags deleted.
    bool FontTags = true;
};

// Writes header, body and footer. False when the document has no style
// sheet (nothing is written) or a write failed (the page ends there).
bool WriteHtmlPage(OutputSink& stream, const TCustomRDData& document, std::string_view title,
                   const HtmlPageSettings& page);

// Writes the body part of one document, from its opening FONT line to its
// closing one. False when it has no style sheet or a write failed.
bool WriteHtmlBody(OutputSink& stream, const TCustomRDData& document);

// "#RRGGBB" in upper-case hexadecimal; "" for clNone. System colours are
// resolved through the platform, except clWindowText, which is black.
std::string HtmlColor(TColor color);

// The HTML font size (1 … 7) for a size in points.
int HtmlSize(int points);

// The escaped form of 8-bit text: & < > as entities, a run of n spaces as
// n-1 "&nbsp;" and one space, an empty text as "&nbsp;".
void AppendHtmlEscaped(std::string& out, std::string_view text);

}  // namespace tovra
