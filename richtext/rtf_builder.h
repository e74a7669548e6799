// Loading RTF into the styled document.
//
// LoadRtf reads one entry's RTF with a TRDRTFReader and turns every text
// run, table and numbering marker the reader reports into document items.
// Each run gets a text style and each paragraph a paragraph style of the
// document's style sheet: an existing style when one is equal in every
// compared property, otherwise a newly added one. Lengths from RTF (twips)
// are converted to screen pixels at the screen's pixels per inch.
//
// The reading settings live in TRDRTFReaderProperties, which also keeps the
// reader and the working lists between loads, so loading one entry after
// another allocates little. Load into a cleared document whose text and
// paragraph styles were reset: items are appended, and the text items of
// the load are merged where they continue each other.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/code_page.h"

namespace tovra {

class TCustomRDData;
class TRDRTFDocumentBuilder;

enum TRDReaderUnicode : uint8_t { rdruMixed, rdruNoUnicode, rdruOnlyUnicode };
enum TRDReaderStyleMode : uint8_t { rdrsUseSpecified, rdrsUseClosest, rdrsAddIfNeeded };
enum TRDRTFHighlight : uint8_t { rtfhlIgnore, rtfhlFixedColors, rtfhlColorTable };

// Status values of a load besides the reader's own (TRDRTFStatus): a load
// without reading settings or without a style sheet ends with this one.
inline constexpr uint8_t kRtfLoadNoSettings = 6;

class TRDRTFReaderProperties {
public:
    TRDRTFReaderProperties();
    ~TRDRTFReaderProperties();
    TRDRTFReaderProperties(const TRDRTFReaderProperties&) = delete;
    TRDRTFReaderProperties& operator=(const TRDRTFReaderProperties&) = delete;

    // The settings with their defaults. Only rdrsAddIfNeeded chooses styles
    // by their properties; rdrsUseSpecified uses TextStyleNo / ParaStyleNo;
    // rdrsUseClosest is read as rdrsAddIfNeeded. List markers are made only
    // with ParaStyleMode rdrsAddIfNeeded. Runs of UTF-16 text and pictures
    // are not read in any mode.
    TRDReaderUnicode UnicodeMode = rdruNoUnicode;
    TRDReaderStyleMode TextStyleMode = rdrsUseClosest;
    TRDReaderStyleMode ParaStyleMode = rdrsUseClosest;
    bool IgnorePictures = false;
    bool UseHypertextStyles = false;  // true: a hyperlink run may take any style
    bool SkipHiddenText = true;
    bool AutoHideTableGridLines = false;  // tables have no grid lines here
    bool LineBreaksAsParagraphs = false;
    TRDRTFHighlight ConvertHighlight = rtfhlColorTable;
    // Writes a character of the text that the ANSI code page lacks (from a
    // \u escape or text in another code page) into the document's 8-bit
    // text; when null it becomes "?".
    UnmappableHandler UnmappableChar = nullptr;

    int32_t TextStyleNo() const { return textStyleNo_; }
    int32_t ParaStyleNo() const { return paraStyleNo_; }
    // Raise Error "Value must not be negative" for a negative value.
    void SetTextStyleNo(int32_t value);
    void SetParaStyleNo(int32_t value);

    // The settings of the conversion: text and paragraph styles added as
    // needed, pictures ignored, everything else at its default.
    void UseConversionSettings();

    // Reads `rtf` into `target` (items are appended) and returns the
    // reader's status: 0 on success; 9 for an exception outside the text
    // handler; 11 for one inside it; the other TRDRTFStatus values as the
    // reader gives them; kRtfLoadNoSettings when `target` has no style
    // sheet. Items added before a failure stay, and tables still open when
    // reading stops are finished with what they hold. Does not merge text
    // items.
    uint8_t FillFromRtf(std::string_view rtf, TCustomRDData& target);

private:
    friend uint8_t LoadRtfStatus(TCustomRDData&, TRDRTFReaderProperties*, std::string_view);
    TRDRTFDocumentBuilder& Builder();

    int32_t textStyleNo_ = 0;
    int32_t paraStyleNo_ = 0;
    std::unique_ptr<TRDRTFDocumentBuilder> builder_;  // kept for reuse
};

// Loads `rtf` into `doc` with `settings` (kRtfLoadNoSettings when null) and
// merges the adjacent text items the load produced. Returns the status of
// FillFromRtf; items and styles added before a failure stay.
uint8_t LoadRtfStatus(TCustomRDData& doc, TRDRTFReaderProperties* settings, std::string_view rtf);

// LoadRtfStatus(...) == 0.
bool LoadRtf(TCustomRDData& doc, TRDRTFReaderProperties* settings, std::string_view rtf);

}  // namespace tovra
