// The RTF reader: buffered input, the main loop, control words, groups,
// destinations, text runs, tables, fields and the end of input. Property
// codes are applied in rtf_apply_property.cpp.
#include "richtext/rtf_reader.h"

#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/code_page.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

namespace tovra {
namespace {

// Raised for the conditions that end reading with rtf_st_Exception.
class ReadFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Bytes that, read as body text, only extend the pending run: everything but
// the backslash, the braces, line ends (ignored) and 0 (a flush).
struct PlainTextTable {
    bool plain[256];
    constexpr PlainTextTable() : plain() {
        for (int c = 0; c < 256; ++c) plain[c] = !(c == '\\' || c == '{' || c == '}' || c == 10 || c == 13 || c == 0);
    }
};
constexpr PlainTextTable kPlainText;

// The first byte from `p` on that is not plain text, or `end`; sixteen bytes
// are tested at once while sixteen are left.
const unsigned char* SkipPlainText(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
    const __m128i backslash = _mm_set1_epi8('\\'), open = _mm_set1_epi8('{'), close = _mm_set1_epi8('}'),
                  lf = _mm_set1_epi8(10), cr = _mm_set1_epi8(13), zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, backslash), _mm_cmpeq_epi8(x, open)),
                         _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, close), _mm_cmpeq_epi8(x, zero)),
                                      _mm_or_si128(_mm_cmpeq_epi8(x, lf), _mm_cmpeq_epi8(x, cr))));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
        if (mask != 0) return p + std::countr_zero(mask);
    }
#endif
    while (p < end && kPlainText.plain[*p]) ++p;
    return p;
}

int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A plain decimal number with an optional sign that fits 32 bits.
int32_t ParseDecimal(std::string_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i >= s.size()) throw ReadFailure("not a number");
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        if (!IsDigit(static_cast<unsigned char>(s[i]))) throw ReadFailure("not a number");
        value = value * 10 + (s[i] - '0');
        if (value > int64_t{1} << 31) throw ReadFailure("number out of range");
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) throw ReadFailure("number out of range");
    return static_cast<int32_t>(value);
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reader state

static_assert(std::is_trivially_copyable_v<TRDRTFGroupRouting>);  // Assign copies it as a block

void TRDRTFReaderState::AssignRow(const TRDRTFReaderState& s) {
    // The row record is copied without WidthIsPercent and Heading, which
    // keep this state's values (false for a record created by the copy).
    if (!s.RowProps) {
        RowProps.reset();
    } else if (RowProps != s.RowProps) {
        bool percent = RowProps ? RowProps->WidthIsPercent : false;
        bool heading = RowProps ? RowProps->Heading : false;
        if (s.RowProps->WidthIsPercent == percent && s.RowProps->Heading == heading) {
            RowProps = s.RowProps;
        } else {
            auto copy = std::make_shared<TRDRTFRowProperties>();
            copy->Assign(*s.RowProps);
            copy->WidthIsPercent = percent;
            copy->Heading = heading;
            RowProps = std::move(copy);
        }
    }
}

void TRDRTFReaderState::Reset() {
    CharProps.Reset();
    ParaProps.Reset();
    SectionProps.Reset();
    DocProps.Reset();
    RowProps.reset();
    BorderTarget = 0;
    Destination = destText;
    InputMode = rtf_im_Normal;
    FieldInstruction.clear();
    FieldResultDone = false;
    DefaultFont = 0;
    HeaderFooter = rtf_hf_MainText;
    UnicodeSkip = 1;
}

TRDRTFRowProperties& TRDRTFReaderState::Row() {
    if (!RowProps)
        RowProps = std::make_shared<TRDRTFRowProperties>();
    else if (RowProps.use_count() > 1)
        RowProps = std::make_shared<TRDRTFRowProperties>(*RowProps);
    return *RowProps;
}

// ---------------------------------------------------------------------------
// Life cycle

TRDRTFReader::TRDRTFReader() { RtfKeywordTable(); }

TRDRTFReader::~TRDRTFReader() = default;

void TRDRTFReader::Reset() {
    RtfKeywordTable();  // sorts the shared table on first use
    styleSheet_.clear();
    styleIndex_.Clear();
    fonts_.clear();
    fontIndex_.Clear();
    colors_.clear();
    listTable_.clear();
    listIndex_.Clear();
    listOverrides_.clear();
    overrideIndex_.Clear();
    // Saved states are reused between groups; after a very deep document
    // give most of them back.
    if (savedStates_.size() > 256) {
        savedStates_.resize(256);
        savedStates_.shrink_to_fit();
    }
    state_.Reset();
    pendingText_.clear();
    pendingWideText_.clear();
    pendingLead_ = 0;
    leadDecoder_ = nullptr;
    pendingHigh_ = 0;
    pendingPosition_ = rtf_ts_NewPara;
    pushedBack_ = false;
    numberingMarker_.reset();
    sectionLevel_ = 0;
    codePage_ = DefCodePage;
    textDecoderStale_ = true;
    skipCount_ = 0;
    fontNameDone_ = false;
    depth_ = 0;
    tableLevel_ = 0;
    forceEmit_ = false;
    binaryRemaining_ = 0;
    lastParam_ = 0;
    starSeen_ = false;
    hexDigitsLeft_ = 2;
    hexValue_ = 0;
}

