#include "richtext/text_writer.h"

#include <cstdint>

#include "platform/code_page.h"
#include "platform/little_endian.h"
#include "richtext/table.h"

namespace tovra {

namespace {

constexpr char kCrLf[] = "\r\n";

class TextWriter {
public:
    explicit TextWriter(OutputSink& out) : out_(out) {}

    bool ok() const { return ok_; }

    void Write(const char* data, size_t size) {
        if (ok_) ok_ = out_.write(data, size);
    }
    void Write(const std::string& s) { Write(s.data(), s.size()); }

    void Document(const TCustomRDData& doc, int lineWidth, bool textOnly) {
        const int last = doc.ItemCount() - 1;
        for (int i = 0; i <= last && ok_; ++i) {
            if (i > 0 && !doc.GetItem(i).HasFlag(rdifJoinsPrevious)) Write(kCrLf, 2);
            Item(doc, i, lineWidth, textOnly);
        }
    }

private:
    void Item(const TCustomRDData& doc, int i, int lineWidth, bool textOnly) {
        const TCustomRDItemInfo& item = doc.GetItem(i);
        if (item.IsText()) {
            const std::string& text = doc.GetItemText(i);
            if (!item.HasFlag(rdifUnicode)) {
                Write(text);  // stored in its 8-bit code page already
                return;
            }
            // UTF-16LE items (RTF reading makes none) go out in the ANSI code page.
            std::u16string units(text.size() / 2, u'\0');
            for (size_t k = 0; k < units.size(); ++k) units[k] = ReadLe16(text.data() + 2 * k);
            Write(Utf16ToCodePage(units, kAnsiCodePage));
        } else if (item.StyleNo == rdkTable) {
            Table(static_cast<const TRDTableItemInfo&>(item), lineWidth, textOnly);
        }
        // List markers and every other kind write nothing.
    }

    void Table(const TRDTableItemInfo& t, int lineWidth, bool textOnly) {
        for (const TRDTableRow& row : t.Rows()) {
            for (size_t c = 0; c < row.Cells.size() && ok_; ++c) {
                if (row.Cells[c]) Document(*row.Cells[c], lineWidth, textOnly);
                if (c + 1 < row.Cells.size()) Write(t.TextColSeparator);
            }
            Write(t.TextRowSeparator);
        }
    }

    OutputSink& out_;
    bool ok_ = true;
};

}  // namespace

bool WriteText(OutputSink& stream, const TCustomRDData& document, int lineWidth, bool textOnly) {
    TextWriter writer(stream);
    writer.Document(document, lineWidth, textOnly);
    return writer.ok();
}

}  // namespace tovra
