// Colour values shared by the RTF reader and the styled document: 32-bit
// values, 0x00BBGGRR for RGB colours (red in the low byte), 0xFF0000nn for
// the system colour with index nn.
#pragma once

#include <cstdint>

namespace tovra {

using TColor = uint32_t;

inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clBtnHighlight = 0xFF000014;
inline constexpr TColor clNone = 0x1FFFFFFF;

inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clBlack = 0x000000;

inline constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0xFF000000u; }

}  // namespace tovra