uint8_t TRDRTFReader::ReadStream(std::string_view input) {
    uint8_t status = rtf_st_Exception;
    try {
        Reset();
        input_ = input;
        inputPos_ = 0;
        buffer_ = nullptr;
        bufferLen_ = 0;
        bufferPos_ = 0;  // past the end of the empty buffer: the first read fills it
        status = MainLoop();
    } catch (...) {
        status = rtf_st_Exception;
    }
    buffer_ = nullptr;
    bufferLen_ = 0;
    bufferPos_ = 0;
    input_ = {};
    return status;
}

// ---------------------------------------------------------------------------
// Reading characters

void TRDRTFReader::Refill() {
    const size_t remaining = input_.size() - inputPos_;
    if (remaining == 0) throw ReadFailure("read past the end of the input");
    buffer_ = reinterpret_cast<const unsigned char*>(input_.data()) + inputPos_;
    bufferLen_ = remaining;
    inputPos_ += remaining;
    bufferPos_ = 0;
}

unsigned char TRDRTFReader::NextChar() {
    if (pushedBack_) {
        pushedBack_ = false;
        return lastChar_;
    }
    if (bufferPos_ >= bufferLen_) Refill();
    lastChar_ = buffer_[bufferPos_++];
    return lastChar_;
}

bool TRDRTFReader::AtEnd() const {
    return !pushedBack_ && bufferPos_ >= bufferLen_ && inputPos_ >= input_.size();
}

// ---------------------------------------------------------------------------
// Main loop, control words, groups

uint8_t TRDRTFReader::MainLoop() {
    for (;;) {
        if (AtEnd()) return FinishInput();
        unsigned char c = NextChar();
        uint8_t status = rtf_st_Ok;
        if (state_.InputMode == rtf_im_Binary) {
            // Braces, backslashes and line ends are data here.
            status = HandleChar(c);
            if (status != rtf_st_Ok) return status;
            if (--binaryRemaining_ <= 0) state_.InputMode = rtf_im_Normal;
            continue;
        }
        switch (c) {
            case '\\':
                status = ReadControl();
                break;
            case '{':
                skipCount_ = 0;
                status = OpenGroup();
                break;
            case '}':
                skipCount_ = 0;
                status = CloseGroup();
                if (status == rtf_st_Ok && depth_ == 0) return FinishInput();
                break;
            case 10:
            case 13:
                break;
            default:
                if (state_.InputMode == rtf_im_Normal) {
                    if (skipCount_ == 0 && state_.Destination == destText && pendingWideText_.empty() &&
                        kPlainText.plain[c])
                        status = TakePlainText(c);
                    else if (skipCount_ > 0)
                        --skipCount_;
                    else
                        status = HandleChar(c);
                } else if (state_.InputMode == rtf_im_Hex) {
                    int digit = HexDigit(c);
                    if (digit < 0) return rtf_st_BadHexDigit;
                    hexValue_ = hexValue_ * 16 + static_cast<unsigned>(digit);
                    if (--hexDigitsLeft_ <= 0) {
                        unsigned char value = static_cast<unsigned char>(hexValue_ & 0xFF);
                        hexDigitsLeft_ = 2;
                        hexValue_ = 0;
                        state_.InputMode = rtf_im_Normal;
                        if (skipCount_ > 0)
                            --skipCount_;
                        else
                            status = HandleChar(value);
                    }
                } else {
                    return rtf_st_BadInputMode;
                }
                break;
        }
        if (status != rtf_st_Ok) return status;
    }
}

// Body text without markup: the same as adding each byte with AddTextByte
// (the table level is adjusted once, as nothing between the bytes can
// change it), but the bytes that follow in the buffer are taken in one
// step. Text in the ANSI code page is appended as it is.
uint8_t TRDRTFReader::TakePlainText(unsigned char first) {
    AdjustTableLevel(true);
    if ((pendingLead_ | pendingHigh_) != 0 || TextDecoder()) return TakeCodedText(first);
    // `first` is the last byte taken from the buffer (also when it was
    // pushed back and read again), so it starts the stretch appended.
    if (bufferPos_ == 0 || buffer_[bufferPos_ - 1] != first) {
        pendingText_.push_back(static_cast<char>(first));
        return rtf_st_Ok;
    }
    const unsigned char* begin = buffer_ + bufferPos_;
    const unsigned char* end = buffer_ + bufferLen_;
    const unsigned char* p = SkipPlainText(begin, end);
    pendingText_.append(reinterpret_cast<const char*>(begin) - 1, static_cast<size_t>(p - begin) + 1);
    if (p == begin) return rtf_st_Ok;
    bufferPos_ += static_cast<size_t>(p - begin);
    lastChar_ = p[-1];
    return rtf_st_Ok;
}

