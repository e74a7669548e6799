// The style sheet of the styled document: text styles, paragraph styles and
// list styles, each numbered from 0 by its position in its collection.
//
// Collections keep the entries they ever created: `Clear` only forgets them,
// and a later `Add` resets a kept entry to its initial values instead of
// allocating a new one. The document is cleared and its styles reset before
// every entry, so this keeps that per-entry cycle free of allocations once
// the first entries are done. References returned by `Add` and `Items` stay
// valid until the collection is destroyed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/color.h"

namespace tovra {

// A small set of enumeration values stored as one byte of bits (value n is
// bit n).
template <class E>
class TRDSet {
public:
    constexpr TRDSet() = default;
    constexpr TRDSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }
    static constexpr TRDSet FromBits(uint8_t bits) {
        TRDSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Has(E v) const { return (bits_ >> static_cast<int>(v)) & 1u; }
    constexpr void Include(E v) { bits_ = static_cast<uint8_t>(bits_ | (1u << static_cast<int>(v))); }
    constexpr void Exclude(E v) { bits_ = static_cast<uint8_t>(bits_ & ~(1u << static_cast<int>(v))); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(TRDSet a, TRDSet b) { return a.bits_ == b.bits_; }

private:
    uint8_t bits_ = 0;
};

enum TRDBiDiMode : uint8_t { rdbdUnspecified, rdbdLeftToRight, rdbdRightToLeft };
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TRDSet<TFontStyle>;
enum TRDFontStyleEx : uint8_t { rdfsOverline, rdfsAllCaps };
using TRDFontStylesEx = TRDSet<TRDFontStyleEx>;
enum TRDProtectOption : uint8_t {
    rdprStyleProtect, rdprModifyProtect, rdprDeleteProtect, rdprConcateProtect,
    rdprRVFProtect, rdprDoNotAutoSwitch, rdprParaStartProtect, rdprSticking
};
using TRDProtectOptions = TRDSet<TRDProtectOption>;
enum TRDTextEntryOption : uint8_t { rdteoHTMLCode, rdteoRTFCode };
using TRDTextEntryOptions = TRDSet<TRDTextEntryOption>;

inline constexpr uint8_t DEFAULT_CHARSET = 1;

// Common part of every style entry.
struct TCustomRDInfo {
    int32_t BaseStyleNo = -1;
    std::string StyleName;
    bool Standard = true;
};

// A text style.
struct TFontInfo : TCustomRDInfo {
    TFontInfo() { StyleName = "Font Style"; }

    TRDBiDiMode BiDiMode = rdbdUnspecified;
    bool Jump = false;
    int16_t JumpCursor = 101;
    std::string FontName = "Arial";
    int32_t Size = 10;
    TColor Color = clWindowText;
    TColor BackColor = clNone;
    TColor HoverColor = clNone;
    TColor HoverBackColor = clNone;
    TFontStyles Style;
    TRDFontStylesEx StyleEx;
    int32_t VShift = 0;  // < 0 subscript, > 0 superscript
    int32_t NextStyleNo = -1;
    uint8_t Charset = DEFAULT_CHARSET;
    bool Unicode = false;  // text items of this style hold UTF-16LE text
    TRDProtectOptions Protection;
    TRDTextEntryOptions Options;
    int32_t CharScale = 100;
    int32_t CharSpacing = 0;
};

struct TRDRect {
    int32_t Top = 0, Left = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TRDRect&, const TRDRect&) = default;
};

struct TRDBooleanRect {
    bool Top = true, Left = true, Right = true, Bottom = true;
    friend bool operator==(const TRDBooleanRect&, const TRDBooleanRect&) = default;
};

enum TRDBorderStyle : uint8_t { rdbNone, rdbSingle, rdbDouble, rdbTriple, rdbThickInside, rdbThickOutside };

struct TRDBorder {
    TColor Color = clWindowText;
    TRDBorderStyle Style = rdbNone;
    int32_t Width = 1;
    int32_t InternalWidth = 1;
    TRDBooleanRect VisibleBorders;
    TRDRect BorderOffsets;
};

struct TRDBackgroundRect {
    TRDRect BorderOffsets;
    TColor Color = clNone;
};

enum TRDLineSpacingType : uint8_t { rdlsPercent, rdlsSpaceBetween };
enum TRDAlignment : uint8_t { rdaLeft = 0, rdaRight = 1, rdaCenter = 2, rdaJustify = 3 };
enum TRDParagraphOption : uint8_t { rdpaoNoWrap, rdpaoReadOnly, rdpaoStyleProtect, rdpaoDoNotWantReturns };
using TRDParagraphOptions = TRDSet<TRDParagraphOption>;

// A paragraph style. Copying it copies its border and background.
struct TParaInfo : TCustomRDInfo {
    TParaInfo() { StyleName = "Paragraph Style"; }

