// The rich-text control: the document that entries are read into, the style
// sheet it owns, the page colour and margins that the HTML writer uses.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/output_sink.h"
#include "richtext/style_sheet.h"

namespace tovra {

// rdsoNoFontTags: the HTML page without its FONT tags.
enum TRDSaveOption : uint8_t { rdsoOverrideImages, rdsoNoFontTags };
using TRDSaveOptions = TRDSet<TRDSaveOption>;

class TRichDoc {
public:
    // A control with a new style sheet holding the default styles.
    TRichDoc();

    TRichDocRDData& RDData() { return data_; }
    const TRichDocRDData& RDData() const { return data_; }
    // The style sheet; null after SetStyle(nullptr).
    TRDStyle* Style() const { return style_.get(); }
    // Replaces the style sheet (null leaves the control without one).
    void SetStyle(std::unique_ptr<TRDStyle> style);

    // The page colour; clNone means the style sheet's Color.
    TColor Color = clNone;
    int LeftMargin = 5;
    int TopMargin = 5;
    int RightMargin = 5;
    int BottomMargin = 5;

    // The document as one HTML page. False when the control has no style
    // sheet (nothing written) or a write failed (the page ends there).
    bool SaveHtml(OutputSink& stream, std::string_view path, std::string_view title,
                  std::string_view imagesPrefix, TRDSaveOptions options) const;
    // The document as plain text; false when a write failed.
    bool SaveText(std::string_view path, OutputSink& stream, int lineWidth, bool selectionOnly,
                  bool textOnly) const;

private:
    std::unique_ptr<TRDStyle> style_;
    TRichDocRDData data_;
};

}  // namespace tovra