// TakePlainText for text that is decoded byte by byte. A stretch of ASCII
// bytes with no lead byte, surrogate or wide text pending is appended at
// once: AddTextByte would append each byte as it is, since ASCII bytes pass
// every code page unchanged and the table level is already adjusted.
uint8_t TRDRTFReader::TakeCodedText(unsigned char first) {
    uint8_t status = AddTextByte(first);
    const unsigned char* begin = buffer_ + bufferPos_;
    const unsigned char* end = buffer_ + bufferLen_;
    const unsigned char* p = begin;
    while (status == rtf_st_Ok && p < end && kPlainText.plain[*p]) {
        if (*p < 0x80 && (pendingLead_ | pendingHigh_) == 0 && pendingWideText_.empty()) {
            const unsigned char* run = p;
            while (p < end && *p < 0x80 && kPlainText.plain[*p]) ++p;
            pendingText_.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
            continue;
        }
        status = AddTextByte(*p++);
    }
    bufferPos_ += static_cast<size_t>(p - begin);
    if (p != begin) lastChar_ = p[-1];
    return status;
}

uint8_t TRDRTFReader::ReadControl() {
    if (AtEnd()) return rtf_st_EndAfterBackslash;
    unsigned char c = NextChar();
    if (!IsLetter(c)) {
        // A control symbol. As a fallback after \u it counts as one
        // character; the apostrophe counts with its hex pair instead.
        if (skipCount_ > 0 && c != '\'') {
            --skipCount_;
            return rtf_st_Ok;
        }
        // The no-break space and the non-breaking hyphen.
        if ((c == '~' || c == '_') && !starSeen_) return AddTextSymbol(c == '~' ? 0xA0 : '-');
        char symbol = static_cast<char>(c);
        return Dispatch(std::string_view(&symbol, 1), 0, false);
    }
    // The word is taken from the input where it stands when a byte that is
    // not a letter follows it there (the input outlives the dispatch).
    // Otherwise a letter that is the last byte of the input ends the word
    // and is read again as a character; reading past the end raises a
    // failure.
    std::string_view word;
    if (bufferPos_ > 0 && buffer_[bufferPos_ - 1] == c) {  // c is the input's byte before bufferPos_
        const unsigned char* const first = buffer_ + bufferPos_ - 1;
        const unsigned char* const end = buffer_ + bufferLen_;
        const unsigned char* after = first + 1;
        while (after < end && IsLetter(*after)) ++after;
        if (after < end) {
            word = std::string_view(reinterpret_cast<const char*>(first), static_cast<size_t>(after - first));
            bufferPos_ = static_cast<size_t>(after - buffer_);
            c = NextChar();
        }
    }
    if (word.empty()) {
        keyword_.clear();
        do {
            keyword_.push_back(static_cast<char>(c));
            c = NextChar();
        } while (IsLetter(c) && !AtEnd());
        word = keyword_;
    }
    bool negative = false;
    if (c == '-') {
        negative = true;
        c = NextChar();
    }
    bool hasParam = false;
    int32_t param = 0;
    if (IsDigit(c)) {
        hasParam = true;
        int64_t value = 0;
        do {
            value = value * 10 + (c - '0');
            if (value > (int64_t{1} << 31)) throw ReadFailure("parameter out of range");
            c = NextChar();
        } while (IsDigit(c) && !AtEnd());
        if (negative) value = -value;
        if (value > std::numeric_limits<int32_t>::max()) throw ReadFailure("parameter out of range");
        param = static_cast<int32_t>(value);
        lastParam_ = param;
    }
    if (c != ' ') PushBack();
    if (skipCount_ > 0) {
        --skipCount_;
        return rtf_st_Ok;
    }
    return Dispatch(word, param, hasParam);
}

uint8_t TRDRTFReader::Dispatch(std::string_view keyword, int32_t p, bool hasParam) {
    const TRDRTFsymbol* sym = FindRtfKeyword(keyword);
    if (!sym) {
        if (starSeen_) {
            state_.Destination = destSkip;
            starSeen_ = false;
            return rtf_st_Ok;
        }
        return DispatchUnknownWord(keyword);
    }
    starSeen_ = false;
    switch (sym->Kind) {
        case kwChar:
            return HandleChar(sym->Code);
        case kwWideChar:
            if (state_.Destination == destText && OnNewUnicodeText)
                return AddWideChar(static_cast<char16_t>(sym->Default));
            return HandleChar(sym->Code);
        case kwDestination:
            if (sym->Code == 2) textDecoderStale_ = true;  // \fonttbl empties the font table
            return ChangeDestination(sym->Code, p);
        case kwProperty: {
            if (sym->UseDefault || !hasParam) p = sym->Default;
            if (state_.Destination == destText && sym->Affects == rtf_af_Char) {
                uint8_t status = Flush(false, true);
                if (status != rtf_st_Ok) return status;
            }
            return ApplyProperty(sym->Code, p);
        }
        case kwSpecial:
            if (state_.Destination == destSkip && sym->Code != 0) return rtf_st_Ok;
            switch (sym->Code) {
                case 0:
                    state_.InputMode = rtf_im_Binary;
                    binaryRemaining_ = lastParam_;
                    return rtf_st_Ok;
                case 1:
                    state_.InputMode = rtf_im_Hex;
                    return rtf_st_Ok;
                case 2:
                    starSeen_ = true;
                    return rtf_st_Ok;
                default:
                    return rtf_st_BadKeyword;
            }
    }
    return rtf_st_BadKeyword;
}