    int32_t FirstIndent = 0;
    int32_t LeftIndent = 0;
    int32_t RightIndent = 0;
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    int32_t LineSpacing = 100;
    TRDLineSpacingType LineSpacingType = rdlsPercent;
    TRDAlignment Alignment = rdaLeft;
    TRDBorder Border;
    int32_t NextParaNo = -1;
    TRDBackgroundRect Background;
    TRDParagraphOptions Options;
    TRDBiDiMode BiDiMode = rdbdUnspecified;

    // Equality of every property that style matching compares (all but
    // StyleName, BaseStyleNo and Standard).
    bool IsSimilarTo(const TParaInfo& other) const;
};

enum TRDListType : uint8_t {
    rdlstBullet = 0, rdlstPicture = 1, rdlstImageList = 2, rdlstDecimal = 3, rdlstLowerAlpha = 4,
    rdlstUpperAlpha = 5, rdlstLowerRoman = 6, rdlstUpperRoman = 7, rdlstImageListCounter = 8,
    rdlstUnicodeBullet = 9
};
enum TRDMarkerAlignment : uint8_t { rdmaLeft, rdmaRight, rdmaCenter };
enum TRDListLevelOption : uint8_t { rdloContinuous, rdloLevelReset, rdloLegalStyleNumbering };
using TRDListLevelOptions = TRDSet<TRDListLevelOption>;

// The font of a list marker.
struct TRDMarkerFont {
    std::string Name = "Arial";
    int32_t Size = 8;
    TColor Color = clWindowText;
    TFontStyles Style;
    uint8_t Charset = DEFAULT_CHARSET;
};

// One level of a list style. Image and picture markers are never written,
// so the level keeps only the image index of its image-list reference.
struct TRDListLevel {
    TRDListType ListType = rdlstBullet;
    int32_t ImageIndex = 0;
    std::string FormatString = "\xB7";
    std::u16string FormatStringW;
    int32_t LeftIndent = 0;
    int32_t FirstIndent = 10;
    int32_t MarkerIndent = 0;
    TRDMarkerAlignment MarkerAlignment = rdmaLeft;
    TRDListLevelOptions Options{rdloContinuous, rdloLevelReset};
    int32_t StartFrom = 1;
    TRDMarkerFont Font;

    // Decimal, alphabetic, roman and image-list-counter levels carry numbers.
    bool HasNumbering() const { return ListType >= rdlstDecimal && ListType <= rdlstImageListCounter; }
};

// An ordered, owning collection that keeps its entries for reuse (see the
// file comment). `Items` of an index outside 0 … Count-1 raises EListError;
// the text and paragraph style collections override that with their
// InvalidItem.
template <class T>
class TRDCollection {
public:
    TRDCollection() = default;
    TRDCollection(const TRDCollection& other) { *this = other; }
    TRDCollection& operator=(const TRDCollection& other);

