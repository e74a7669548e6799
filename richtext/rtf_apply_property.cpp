// The RTF reader's property codes: what every formatting control word does
// to the current state's records, and the codes that act on the tables,
// the numbering markers and the list tables inside their own destinations.
#include "richtext/rtf_reader.h"

#include <stdexcept>

namespace tovra {
namespace {

uint8_t Byte(int32_t p) { return static_cast<uint8_t>(p); }

void SetBit(uint8_t& bits, int bit, bool on) {
    uint8_t mask = static_cast<uint8_t>(1u << bit);
    bits = static_cast<uint8_t>(on ? (bits | mask) : (bits & ~mask));
}

// Makes a width given in twips a percentage (negative) when the keyword says
// so. A width that is already negative stays as it is: negating it again
// would turn the percentage back into twips.
void WidthTypeOf(int32_t p, bool& widthIsPercent, int32_t& bestWidth) {
    if (p == 2) {
        widthIsPercent = true;
        if (bestWidth > 0) bestWidth = -bestWidth;
    } else if (p != 3) {
        bestWidth = 0;
    }
}

int32_t Negate(int32_t p) { return p == INT32_MIN ? INT32_MAX : -p; }

}  // namespace

uint8_t TRDRTFReader::ApplyProperty(uint8_t code, int32_t p) {
    const TRDRTFDestination dest = state_.Destination;
    if (dest == destSkip) return rtf_st_Ok;
    // \u and \uc act in every destination that reads anything.
    if (code == 48) return ApplyUnicode(p);
    if (code == 49) {
        state_.UnicodeSkip = p;
        return rtf_st_Ok;
    }
    switch (dest) {
        case destStyleSheetEntry: {
            if (styleSheet_.empty()) return rtf_st_Ok;
            TRDRTFStyleSheetEntry& entry = styleSheet_.back();
            switch (code) {
                case 60: return ChangeDestination(5, p);
                case 61: return ChangeDestination(6, p);
                case 62: return ChangeDestination(7, p);
                case 63: entry.BasedOn = StyleIndexOf(p); break;
                case 64: entry.Next = StyleIndexOf(p); break;
                case 65: entry.Additive = true; break;
                case 66: entry.Hidden = true; break;
                default: break;
            }
            return rtf_st_Ok;
        }
        case destColorTable:
            if ((code == 55 || code == 56 || code == 57) && !colors_.empty()) {
                TColor& color = colors_.back();
                if (color == kRtfDefaultColor) color = 0;
                int shift = (code - 55) * 8;
                color |= static_cast<TColor>(static_cast<uint32_t>(p) << shift);
            }
            return rtf_st_Ok;
        case destPicture:
            return rtf_st_Ok;  // pictures are not collected without a picture consumer
        case destNumbering:
            if (numberingMarker_) ApplyMarkerProperty(*numberingMarker_, code, p);
            return rtf_st_Ok;
        case destSectionNumbering:
            if (sectionLevel_ >= 1 && sectionLevel_ <= 11)
                ApplyMarkerProperty(state_.SectionProps.EnsureDefaultMarkers()[static_cast<size_t>(sectionLevel_ - 1)],
                                    code, p);
            return rtf_st_Ok;
        case destList:
            if (!listTable_.empty()) {
                if (code == 90) listTable_.back().ListId = p;
                if (code == 92) listTable_.back().Simple = p != 0;
            }
            return rtf_st_Ok;
        case destListLevel:
            if (TRDRTFListLevel97* level = LastListLevel()) ApplyListLevelProperty(*level, code, p);
            return rtf_st_Ok;
        case destListOverride:
            if (!listOverrides_.empty()) {
                TRDRTFListOverride97& o = listOverrides_.back();
                if (code == 90) o.ListIndex = ListIndexOf(p);
                if (code == 103) o.Count = p;
                if (code == 104) o.Number = p;
            }
            return rtf_st_Ok;
        case destListOverrideLevel:
            if (!listOverrides_.empty() && !listOverrides_.back().Levels.empty()) {
                TRDRTFListOverrideLevel97& level = listOverrides_.back().Levels.back();
                if (code == 94) level.Start = p;
                if (code == 105) level.StartOverridden = true;
            }
            return rtf_st_Ok;
        default:
            return ApplyStateProperty(code, p);
    }
}

TRDRTFBorderSide& TRDRTFReader::BorderSideOfTarget() {
    switch (state_.BorderTarget) {
        case 1: {
            TRDRTFRowProperties& row = state_.Row();
            return row.Border.Side(row.CurBorderSide);
        }
        case 2: {
            TRDRTFCellProperties& cell = state_.Row().CurrentCell();
            return cell.Border.Side(cell.CurBorderSide);
        }
        default: {
            TRDRTFParaProperties& para = state_.ParaProps;
            if (!para.Border) para.Border.emplace();
            return para.Border->Side(para.CurBorderSide);
        }
    }
}

uint8_t TRDRTFReader::ApplyStateProperty(uint8_t code, int32_t p) {
    const TRDRTFDestination dest = state_.Destination;
    TRDRTFCharProperties& chars = state_.CharProps;
    TRDRTFParaProperties& para = state_.ParaProps;
    TRDRTFSectionProperties& section = state_.SectionProps;
    TRDRTFDocProperties& doc = state_.DocProps;
    switch (code) {
        // Character record.
        case 0:
        case 1:
        case 2:
        case 3: SetBit(chars.Style, code, p != 0); break;
        case 4: chars.CharScale = p; break;
        case 5: chars.CharSpacing = p; break;
        case 6: chars.VShift = Byte(p); break;
        case 7: SetBit(chars.StyleEx, 0, p != 0); break;
        case 8: chars.Size = RtfHalfPointsToPoints(p); break;
        case 9:
            if (ValidColor(p)) chars.Color = colors_[static_cast<size_t>(p)];
            break;
        case 10:
            if (ValidColor(p)) chars.BackColor = colors_[static_cast<size_t>(p)];
            if (chars.BackColor == kRtfDefaultColor) chars.BackColor = kRtfNoColor;
            break;
        case 11:
            if (ConvertHighlight == rtf_hl_FixedColors) {
                chars.BackColor = RtfHighlightColor(p);
            } else if (ConvertHighlight == rtf_hl_ColorTable) {
                if (ValidColor(p)) chars.BackColor = colors_[static_cast<size_t>(p)];
                if (chars.BackColor == kRtfDefaultColor) chars.BackColor = kRtfNoColor;
            }
            break;
        case 35:
            chars.Reset();
            textDecoderStale_ = true;  // font index 0
            break;
        case 54: return ApplyHidden(p);
        case 37:
            textDecoderStale_ = true;  // a new font, or a new font-table entry
            if (dest == destText) {
                chars.FontIndex = FontIndexOf(p, state_.DefaultFont);
            } else if (dest == destFontTable) {
                AppendFont(p);
            } else if (dest == destStyleSheet && !styleSheet_.empty()) {
                styleSheet_.back().CharProps.FontIndex = FontIndexOf(p, state_.DefaultFont);
            }
            break;
        case 38:
            if (dest == destText) state_.DefaultFont = p;
            break;
        case 58:
            if (dest == destFontTable && !fonts_.empty()) fonts_.back().Family = Byte(p);
            break;
        case 59:
            if (dest == destFontTable) {
                textDecoderStale_ = true;
                if (fonts_.empty()) throw std::runtime_error("font charset before the first font");
                fonts_.back().Charset = p > 255 ? 77 : Byte(p);
            }
            break;

        // Paragraph record.
        case 12: para.LineSpacing = p; break;
        case 13: para.LineSpacingMultiple = Byte(p); break;
        case 14: para.LeftIndent = p; break;
        case 15: para.RightIndent = p; break;
        case 16: para.FirstIndent = p; break;
        case 39: para.SpaceBefore = p; break;
        case 40: para.SpaceAfter = p; break;
        case 33: para.Alignment = Byte(p); break;
        case 34: para.Reset(); break;
        case 46:
            if (ValidColor(p)) para.ShadingColor = colors_[static_cast<size_t>(p)];
            break;
        case 104: para.ListOverrideIndex = OverrideIndexOf(p); break;
        case 106: para.ListLevel = p; break;
        case 110: para.InTable = true; break;
        case 111:
            para.NestingLevel = p;
            if (p > 0) para.InTable = true;
            break;
        case 147: para.Positioned = true; break;

        // Borders.
        case 41: {
            TRDRTFBorderSide& side = BorderSideOfTarget();
            if (side.Style == 0) side.Style = Byte(p);
            break;
        }
        case 42:
            state_.BorderTarget = 0;
            para.CurBorderSide = Byte(p & 3);
            break;
        case 43: BorderSideOfTarget().Width = p; break;
        case 44:
            if (ValidColor(p)) BorderSideOfTarget().Color = colors_[static_cast<size_t>(p)];
            break;
        case 45:
            if (!para.Border) para.Border.emplace();
            para.Border->Side(para.CurBorderSide).Spacing = p;
            break;
        case 145:
            state_.BorderTarget = 1;
            state_.Row().CurBorderSide = Byte(p & 3);
            break;
        case 146:
            state_.BorderTarget = 2;
            state_.Row().CurrentCell().CurBorderSide = Byte(p & 3);
            break;

        // Section record.
        case 17: section.ColumnCount = p; break;
        case 18: section.PageNumberX = p; break;
        case 19: section.PageNumberY = p; break;
        case 20: section.HeaderY = p; break;
        case 21: section.FooterY = p; break;
        case 29: section.BreakType = Byte(p); break;
        case 30: section.PageNumberFormat = Byte(p); break;
        case 36: section.Reset(); break;

        // Document record.
        case 22: doc.PaperWidth = p; break;
        case 23: doc.PaperHeight = p; break;
        case 24: doc.MarginLeft = p; break;
        case 25: doc.MarginRight = p; break;
        case 26: doc.MarginTop = p; break;
        case 27: doc.MarginBottom = p; break;
        case 28: doc.PageNumberStart = p; break;
        case 31: doc.FacingPages = p != 0; break;
        case 32: doc.Landscape = p != 0; break;

        // Row record.
        case 112: state_.Row().Reset(); break;
        case 113: state_.Row().Alignment = Byte(p); break;
        case 114: state_.Row().Gap = p; break;
        case 115: state_.Row().Left = p; break;
        case 116: state_.Row().Height = p; break;
        case 117: state_.Row().Heading = true; break;
        case 118: state_.Row().Padding[rtf_side_Left] = p; break;
        case 119: state_.Row().Padding[rtf_side_Right] = p; break;
        case 120: state_.Row().Padding[rtf_side_Top] = p; break;
        case 121: state_.Row().Padding[rtf_side_Bottom] = p; break;
        case 122: state_.Row().UsePadding[rtf_side_Left] = p == 3; break;
        case 123: state_.Row().UsePadding[rtf_side_Right] = p == 3; break;
        case 124: state_.Row().UsePadding[rtf_side_Top] = p == 3; break;
        case 125: state_.Row().UsePadding[rtf_side_Bottom] = p == 3; break;
        case 126: state_.Row().Spacing[rtf_side_Left] = p; break;
        case 127: state_.Row().Spacing[rtf_side_Right] = p; break;
        case 128: state_.Row().Spacing[rtf_side_Top] = p; break;
        case 129: state_.Row().Spacing[rtf_side_Bottom] = p; break;
        case 130: state_.Row().UseSpacing[rtf_side_Left] = p == 3; break;
        case 131: state_.Row().UseSpacing[rtf_side_Right] = p == 3; break;
        case 132: state_.Row().UseSpacing[rtf_side_Top] = p == 3; break;
        case 133: state_.Row().UseSpacing[rtf_side_Bottom] = p == 3; break;
        case 134: {
            TRDRTFRowProperties& row = state_.Row();
            row.BestWidth = row.WidthIsPercent ? Negate(p) : p;
            break;
        }
        case 135: {
            TRDRTFRowProperties& row = state_.Row();
            WidthTypeOf(p, row.WidthIsPercent, row.BestWidth);
            break;
        }
        case 151: {
            TRDRTFRowProperties& row = state_.Row();
            row.BestWidth = p;
            row.HasFixedSizes = true;
            break;
        }

        // Current cell.
        case 136: state_.Row().CurrentCell().VMerge = Byte(p); break;
        case 137: state_.Row().CurrentCell().HMerge = Byte(p); break;
        case 138: {
            TRDRTFCellProperties& cell = state_.Row().CurrentCell();
            cell.BestWidth = cell.WidthIsPercent ? Negate(p) : p;
            break;
        }
        case 139: {
            TRDRTFCellProperties& cell = state_.Row().CurrentCell();
            WidthTypeOf(p, cell.WidthIsPercent, cell.BestWidth);
            break;
        }
        case 140: {
            TRDRTFCellProperties& cell = state_.Row().CurrentCell();
            if (ValidColor(p)) cell.Color = colors_[static_cast<size_t>(p)];
            if (cell.Color == kRtfDefaultColor) cell.Color = kRtfNoColor;
            break;
        }
        case 141:
            if (ValidColor(p)) state_.Row().CurrentCell().PatternColor = colors_[static_cast<size_t>(p)];
            break;
        case 142: state_.Row().CurrentCell().Shading = p; break;
        case 143: state_.Row().CurrentCell().VAlign = Byte(p); break;
        case 144: {
            TRDRTFRowProperties& row = state_.Row();
            row.CurrentCell().RightBoundary = p;
            // At the limit the last cell stays closed and later boundaries move it.
            if (row.Cells.size() < kMaxRowCells) {
                row.Cells.emplace_back();
                row.LastCellOpen = true;
            } else {
                row.LastCellOpen = false;
            }
            break;
        }
        case 149: {
            TRDRTFRowProperties& row = state_.Row();
            row.CurrentCell().BestWidth = p;
            row.HasFixedSizes = true;
            break;
        }
        case 150: {
            TRDRTFRowProperties& row = state_.Row();
            row.CurrentCell().BestHeight = p;
            row.HasFixedSizes = true;
            break;
        }

        // Codes the reader handles itself.
        case 47:
            codePage_ = p;
            textDecoderStale_ = true;
            break;
        case 50:
            if (OnRequiredPageBreak) {
                uint8_t status = Flush(true, true);
                if (status != rtf_st_Ok) return status;
                OnRequiredPageBreak(*this);
            }
            break;
        case 89: return ChangeDestination(17, p);
        case 108:
            state_.Row().FinishRow();
            AdjustTableLevel(true);
            TableEvent(rdf_tbl_RowEnd);
            break;
        case 109: {
            AdjustTableLevel(true);
            uint8_t status = Flush(true, true);
            pendingPosition_ = rtf_ts_NewPara;
            TableEvent(rdf_tbl_CellEnd);
            return status;
        }
        default:
            // Picture, numbering and list codes outside their destinations.
            break;
    }
    return rtf_st_Ok;
}

void TRDRTFReader::ApplyMarkerProperty(TRDRTFMarkerProperties& marker, uint8_t code, int32_t p) {
    switch (code) {
        case 75:
            if (state_.SectionProps.DefaultMarkers && p >= 1 && p <= 11) {
                // Copy first: the marker may be that very default marker.
                TRDRTFMarkerProperties source = (*state_.SectionProps.DefaultMarkers)[static_cast<size_t>(p - 1)];
                CopyMarker(marker, source, true);
            }
            marker.Level = p;
            break;
        case 76: marker.Hanging = true; break;
        case 77: marker.ListType = Byte(p); break;
        case 78:
        case 79:
        case 80:
        case 81: SetBit(marker.FontStyle, code - 78, p != 0); break;
        case 82:
            if (ValidColor(p)) marker.Color = colors_[static_cast<size_t>(p)];
            marker.ExplicitFlags |= rtf_mef_Color;
            break;
        case 83:
            marker.FontIndex = FontIndexOf(p, state_.DefaultFont);
            marker.ExplicitFlags |= rtf_mef_Font;
            break;
        case 84:
            marker.FontSize = RtfHalfPointsToPoints(p);
            marker.ExplicitFlags |= rtf_mef_Size;
            break;
        case 85: marker.Indent = p; break;
        case 86: marker.Space = p; break;
        case 87: marker.Alignment = Byte(p); break;
        case 88: marker.Start = p; break;
        default: break;
    }
}

void TRDRTFReader::ApplyListLevelProperty(TRDRTFListLevel97& level, uint8_t code, int32_t p) {
    switch (code) {
        case 0:
        case 1:
        case 2:
        case 3: SetBit(level.FontStyle, code, p != 0); break;
        case 8: level.FontSize = RtfHalfPointsToPoints(p); break;
        case 9:
            if (ValidColor(p)) level.Color = colors_[static_cast<size_t>(p)];
            break;
        case 14: level.LeftIndent = p; break;
        case 16: level.FirstIndent = p; break;
        case 37: level.FontIndex = FontIndexOf(p, state_.DefaultFont); break;
        case 94: level.Start = p; break;
        case 95:
            switch (p) {
                case 1: level.ListType = 4; break;
                case 2: level.ListType = 3; break;
                case 3: level.ListType = 2; break;
                case 4: level.ListType = 1; break;
                case 23: level.ListType = 5; break;
                default: level.ListType = 0; break;
            }
            break;
        case 96:
            if (p == 0) level.Alignment = 0;
            if (p == 1) level.Alignment = 2;
            if (p == 2) level.Alignment = 1;
            break;
        case 97: level.Old = p != 0; break;
        case 98: level.Indent = p; break;
        case 99: level.Space = p; break;
        case 100: level.Follow = p; break;
        case 101: level.Legal = p != 0; break;
        case 102: level.NoRestart = p != 0; break;
        case 107: level.TabPosition = p; break;
        default: break;
    }
}

uint8_t TRDRTFReader::ApplyUnicode(int32_t p) {
    const char16_t ch = static_cast<char16_t>(static_cast<uint32_t>(p) & 0xFFFF);
    // A negative \uc skips nothing.
    const int32_t skip = state_.UnicodeSkip > 0 ? state_.UnicodeSkip : 0;
    switch (state_.Destination) {
        case destSkip:
            return rtf_st_Ok;
        case destText:
            skipCount_ = skip;
            if (OnNewUnicodeText) return AddWideChar(ch);
            // Without a wide-text consumer the character joins the 8-bit text.
            AdjustTableLevel(true);
            return AddUnicodeEscape(p);
        case destLevelText:
            skipCount_ = skip;
            if (TRDRTFListLevel97* level = LastListLevel()) {
                if (level->LevelTextW.empty()) level->LevelTextW = AnsiToWide(level->LevelText, codePage_);
                level->LevelTextW.push_back(ch);
                level->LevelText += WideToAnsi(std::u16string_view(&ch, 1));
            }
            return rtf_st_Ok;
        default: {
            if (state_.UnicodeSkip <= 0) return rtf_st_Ok;
            skipCount_ = skip;
            for (char b : WideToAnsi(std::u16string_view(&ch, 1))) {
                uint8_t status = HandleChar(static_cast<unsigned char>(b));
                if (status != rtf_st_Ok) return status;
            }
            return rtf_st_Ok;
        }
    }
}

uint8_t TRDRTFReader::ApplyHidden(int32_t p) {
    TRDRTFCharProperties& chars = state_.CharProps;
    bool hidden = p != 0;
    if (hidden == chars.Hidden) return rtf_st_Ok;
    // Switching hidden text on first reports a visible run, possibly empty,
    // so that a consumer that drops hidden runs loses no paragraph start.
    forceEmit_ = !chars.Hidden;
    uint8_t status = Flush(false, false);
    forceEmit_ = false;
    chars.Hidden = hidden;
    return status;
}

}  // namespace tovra