// A control word outside the table (or an unknown control symbol such as
// the optional hyphen, which is one byte long): the document code pages
// mean something, every other one is ignored.
uint8_t TRDRTFReader::DispatchUnknownWord(std::string_view word) {
    if (word.size() < 2 || word.size() > 3 || (word[0] != 'm' && word[0] != 'p')) return rtf_st_Ok;
    if (state_.Destination == destSkip) return rtf_st_Ok;
    if (word == "mac")
        codePage_ = 10000;
    else if (word == "pc")
        codePage_ = 437;
    else if (word == "pca")
        codePage_ = 850;
    else
        return rtf_st_Ok;
    textDecoderStale_ = true;
    return rtf_st_Ok;
}

uint8_t TRDRTFReader::OpenGroup() {
    if (depth_ >= kMaxGroupDepth) return rtf_st_NoState;
    try {
        size_t slot = static_cast<size_t>(depth_);
        if (savedStates_.size() <= slot) savedStates_.emplace_back();
        savedStates_[slot].Assign(state_);
    } catch (const std::bad_alloc&) {
        return rtf_st_NoState;
    }
    state_.InputMode = rtf_im_Normal;
    ++depth_;
    if (state_.Destination == destStyleSheet) {
        AppendStyleSheetEntry();
        state_.Destination = destStyleSheetEntry;
    }
    return rtf_st_Ok;
}

uint8_t TRDRTFReader::CloseGroup() {
    if (depth_ <= 0) return rtf_st_UnmatchedClose;
    const TRDRTFReaderState& saved = savedStates_[static_cast<size_t>(depth_ - 1)];
    TRDRTFDestination current = state_.Destination;
    if (current == destStyleSheetEntry && saved.Destination == destStyleSheet && !styleSheet_.empty()) {
        styleSheet_.back().ParaProps.Assign(state_.ParaProps);
        styleSheet_.back().CharProps.Assign(state_.CharProps);
    }
    if (current == destText) {
        uint8_t status = Flush(false, false);
        if (status != rtf_st_Ok) return status;
    }
    if (current != saved.Destination) {
        uint8_t status = EndDestination(current);
        if (status != rtf_st_Ok) return status;
    }
    // A font entry's group has ended: its name is complete.
    if (current == destFontTable && saved.Destination == destFontTable) fontNameDone_ = true;
    if (state_.HeaderFooter != saved.HeaderFooter && state_.HeaderFooter != rtf_hf_MainText &&
        OnHeaderFooter)
        OnHeaderFooter(*this, state_.HeaderFooter, false);
    const int32_t innerFont = state_.CharProps.FontIndex;
    state_.Assign(saved);
    if (state_.CharProps.FontIndex != innerFont) textDecoderStale_ = true;
    if (current == destNumbering && state_.Destination != destNumbering && numberingMarker_) {
        if (!state_.ParaProps.Marker) state_.ParaProps.Marker.emplace();
        CopyMarker(*state_.ParaProps.Marker, *numberingMarker_, false);
        numberingMarker_.reset();
    }
    --depth_;
    return rtf_st_Ok;
}

// ---------------------------------------------------------------------------
// Characters and text runs

TRDRTFListLevel97* TRDRTFReader::LastListLevel() {
    if (listTable_.empty() || listTable_.back().Levels.empty()) return nullptr;
    return &listTable_.back().Levels.back();
}

uint8_t TRDRTFReader::HandleChar(unsigned char c) {
    switch (state_.Destination) {
        case destText:
            if (c == 10 || c == 13) {
                NotifyMarkerUpdate();
                uint8_t status = AddChar(c, true, true);
                if (status != rtf_st_Ok) return status;
                NotifyMarkerUpdate();
                return rtf_st_Ok;
            }
            if (c == 0 || ((pendingLead_ | pendingHigh_) == 0 && (c < 0x80 || !TextDecoder())))
                return AddChar(c, true, true);
            return AddTextByte(c);
        case destFontTable:
            if (c == ';') {
                fontNameDone_ = !fonts_.empty();
                return rtf_st_Ok;
            }
            // White space before the first entry and between entries lays
            // the table out; it is no part of a name.
            if ((c == ' ' || c == '\t') && (fonts_.empty() || fontNameDone_)) return rtf_st_Ok;
            if (fonts_.empty()) throw ReadFailure("font name before the first font");
            fonts_.back().Name.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        case destColorTable:
            if (c == ';') colors_.push_back(kRtfDefaultColor);
            return rtf_st_Ok;
        case destStyleSheetEntry:
            if (c != ';' && !styleSheet_.empty()) styleSheet_.back().Name.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        case destFieldInstruction:
            state_.FieldInstruction.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        case destNumberingTextAfter:
            // Bounded, as every open group copies the paragraph's marker.
            if (numberingMarker_ && numberingMarker_->TextAfter.size() < kMaxMarkerText)
                numberingMarker_->TextAfter.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        case destNumberingTextBefore:
            if (numberingMarker_ && numberingMarker_->TextBefore.size() < kMaxMarkerText)
                numberingMarker_->TextBefore.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        case destListName:
            if (!listTable_.empty()) listTable_.back().Name.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        case destLevelText:
            if (TRDRTFListLevel97* level = LastListLevel()) {
                char ch = static_cast<char>(c);
                level->LevelText.push_back(ch);
                if (!level->LevelTextW.empty()) level->LevelTextW += AnsiToWide(std::string_view(&ch, 1), codePage_);
            }
            return rtf_st_Ok;
        case destLevelNumbers:
            if (TRDRTFListLevel97* level = LastListLevel()) level->LevelNumbers.push_back(static_cast<char>(c));
            return rtf_st_Ok;
        default:
            // destPicture without a picture consumer, and every destination
            // whose characters go nowhere.
            return rtf_st_Ok;
    }
}

