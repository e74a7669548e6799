// TRDRTFReader: parses one RTF byte stream and reports its content to a
// consumer through events, while it keeps the formatting in force in the
// property records of its current state.
//
// The reader reads exactly one top-level group and stops when that group
// closes; whatever follows is never read. Input without any brace is read to
// its end as plain text. It never builds a document: the consumer does.
//
// Consumer interface. A consumer assigns the events it wants (each is an
// std::function; an unassigned event is not called, and for some events
// being unassigned changes how the reader reads):
//
//   OnNewText(reader, text, position)
//       A text run in the formatting of reader.State(), as 8-bit text in the
//       ANSI code page (Windows-1252): see "Body text" below. `position`
//       tells how the run begins: continuing the paragraph, on a new line,
//       or as a new paragraph. Runs may be empty (an empty paragraph, or the
//       visible run reported before hidden text). `text` is valid only
//       during the call.
//   OnNewUnicodeText(reader, text, position)
//       A UTF-16 run. When assigned, \u escapes in body text and
//       \ldblquote & co. come as UTF-16 runs; when unassigned, \u escapes
//       join the 8-bit text (below) and \ldblquote & co. become their ASCII
//       fallbacks.
//   OnUpdateMarker(reader)
//       The numbering marker of the current paragraph
//       (State().ParaProps.Marker) may be finalised; called before and after
//       each paragraph or line break, before every table event and at the
//       end of input, only while the paragraph has a marker.
//   OnTable(reader, kind)
//       Table structure: rdf_tbl_TableStart / TableEnd (one per nesting
//       level), rdf_tbl_CellEnd, rdf_tbl_RowEnd. At RowEnd the row record
//       State().RowProps describes the finished row and its cells.
//   OnRequiredPageBreak(reader)
//       \page was met. When unassigned, \page has no effect.
//   OnHeaderFooter(reader, type, starting)
//       A header or footer group starts or ends; its text is reported like
//       body text. When unassigned, header and footer groups are skipped.
//
// An exception thrown by OnNewText or OnNewUnicodeText ends reading with
// status 11; one thrown by any other event ends it with status 9. Pictures
// are not decoded: picture groups are skipped, and INCLUDEPICTURE fields
// are ignored.
//
// Body text. Every character of the body reaches OnNewText as what it is:
// a character that the ANSI code page has as its byte, any other through
// UnmappableChar ("?" when unset). 8-bit text (raw bytes and \'hh escapes)
// is decoded with the code page of the current font's \fcharset; charsets
// 0 and 1, unknown charsets and text without a font table use the
// document's code page (\ansicpg, \mac, \pc, \pca; Windows-1252 by
// default); a symbol font (charset 2) keeps its bytes. The two bytes of a
// double-byte character may come raw or as two escapes. \u escapes take
// signed values (negative ones count from 65536), a surrogate pair written
// as two escapes gives one character, and \ucN (kept per group) tells how
// many fallback characters to skip after each: a plain character, a hex
// pair, a control word or a control symbol counts as one; braces end the
// skip. \~ is the no-break space, \_ a hyphen-minus. What cannot be
// decoded (an undefined byte, a lead byte without its trail, a lone
// surrogate) becomes U+FFFD, itself passed to UnmappableChar.
//
// During an event the consumer may read State(), Fonts(), Colors(),
// StyleSheet(), ListTable(), ListOverrides() and CodePage(). Indexes kept in
// the records (CharProps.FontIndex, ParaProps.ListOverrideIndex, marker font
// indexes) refer to the tables as they were when the keyword was read; a
// later \fonttbl or \listoverridetable replaces a table, so check an index
// against the table's size before using it. With an empty font table
// FontIndex is 0.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"
#include "richtext/rtf_declarations.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_properties.h"

