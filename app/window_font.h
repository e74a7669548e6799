// The main window's font: Tahoma at 8 points (11 pixels at 96 dots per inch,
// the size the window's pixel layout is made for). Where Tahoma is not
// installed, the closest fallback: DejaVu Sans in its condensed width at the
// same pixel size, whose text widths come near Tahoma's, so captions fit
// their controls as they do with Tahoma; else the default sans-serif face.
#pragma once

#include <QFont>

namespace tovra {

inline constexpr int kWindowFontPixelSize = 11;

QFont WindowFont();

}  // namespace tovra
