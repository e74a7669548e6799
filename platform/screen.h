// The screen that lengths in the styled document are measured in.
#pragma once

namespace tovra {

// Screen pixels per inch. There is no screen to ask here; 96 is the
// standard resolution of a desktop screen.
inline constexpr int kScreenPixelsPerInch = 96;

int ScreenPixelsPerInch();

}  // namespace tovra