uint8_t TRDRTFReader::AddChar(unsigned char c, bool closeTables, bool adjustTables) {
    if (adjustTables) AdjustTableLevel(closeTables);
    if (c == 0 || c == 10 || c == 13) {
        if ((pendingLead_ | pendingHigh_) != 0) {
            uint8_t status = ResolvePendingText();
            if (status != rtf_st_Ok) return status;
        }
        TRDRTFPosition n = c == 10 ? rtf_ts_NewPara : c == 13 ? rtf_ts_NewLine : rtf_ts_ContinuePara;
        uint8_t status = Emit(n);
        if (status != rtf_st_Ok) return status;
        pendingPosition_ = n;
        return rtf_st_Ok;
    }
    if (!pendingWideText_.empty()) {
        uint8_t status = AddChar(0, false, false);
        if (status != rtf_st_Ok) return status;
    }
    pendingText_.push_back(static_cast<char>(c));
    return rtf_st_Ok;
}

uint8_t TRDRTFReader::AddWideChar(char16_t c) {
    AdjustTableLevel(true);
    if (!pendingText_.empty()) {
        uint8_t status = AddChar(0, false, false);
        if (status != rtf_st_Ok) return status;
    }
    if (c != 0) pendingWideText_.push_back(c);
    return rtf_st_Ok;
}

// A byte of body text (neither 0 nor a line end), in the code page of the
// current font.
uint8_t TRDRTFReader::AddTextByte(unsigned char c) {
    AdjustTableLevel(true);
    if (pendingHigh_ != 0) {
        pendingHigh_ = 0;
        uint8_t status = AddCodePoint(kReplacementCharacter);
        if (status != rtf_st_Ok) return status;
    }
    if (pendingLead_ != 0) {
        const unsigned char lead = pendingLead_;
        pendingLead_ = 0;
        const char16_t ch = leadDecoder_->Pair(lead, c);
        if (ch != kReplacementCharacter) return AddCodePoint(ch);
        uint8_t status = AddCodePoint(kReplacementCharacter);
        // A non-ASCII byte after a lead byte is taken with it as one bad
        // character; an ASCII one is read again on its own.
        if (status != rtf_st_Ok || c >= 0x80) return status;
    }
    if (c < 0x80) return AddChar(c, false, false);
    const CodePageDecoder* decoder = TextDecoder();
    if (!decoder) return AddChar(c, false, false);
    if (decoder->lead[c]) {
        pendingLead_ = c;
        leadDecoder_ = decoder;
        return rtf_st_Ok;
    }
    return AddCodePoint(decoder->single[c]);
}

// \~ and \_: a character in body text, a byte elsewhere.
uint8_t TRDRTFReader::AddTextSymbol(char32_t codePoint) {
    if (state_.Destination != destText) return HandleChar(static_cast<unsigned char>(codePoint));
    AdjustTableLevel(true);
    uint8_t status = ResolvePendingText();
    if (status != rtf_st_Ok) return status;
    return AddCodePoint(codePoint);
}

// The character of a \u escape in body text (the table level is adjusted).
uint8_t TRDRTFReader::AddUnicodeEscape(int32_t p) {
    char32_t cp = kReplacementCharacter;
    if (p < 0 && p >= -32768)
        cp = static_cast<char32_t>(p + 65536);
    else if (p >= 0 && p <= 0x10FFFF)
        cp = static_cast<char32_t>(p);
    if (pendingLead_ != 0) {
        pendingLead_ = 0;
        uint8_t status = AddCodePoint(kReplacementCharacter);
        if (status != rtf_st_Ok) return status;
    }
    if (pendingHigh_ != 0) {
        const char32_t high = pendingHigh_;
        pendingHigh_ = 0;
        if (IsLowSurrogate(cp)) return AddCodePoint(CombineSurrogates(high, cp));
        uint8_t status = AddCodePoint(kReplacementCharacter);
        if (status != rtf_st_Ok) return status;
    }
    if (IsHighSurrogate(cp)) {
        pendingHigh_ = static_cast<char16_t>(cp);
        return rtf_st_Ok;
    }
    if (IsLowSurrogate(cp)) cp = kReplacementCharacter;
    return AddCodePoint(cp);
}

