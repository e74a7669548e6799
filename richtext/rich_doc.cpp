#include "richtext/rich_doc.h"

#include "richtext/html_writer.h"
#include "richtext/text_writer.h"

namespace tovra {

TRichDoc::TRichDoc() : style_(std::make_unique<TRDStyle>()), data_(style_.get()) {}

void TRichDoc::SetStyle(std::unique_ptr<TRDStyle> style) {
    data_.Clear();  // markers are numbered against the old sheet
    style_ = std::move(style);
    data_.SetStyle(style_.get());
}

bool TRichDoc::SaveHtml(OutputSink& stream, std::string_view /*path*/, std::string_view title,
                        std::string_view /*imagesPrefix*/, TRDSaveOptions options) const {
    const TRDStyle* style = Style();
    if (!style) return false;
    HtmlPageSettings page;
    page.Color = Color == clNone ? style->Color : Color;
    page.LeftMargin = LeftMargin;
    page.TopMargin = TopMargin;
    page.RightMargin = RightMargin;
    page.BottomMargin = BottomMargin;
    page.FontTags = !options.Has(rdsoNoFontTags);
    return WriteHtmlPage(stream, data_, title, page);
}

bool TRichDoc::SaveText(std::string_view /*path*/, OutputSink& stream, int lineWidth, bool /*selectionOnly*/,
                        bool textOnly) const {
    return WriteText(stream, data_, lineWidth, textOnly);
}

}  // namespace tovra