    // Appends an entry with the initial values and returns it.
    T& Add();
    int Count() const { return count_; }
    void Clear() { count_ = 0; }
    // Forgets the entries from `count` on (keeping them for reuse).
    void Truncate(int count) {
        if (count >= 0 && count < count_) count_ = count;
    }
    bool InRange(int index) const { return index >= 0 && index < count_; }
    T& Items(int index);
    const T& Items(int index) const;

protected:
    T& At(int index) const { return *entries_[static_cast<size_t>(index)]; }

private:
    std::vector<std::unique_ptr<T>> entries_;
    int count_ = 0;
};

using TRDListLevelCollection = TRDCollection<TRDListLevel>;

// A list style.
struct TRDListInfo : TCustomRDInfo {
    TRDListInfo() { StyleName = "List Style"; }

    TRDListLevelCollection Levels;
    bool OneLevelPreview = false;
};

using TRDListInfos = TRDCollection<TRDListInfo>;

// A collection whose out-of-range entry is the InvalidItem: a copy of entry 0
// made on first need and marked so that it stands out (see MarkInvalid).
template <class T>
class TRDStyleCollection : public TRDCollection<T> {
public:
    T& Items(int index) { return this->InRange(index) ? this->At(index) : InvalidItem(); }
    const T& Items(int index) const { return this->InRange(index) ? this->At(index) : InvalidItem(); }
    T& InvalidItem() const;

private:
    mutable std::unique_ptr<T> invalid_;
};

// Text styles; the InvalidItem shows white text on red.
using TFontInfos = TRDStyleCollection<TFontInfo>;

// Paragraph styles; the InvalidItem has a red border.
class TParaInfos : public TRDStyleCollection<TParaInfo> {
public:
    // The index of a style similar to `style` (TParaInfo::IsSimilarTo): the
    // base style number when that one is, else the first other one; -1 when
    // there is none.
    int FindSuchParaStyle(int baseStyleNo, const TParaInfo& style) const;
};

// The style sheet.
class TRDStyle {
public:
    // Starts with the default text and paragraph styles.
    TRDStyle();

    TFontInfos TextStyles;
    TParaInfos ParaStyles;
    TRDListInfos ListStyles;
    int16_t SpacesInTab = 8;
    TColor Color = clWindow;
    int16_t JumpCursor = 101;
    uint32_t DefCodePage = 0;  // 0: the system's ANSI code page

    // The six default text styles: "Normal text", "Heading", "Subheading",
    // "Keywords", "Jump 1", "Jump 2".
    void ResetTextStyles();
    // The two default paragraph styles: "Paragraph Style" and "Centered".
    void ResetParaStyles();
};

// ---- template definitions ----

template <class T>
TRDCollection<T>& TRDCollection<T>::operator=(const TRDCollection& other) {
    if (this == &other) return *this;
    Clear();
    for (int i = 0; i < other.count_; ++i) Add() = other.At(i);
    return *this;
}

template <class T>
T& TRDCollection<T>::Add() {
    if (static_cast<size_t>(count_) < entries_.size()) {
        // Copied from one kept initial entry: the reused entry's strings
        // keep their buffers, where assigning a new T would build and free
        // its strings every time.
        static const T kInitial;
        T& entry = *entries_[static_cast<size_t>(count_)];
        entry = kInitial;
        ++count_;
        return entry;
    }
    entries_.push_back(std::make_unique<T>());
    ++count_;
    return *entries_.back();
}

void ThrowListIndexError(int index);

template <class T>
T& TRDCollection<T>::Items(int index) {
    if (!InRange(index)) ThrowListIndexError(index);
    return At(index);
}

template <class T>
const T& TRDCollection<T>::Items(int index) const {
    if (!InRange(index)) ThrowListIndexError(index);
    return At(index);
}

void MarkInvalid(TFontInfo& style);
void MarkInvalid(TParaInfo& style);

template <class T>
T& TRDStyleCollection<T>::InvalidItem() const {
    if (!invalid_) {
        invalid_ = this->Count() > 0 ? std::make_unique<T>(this->At(0)) : std::make_unique<T>();
        MarkInvalid(*invalid_);
    }
    return *invalid_;
}

}  // namespace tovra