// One character of body text: its ANSI byte, or what UnmappableChar writes.
uint8_t TRDRTFReader::AddCodePoint(char32_t codePoint) {
    const int byte = AnsiByteOf(codePoint);
    if (byte == 0) return rtf_st_Ok;
    if (byte == 10 || byte == 13) return HandleChar(static_cast<unsigned char>(byte));
    if (byte > 0) return AddChar(static_cast<unsigned char>(byte), false, false);
    unmappable_.clear();
    if (UnmappableChar)
        UnmappableChar(codePoint, unmappable_);
    else
        unmappable_ = "?";
    if (!pendingWideText_.empty()) {
        uint8_t status = AddChar(0, false, false);
        if (status != rtf_st_Ok) return status;
    }
    pendingText_ += unmappable_;
    return rtf_st_Ok;
}

// A lead byte or a high surrogate that nothing completed becomes U+FFFD.
uint8_t TRDRTFReader::ResolvePendingText() {
    if (pendingLead_ != 0) {
        pendingLead_ = 0;
        uint8_t status = AddCodePoint(kReplacementCharacter);
        if (status != rtf_st_Ok) return status;
    }
    if (pendingHigh_ != 0) {
        pendingHigh_ = 0;
        return AddCodePoint(kReplacementCharacter);
    }
    return rtf_st_Ok;
}

// The code page of body text in the current font.
int32_t TRDRTFReader::TextCodePage() const {
    const int32_t document = codePage_ == 0 ? kAnsiCodePage : codePage_;
    if (fonts_.empty()) return document;
    const int32_t index = state_.CharProps.FontIndex;
    const TRDRTFFont& font = fonts_[index >= 0 && static_cast<size_t>(index) < fonts_.size() ? index : 0];
    switch (font.Charset) {
        case 0:  // ANSI
        case 1:  // default
            return document;
        case 2:  // symbol: the bytes are the font's own
            return kAnsiCodePage;
        default: {
            const int codePage = CharsetToCodePage(font.Charset);
            return codePage == 0 ? document : codePage;
        }
    }
}

void TRDRTFReader::RefreshTextDecoder() {
    textDecoderStale_ = false;
    const int32_t codePage = TextCodePage();
    if (codePage != textDecoderPage_) {
        textDecoderPage_ = codePage;
        textDecoder_ = codePage == kAnsiCodePage ? nullptr : DecoderFor(codePage);
    }
}

uint8_t TRDRTFReader::Emit(TRDRTFPosition& n) {
    if (!forceEmit_ && pendingText_.empty() && pendingWideText_.empty()) {
        if (pendingPosition_ == rtf_ts_ContinuePara) return rtf_st_Ok;
        if (n == rtf_ts_ContinuePara) {
            n = pendingPosition_;  // a neutral flush keeps the pending position
            return rtf_st_Ok;
        }
    }
    try {
        if (OnNewUnicodeText && !pendingWideText_.empty())
            OnNewUnicodeText(*this, pendingWideText_, pendingPosition_);
        else if (OnNewText)
            OnNewText(*this, pendingText_, pendingPosition_);
    } catch (...) {
        return rtf_st_HandlerException;
    }
    pendingText_.clear();
    pendingWideText_.clear();
    return rtf_st_Ok;
}

// ---------------------------------------------------------------------------
// Tables and markers

void TRDRTFReader::AdjustTableLevelTo(bool closeTables) {
    const TRDRTFParaProperties& para = state_.ParaProps;
    if (para.Positioned) return;
    int32_t target = 0;
    if (para.InTable) {
        target = para.NestingLevel;
        if (target < 0) target = 0;
        if (target > kMaxTableLevel) target = kMaxTableLevel;
    }
    while (tableLevel_ < target) {
        TableEvent(rdf_tbl_TableStart);
        ++tableLevel_;
    }
    if (closeTables) {
        while (tableLevel_ > target) {
            TableEvent(rdf_tbl_TableEnd);
            --tableLevel_;
        }
    }
}

void TRDRTFReader::TableEvent(TRDRTFTableEventKind kind) {
    NotifyMarkerUpdate();
    if (OnTable) OnTable(*this, kind);
}

void TRDRTFReader::NotifyMarkerUpdate() {
    if (!OnUpdateMarker || !state_.ParaProps.Marker) return;
    TRDRTFMarkerProperties& marker = *state_.ParaProps.Marker;
    const TRDRTFCharProperties& chars = state_.CharProps;
    if (!(marker.ExplicitFlags & rtf_mef_Color)) marker.Color = chars.Color;
    if (!(marker.ExplicitFlags & rtf_mef_Font)) marker.FontIndex = chars.FontIndex;
    if (!(marker.ExplicitFlags & rtf_mef_Size)) marker.FontSize = chars.Size;
    constexpr uint8_t kTaken = rtf_fs_Bold | rtf_fs_Italic | rtf_fs_StrikeOut;
    marker.FontStyle = static_cast<uint8_t>((marker.FontStyle & ~kTaken) | (chars.Style & kTaken));
    OnUpdateMarker(*this);
}

// ---------------------------------------------------------------------------
// Destinations