namespace tovra {

enum TRDRTFPosition : uint8_t {
    rtf_ts_ContinuePara = 0,
    rtf_ts_NewLine = 1,
    rtf_ts_NewPara = 2,
};

enum TRDRTFTableEventKind : uint8_t {
    rdf_tbl_TableStart = 0,
    rdf_tbl_TableEnd = 1,
    rdf_tbl_RowEnd = 2,
    rdf_tbl_CellEnd = 3,
};

enum TRDRTFHeaderFooterType : uint8_t {
    rtf_hf_MainText = 0,
    rtf_hf_Header = 1,
    rtf_hf_Footer = 2,
};

enum TRDRTFHighlightConvert : uint8_t {
    rtf_hl_Ignore = 0,
    rtf_hl_FixedColors = 1,
    rtf_hl_ColorTable = 2,
};

// Where the characters of the current group go.
enum TRDRTFDestination : uint8_t {
    destText = 0,
    destSkip = 1,
    destFontTable = 2,
    destStyleSheet = 3,
    destColorTable = 4,
    destStyleSheetEntry = 5,
    destPicture = 6,
    destField = 7,
    destFieldInstruction = 8,
    destNumbering = 9,
    destNumberingTextAfter = 10,
    destNumberingTextBefore = 11,
    destSectionNumbering = 12,
    destListTable = 13,
    destList = 14,
    destListLevel = 15,
    destListName = 16,
    destLevelText = 17,
    destLevelNumbers = 18,
    destListOverrideTable = 19,
    destListOverride = 20,
    destListOverrideLevel = 21,
};

enum TRDRTFInputMode : uint8_t {
    rtf_im_Normal = 0,
    rtf_im_Binary = 1,
    rtf_im_Hex = 2,
};

// Status values of ReadStream. Every value other than rtf_st_Ok ended
// reading at once; what was reported before stays reported.
enum TRDRTFStatus : uint8_t {
    rtf_st_Ok = 0,
    rtf_st_UnmatchedClose = 1,    // "}" with no open group
    rtf_st_NoState = 2,           // no state for a new group (nesting too deep)
    rtf_st_UnclosedGroup = 3,     // the input ended inside a group
    rtf_st_BadHexDigit = 4,       // a non-hex character after \'
    rtf_st_BadKeyword = 5,        // a keyword record or code the reader does not know
    rtf_st_BadInputMode = 6,
    rtf_st_EndAfterBackslash = 7,
    rtf_st_Exception = 9,         // input ended inside a control word, parameter
                                  // out of range, font-table text before \f,
                                  // bad SYMBOL field, other run-time error
    rtf_st_Picture = 10,
    rtf_st_HandlerException = 11, // OnNewText / OnNewUnicodeText threw
};

// The routing of one group that the group copy carries: trivially
// copyable, so that it is copied as one block.
struct TRDRTFGroupRouting {
    uint8_t BorderTarget = 0;  // 0 paragraph, 1 table row, 2 table cell
    TRDRTFDestination Destination = destText;
    TRDRTFInputMode InputMode = rtf_im_Normal;
    TRDRTFHeaderFooterType HeaderFooter = rtf_hf_MainText;
    int32_t UnicodeSkip = 1;  // \uc: fallback characters after each \u
};

// The formatting and routing in force in one group.
struct TRDRTFReaderState : TRDRTFGroupRouting {
    TRDRTFCharProperties CharProps;
    TRDRTFParaProperties ParaProps;
    TRDRTFSectionProperties SectionProps;
    TRDRTFDocProperties DocProps;
    // The row being defined, created on first use. Saved states share it
    // with the current one until either changes it (Row() makes the current
    // state's record its own first), so opening and closing groups inside
    // a table row does not copy its cells.
    std::shared_ptr<TRDRTFRowProperties> RowProps;
    std::string FieldInstruction;  // text of the last fldinst group
    bool FieldResultDone = false;
    int32_t DefaultFont = 0;  // font number given by deff

    // The copy made when a group opens and when it closes: the five records
    // (RowProps created or removed to match) and the routing.
    // FieldInstruction, FieldResultDone and DefaultFont are kept. (In line:
    // it runs twice for every group; a row record shared by both sides or
    // missing on both needs nothing.)
    void Assign(const TRDRTFReaderState& s) {
        CharProps.Assign(s.CharProps);
        ParaProps.Assign(s.ParaProps);
        SectionProps.Assign(s.SectionProps);
        DocProps.Assign(s.DocProps);
        if (RowProps != s.RowProps) AssignRow(s);
        static_cast<TRDRTFGroupRouting&>(*this) = s;
    }
    // The row part of Assign.
    void AssignRow(const TRDRTFReaderState& source);
    // Everything to its defaults (the reader's reset).
    void Reset();
    // The row record for changing, created when missing and unshared first.
    TRDRTFRowProperties& Row();
};

class TRDRTFReader {
public:
    // Nesting deeper than this many open groups ends reading with
    // rtf_st_NoState: each open group holds a copy of the formatting state.
    static constexpr int32_t kMaxGroupDepth = 100000;
    // Table nesting levels (\itap) are limited to this many.
    static constexpr int32_t kMaxTableLevel = 64;
    // A row holds at most this many cell records (the open one included);
    // once they are all closed, a further \cellx only moves the last
    // boundary. Word writes at most 63 cells per row.
    static constexpr size_t kMaxRowCells = 64;
    // Text before and after a paragraph number is cut to this many bytes.
    static constexpr size_t kMaxMarkerText = 255;

    TRDRTFReader();
    ~TRDRTFReader();
    TRDRTFReader(const TRDRTFReader&) = delete;
    TRDRTFReader& operator=(const TRDRTFReader&) = delete;

