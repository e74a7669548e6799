#include "platform/system_colors.h"

namespace tovra {

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Index order of the standard colour indices.
constexpr uint32_t kScheme[] = {
    Rgb(0xC8, 0xC8, 0xC8),  // 0 scroll bar
    Rgb(0x00, 0x00, 0x00),  // 1 background (desktop)
    Rgb(0x99, 0xB4, 0xD1),  // 2 active caption
    Rgb(0xBF, 0xCD, 0xDB),  // 3 inactive caption
    Rgb(0xF0, 0xF0, 0xF0),  // 4 menu
    Rgb(0xFF, 0xFF, 0xFF),  // 5 window
    Rgb(0x64, 0x64, 0x64),  // 6 window frame
    Rgb(0x00, 0x00, 0x00),  // 7 menu text
    Rgb(0x00, 0x00, 0x00),  // 8 window text
    Rgb(0x00, 0x00, 0x00),  // 9 caption text
    Rgb(0xB4, 0xB4, 0xB4),  // 10 active border
    Rgb(0xF4, 0xF7, 0xFC),  // 11 inactive border
    Rgb(0xAB, 0xAB, 0xAB),  // 12 application workspace
    Rgb(0x00, 0x78, 0xD7),  // 13 highlight
    Rgb(0xFF, 0xFF, 0xFF),  // 14 highlight text
    Rgb(0xF0, 0xF0, 0xF0),  // 15 button face
    Rgb(0xA0, 0xA0, 0xA0),  // 16 button shadow
    Rgb(0x6D, 0x6D, 0x6D),  // 17 grey text
    Rgb(0x00, 0x00, 0x00),  // 18 button text
    Rgb(0x00, 0x00, 0x00),  // 19 inactive caption text
    Rgb(0xFF, 0xFF, 0xFF),  // 20 button highlight
    Rgb(0x69, 0x69, 0x69),  // 21 3-D dark shadow
    Rgb(0xE3, 0xE3, 0xE3),  // 22 3-D light
    Rgb(0x00, 0x00, 0x00),  // 23 tooltip text
    Rgb(0xFF, 0xFF, 0xE1),  // 24 tooltip background
    Rgb(0x00, 0x00, 0x00),  // 25 (unused)
    Rgb(0x00, 0x66, 0xCC),  // 26 hot-tracked item
    Rgb(0xB9, 0xD1, 0xEA),  // 27 gradient active caption
    Rgb(0xD7, 0xE4, 0xF2),  // 28 gradient inactive caption
    Rgb(0x33, 0x99, 0xFF),  // 29 menu highlight
    Rgb(0xF0, 0xF0, 0xF0),  // 30 menu bar
};

}  // namespace

uint32_t SystemColorRgb(int index) {
    if (index < 0 || index >= static_cast<int>(sizeof kScheme / sizeof kScheme[0])) return 0;
    return kScheme[index];
}

}  // namespace tovra