uint8_t TRDRTFReader::ChangeDestination(uint8_t request, int32_t param) {
    TRDRTFDestination& dest = state_.Destination;
    if (dest == destSkip) return rtf_st_Ok;
    switch (request) {
        case 0:  // pict: without a picture consumer the data goes nowhere
            dest = destPicture;
            break;
        case 1:
            dest = destSkip;
            break;
        case 2:
            fonts_.clear();
            fontIndex_.Clear();
            dest = destFontTable;
            break;
        case 3:
            styleSheet_.clear();
            styleIndex_.Clear();
            dest = destStyleSheet;
            break;
        case 4:
            colors_.clear();
            colors_.push_back(kRtfDefaultColor);
            dest = destColorTable;
            break;
        case 5:
        case 6:
        case 7:
            if (!styleSheet_.empty()) {
                styleSheet_.back().Number = param;
                styleSheet_.back().Kind = request == 5 ? 1 : request == 6 ? 0 : 2;
            }
            dest = destStyleSheetEntry;
            break;
        case 8: {
            uint8_t status = Flush(true, true);
            dest = destField;
            return status;
        }
        case 9:
            if (dest == destField) {
                state_.FieldInstruction.clear();
                state_.FieldResultDone = false;
                dest = destFieldInstruction;
            }
            break;
        case 10:
        case 11:
            dest = destText;
            break;
        case 12:
        case 13:
            state_.HeaderFooter = request == 12 ? rtf_hf_Header : rtf_hf_Footer;
            if (OnHeaderFooter)
                OnHeaderFooter(*this, state_.HeaderFooter, true);
            else
                dest = destSkip;
            break;
        case 14:
        case 15:
            if (dest == destNumbering)
                dest = request == 14 ? destNumberingTextAfter : destNumberingTextBefore;
            else
                dest = destSkip;
            break;
        case 16:
            numberingMarker_ = std::make_unique<TRDRTFMarkerProperties>();
            dest = destNumbering;
            break;
        case 17:
            sectionLevel_ = param;
            dest = destSectionNumbering;
            break;
        case 18:
            listTable_.clear();
            listIndex_.Clear();
            dest = destListTable;
            break;
        case 19:
            if (dest == destListTable) {
                AppendList();
                dest = destList;
            } else {
                dest = destSkip;
            }
            break;
        case 20:
            if (dest == destList) dest = destListName;
            break;
        case 21:
            if (dest == destList && !listTable_.empty()) {
                listTable_.back().Levels.emplace_back();
                dest = destListLevel;
            } else {
                dest = destSkip;
            }
            break;
        case 22:
        case 23:
            if (dest == destListLevel)
                dest = request == 22 ? destLevelText : destLevelNumbers;
            else
                dest = destSkip;
            break;
        case 24:
            listOverrides_.clear();
            overrideIndex_.Clear();
            dest = destListOverrideTable;
            break;
        case 25:
            if (dest == destListOverrideTable) {
                AppendOverride();
                dest = destListOverride;
            } else {
                dest = destSkip;
            }
            break;
        case 26:
            if (dest == destListOverride && !listOverrides_.empty()) {
                listOverrides_.back().Levels.emplace_back();
                dest = destListOverrideLevel;
            } else {
                dest = destSkip;
            }
            break;
        default:
            dest = destSkip;
            break;
    }
    return rtf_st_Ok;
}

uint8_t TRDRTFReader::EndDestination(TRDRTFDestination dest) {
    switch (dest) {
        case destPicture:
            // No picture is collected without a picture consumer.
            return Flush(false, true);
        case destField:
            state_.FieldInstruction.clear();
            state_.FieldResultDone = false;
            return rtf_st_Ok;
        case destFieldInstruction:
            return EvaluateFieldInstruction();
        case destLevelText:
            if (TRDRTFListLevel97* level = LastListLevel()) {
                // The first byte (or code unit) is the RTF length prefix.
                if (!level->LevelText.empty()) {
                    size_t keep = 1 + static_cast<unsigned char>(level->LevelText[0]);
                    if (level->LevelText.size() > keep) level->LevelText.resize(keep);
                }
                if (!level->LevelTextW.empty()) {
                    size_t keep = 1 + static_cast<size_t>(level->LevelTextW[0]);
                    if (level->LevelTextW.size() > keep) level->LevelTextW.resize(keep);
                }
            }
            return rtf_st_Ok;
        case destLevelNumbers:
            if (TRDRTFListLevel97* level = LastListLevel()) {
                if (!level->LevelNumbers.empty()) {
                    size_t keep = 1 + static_cast<unsigned char>(level->LevelNumbers[0]);
                    if (level->LevelNumbers.size() > keep) level->LevelNumbers.resize(keep);
                }
            }
            return rtf_st_Ok;
        default:
            return rtf_st_Ok;
    }
}

