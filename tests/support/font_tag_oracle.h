// The page of an HTML entry with font tags removed, made the long way: the
// page is written with its FONT tags and cleaned up by every pass in turn,
// the font-tag pass included. The converter leaves FONT tags out where that
// gives the same bytes; this is what it is held to.
#pragma once

#include <string>

#include "engine/text_passes.h"
#include "platform/ascii.h"
#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"

namespace tovra::test_support {

// Loads into a document of its own, so that list styles carry from page to
// page as they do in a converter that converts the same entries in order.
class TFontTagOracle {
public:
    TFontTagOracle() {
        reader_.UseConversionSettings();
        reader_.UnmappableChar = &AppendUnicodeMarker;
    }

    // `text` is an entry's text in joined form.
    std::string Page(const std::string& text, const std::string& name) {
        std::string joined = text;
        if (!StartsWithIgnoringAsciiCase(joined, "{\\rtf")) joined = "{\\rtf1\r\n" + joined + "}\r\n";
        MarkUnicodeEscapes(joined);
        document_.RDData().Clear();
        document_.Style()->ResetTextStyles();
        document_.Style()->ResetParaStyles();
        LoadRtf(document_.RDData(), &reader_, joined);
        std::string page;
        StringSink sink(page);
        document_.SaveHtml(sink, "", name, "", {});
        NormalizeText(page);
        if (Stripped(page).empty()) return page;
        std::string work(Stripped(page)), scratch;
        ReplaceParagraphMarkup(work, scratch);
        passes_.BodyTag(work);
        passes_.Colour11Groups(work);
        passes_.UnderlinedUnderscores(work);
        passes_.FontTags(work);
        passes_.EmptyParagraphs(work);
        UnmarkUnicodeEscapes(work);
        if (!work.empty() && work.back() != '\n') work += "\r\n";
        return work;
    }

private:
    TRichDoc document_;
    TRDRTFReaderProperties reader_;
    THtmlPasses passes_;
};

}  // namespace tovra::test_support