    // Events (see the consumer interface above).
    std::function<void(TRDRTFReader&, std::string_view, TRDRTFPosition)> OnNewText;
    std::function<void(TRDRTFReader&, std::u16string_view, TRDRTFPosition)> OnNewUnicodeText;
    std::function<void(TRDRTFReader&)> OnUpdateMarker;
    std::function<void(TRDRTFReader&, TRDRTFTableEventKind)> OnTable;
    std::function<void(TRDRTFReader&)> OnRequiredPageBreak;
    std::function<void(TRDRTFReader&, TRDRTFHeaderFooterType, bool)> OnHeaderFooter;

    // Code page of 8-bit text until \ansicpg; 0 is Windows-1252. Default 0.
    int32_t DefCodePage = 0;
    // How \highlight is read. Default rtf_hl_FixedColors.
    TRDRTFHighlightConvert ConvertHighlight = rtf_hl_FixedColors;
    // Prefix of INCLUDEPICTURE file names (unused without a picture consumer).
    std::string BasePath;
    // Writes a body-text character that the ANSI code page lacks into the
    // 8-bit text; when null such a character becomes "?".
    UnmappableHandler UnmappableChar = nullptr;

    // Resets the reader, reads `input` (one top-level group) and returns a
    // TRDRTFStatus value. Never throws.
    uint8_t ReadStream(std::string_view input);

    // Empties every table and the state stack and restores the defaults.
    void Reset();

    // Read access for the consumer.
    const TRDRTFReaderState& State() const { return state_; }
    const TRDRTFFontList& Fonts() const { return fonts_; }
    const TRDRTFColorList& Colors() const { return colors_; }
    const TRDRTFStyleSheet& StyleSheet() const { return styleSheet_; }
    const TRDRTFListTable97& ListTable() const { return listTable_; }
    const TRDRTFListOverrideTable97& ListOverrides() const { return listOverrides_; }
    int32_t CodePage() const { return codePage_; }
    int32_t Depth() const { return depth_; }
    int32_t TableLevel() const { return tableLevel_; }

    // The index of the first font numbered `number`; failing that, of the
    // first font numbered `defaultNumber` (when it differs); failing that 0.
    int32_t FontIndexOf(int32_t number, int32_t defaultNumber) const;

    // 8-bit text in `codePage` to UTF-16, and UTF-16 to 8-bit text in the
    // current CodePage; "?" for what cannot be converted.
    std::u16string AnsiToWide(std::string_view text, int32_t codePage) const;
    std::string WideToAnsi(std::u16string_view text) const;

private:
    // Reading characters.
    bool AtEnd() const;
    unsigned char NextChar();
    void PushBack() { pushedBack_ = true; }
    void Refill();

    uint8_t MainLoop();
    uint8_t TakePlainText(unsigned char first);
    uint8_t TakeCodedText(unsigned char first);
    uint8_t ReadControl();
    uint8_t Dispatch(std::string_view keyword, int32_t param, bool hasParam);
    uint8_t OpenGroup();
    uint8_t CloseGroup();
    uint8_t HandleChar(unsigned char c);
    uint8_t AddChar(unsigned char c, bool closeTables, bool adjustTables);
    uint8_t AddWideChar(char16_t c);
    // Body text as characters (see "Body text" above).
    uint8_t AddTextByte(unsigned char c);
    uint8_t AddTextSymbol(char32_t codePoint);
    uint8_t AddUnicodeEscape(int32_t p);
    uint8_t AddCodePoint(char32_t codePoint);
    uint8_t ResolvePendingText();
    int32_t TextCodePage() const;
    // The decoder of body text in the current font; null when its bytes
    // pass as they are (the ANSI code page, a symbol font, an unknown code
    // page). Chosen again after anything that may change the font, the font
    // table or the code page.
    const CodePageDecoder* TextDecoder() {
        if (textDecoderStale_) RefreshTextDecoder();
        return textDecoder_;
    }
    void RefreshTextDecoder();
    uint8_t DispatchUnknownWord(std::string_view word);
    uint8_t Emit(TRDRTFPosition& n);
    uint8_t Flush(bool closeTables, bool adjustTables) { return AddChar(0, closeTables, adjustTables); }
    // Opens (and with `closeTables` closes) tables until the level is the
    // paragraph's. Outside every table, in a paragraph outside them, there
    // is nothing to do, and that is checked here, where it is cheapest.
    void AdjustTableLevel(bool closeTables) {
        if (tableLevel_ == 0 && !state_.ParaProps.InTable) return;
        AdjustTableLevelTo(closeTables);
    }
    void AdjustTableLevelTo(bool closeTables);
    void TableEvent(TRDRTFTableEventKind kind);
    void NotifyMarkerUpdate();
    uint8_t ChangeDestination(uint8_t request, int32_t param);
    uint8_t EndDestination(TRDRTFDestination dest);
    uint8_t EvaluateFieldInstruction();
    uint8_t FinishInput();