uint8_t TRDRTFReader::EvaluateFieldInstruction() {
    std::string_view text = TrimBlanks(state_.FieldInstruction);
    if (text.substr(0, 6) != "SYMBOL") return rtf_st_Ok;  // HYPERLINK and others stay for the consumer
    std::string_view rest = text.size() > 7 ? text.substr(7) : std::string_view();
    std::string_view word = rest.substr(0, rest.find(' '));
    int32_t code = ParseDecimal(word);
    size_t f = rest.find("\\f");
    size_t s = rest.find("\\s");
    if (f == std::string_view::npos || s == std::string_view::npos) return rtf_st_Ok;
    // "\f", one character, then the font name in double quotes.
    if (f + 3 >= rest.size() || rest[f + 3] != '"') return rtf_st_Ok;
    size_t nameEnd = rest.find('"', f + 4);
    if (nameEnd == std::string_view::npos) return rtf_st_Ok;
    std::string_view fontName = rest.substr(f + 4, nameEnd - (f + 4));
    // "\s", one character, then the size up to the next space or the end.
    if (s + 3 > rest.size()) return rtf_st_Ok;
    std::string_view sizeText = rest.substr(s + 3);
    sizeText = sizeText.substr(0, sizeText.find(' '));
    int32_t size = ParseDecimal(sizeText);

    TRDRTFCharProperties& chars = state_.CharProps;
    int32_t oldSize = chars.Size;
    chars.Size = size;
    chars.FontNameOverride.assign(fontName);
    uint8_t status = AddChar(static_cast<unsigned char>(code & 0xFF), false, false);
    if (status == rtf_st_Ok) status = AddChar(0, false, false);
    chars.Size = oldSize;
    chars.FontNameOverride.clear();
    return status;
}

uint8_t TRDRTFReader::FinishInput() {
    NotifyMarkerUpdate();
    while (tableLevel_ > 0) {
        TableEvent(rdf_tbl_TableEnd);
        --tableLevel_;
    }
    if (!colors_.empty()) colors_.pop_back();
    if (depth_ > 0) return rtf_st_UnclosedGroup;
    if ((pendingLead_ | pendingHigh_) != 0) {
        uint8_t status = ResolvePendingText();
        if (status != rtf_st_Ok) return status;
    }
    // The tables are closed: the last run follows them without reopening one.
    if (!pendingText_.empty()) return Flush(true, false);
    return rtf_st_Ok;
}

// ---------------------------------------------------------------------------
// Look-ups and conversions

int32_t TRDRTFReader::FirstFontIndex(int32_t number) const {
    return fontIndex_.Find(number, static_cast<int32_t>(fonts_.size()), fonts_.empty() ? 0 : fonts_.back().Number);
}

int32_t TRDRTFReader::FontIndexOf(int32_t number, int32_t defaultNumber) const {
    int32_t index = FirstFontIndex(number);
    if (index < 0 && number != defaultNumber) index = FirstFontIndex(defaultNumber);
    return index < 0 ? 0 : index;
}

int32_t TRDRTFReader::StyleIndexOf(int32_t number) const {
    return styleIndex_.Find(number, static_cast<int32_t>(styleSheet_.size()),
                            styleSheet_.empty() ? 0 : styleSheet_.back().Number);
}

int32_t TRDRTFReader::ListIndexOf(int32_t listId) const {
    return listIndex_.Find(listId, static_cast<int32_t>(listTable_.size()),
                           listTable_.empty() ? 0 : listTable_.back().ListId);
}

int32_t TRDRTFReader::OverrideIndexOf(int32_t number) const {
    return overrideIndex_.Find(number, static_cast<int32_t>(listOverrides_.size()),
                               listOverrides_.empty() ? 0 : listOverrides_.back().Number);
}

void TRDRTFReader::AppendFont(int32_t number) {
    // A font's number never changes, so it is indexed at once.
    fontIndex_.Settle(number, static_cast<int32_t>(fonts_.size()));
    fonts_.emplace_back().Number = number;
    fontNameDone_ = false;
}

void TRDRTFReader::AppendStyleSheetEntry() {
    if (!styleSheet_.empty())
        styleIndex_.Settle(styleSheet_.back().Number, static_cast<int32_t>(styleSheet_.size() - 1));
    TRDRTFStyleSheetEntry& entry = styleSheet_.emplace_back();
    entry.Kind = 1;
    entry.Number = 0;
    entry.Next = static_cast<int32_t>(styleSheet_.size() - 1);
}

void TRDRTFReader::AppendList() {
    if (!listTable_.empty())
        listIndex_.Settle(listTable_.back().ListId, static_cast<int32_t>(listTable_.size() - 1));
    listTable_.emplace_back();
}

void TRDRTFReader::AppendOverride() {
    if (!listOverrides_.empty())
        overrideIndex_.Settle(listOverrides_.back().Number, static_cast<int32_t>(listOverrides_.size() - 1));
    listOverrides_.emplace_back();
}

std::u16string TRDRTFReader::AnsiToWide(std::string_view text, int32_t codePage) const {
    if (text.empty()) return {};
    std::u16string wide = CodePageToUtf16(text, codePage);
    if (wide.empty() && codePage != 0) wide = CodePageToUtf16(text, 0);
    if (wide.empty()) wide.assign(text.size(), u'?');
    return wide;
}

std::string TRDRTFReader::WideToAnsi(std::u16string_view text) const {
    if (text.empty()) return {};
    std::string bytes = Utf16ToCodePage(text, codePage_);
    if (bytes.empty() && codePage_ != 0) bytes = Utf16ToCodePage(text, 0);
    if (bytes.empty()) bytes.assign(text.size(), '?');
    return bytes;
}

}  // namespace tovra
