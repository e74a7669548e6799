// The system colour scheme. Without a desktop colour scheme this platform
// uses the classic standard scheme (window white, window text black).
#pragma once

#include <cstdint>

namespace tovra {

// The RGB value (0x00BBGGRR, red in the low byte) of the system colour with
// the given index (0 scroll bar … 30 menu bar). Unknown indices give black.
uint32_t SystemColorRgb(int index);

}  // namespace tovra