    // Property codes (kwProperty).
    uint8_t ApplyProperty(uint8_t code, int32_t p);
    uint8_t ApplyStateProperty(uint8_t code, int32_t p);
    void ApplyMarkerProperty(TRDRTFMarkerProperties& marker, uint8_t code, int32_t p);
    void ApplyListLevelProperty(TRDRTFListLevel97& level, uint8_t code, int32_t p);
    uint8_t ApplyUnicode(int32_t p);
    uint8_t ApplyHidden(int32_t p);
    TRDRTFBorderSide& BorderSideOfTarget();
    bool ValidColor(int32_t p) const { return p >= 0 && static_cast<size_t>(p) < colors_.size(); }
    TRDRTFListLevel97* LastListLevel();

    // Finds the first entry of a table with a given number in constant time.
    // Only the last entry's number may still change (s, listid, ls come after
    // the entry was appended), so entries are indexed once they are no
    // longer last, and the last one is compared directly.
    class NumberIndex {
    public:
        void Clear() { first_.clear(); }
        void Settle(int32_t number, int32_t index) { first_.emplace(number, index); }
        // `lastNumber`: the number of the last entry (index count - 1), if any.
        int32_t Find(int32_t number, int32_t count, int32_t lastNumber) const {
            auto it = first_.find(number);
            if (it != first_.end()) return it->second;
            if (count > 0 && lastNumber == number) return count - 1;
            return -1;
        }

    private:
        std::unordered_map<int32_t, int32_t> first_;
    };
    int32_t StyleIndexOf(int32_t number) const;
    int32_t ListIndexOf(int32_t listId) const;
    int32_t OverrideIndexOf(int32_t number) const;
    int32_t FirstFontIndex(int32_t number) const;
    void AppendStyleSheetEntry();
    void AppendList();
    void AppendOverride();
    void AppendFont(int32_t number);

    // Input.
    // The input is read in place: the first read makes all of it the
    // buffer, and reading past its end raises a failure.
    std::string_view input_;
    size_t inputPos_ = 0;  // bytes of input_ already made the buffer
    const unsigned char* buffer_ = nullptr;  // the input's bytes being read
    size_t bufferLen_ = 0;  // bytes of buffer_
    size_t bufferPos_ = 0;  // 0-based index of the next byte in buffer_
    bool pushedBack_ = false;
    unsigned char lastChar_ = 0;

    // Text being collected.
    std::string pendingText_;
    std::u16string pendingWideText_;
    // A lead byte waiting for its trail byte, with the decoder it belongs
    // to, and a high surrogate waiting for its low one (0: none).
    unsigned char pendingLead_ = 0;
    const CodePageDecoder* leadDecoder_ = nullptr;
    char16_t pendingHigh_ = 0;
    // The decoder of the body text's code page (null: bytes pass through)
    // and the code page it was chosen for.
    const CodePageDecoder* textDecoder_ = nullptr;
    int32_t textDecoderPage_ = kAnsiCodePage;
    bool textDecoderStale_ = true;
    std::string unmappable_;  // reused buffer for UnmappableChar
    TRDRTFPosition pendingPosition_ = rtf_ts_NewPara;
    bool forceEmit_ = false;

    // Groups.
    TRDRTFReaderState state_;
    std::vector<TRDRTFReaderState> savedStates_;  // grows; entries are reused
    int32_t depth_ = 0;

    // Tables.
    TRDRTFFontList fonts_;
    TRDRTFColorList colors_;
    TRDRTFStyleSheet styleSheet_;
    TRDRTFListTable97 listTable_;
    TRDRTFListOverrideTable97 listOverrides_;

    NumberIndex fontIndex_;
    NumberIndex styleIndex_;
    NumberIndex listIndex_;
    NumberIndex overrideIndex_;

    std::unique_ptr<TRDRTFMarkerProperties> numberingMarker_;
    int32_t sectionLevel_ = 0;
    int32_t codePage_ = 0;
    int64_t skipCount_ = 0;
    // The last font's name is complete (after its ";" or its group): white
    // space that follows is layout between entries.
    bool fontNameDone_ = false;
    int32_t tableLevel_ = 0;
    int64_t binaryRemaining_ = 0;
    int32_t lastParam_ = 0;
    bool starSeen_ = false;
    int hexDigitsLeft_ = 2;
    unsigned hexValue_ = 0;
    std::string keyword_;  // a control word that runs to the end of the input, reused
};

}  // namespace tovra
