#include "platform/screen.h"

namespace tovra {

int ScreenPixelsPerInch() { return kScreenPixelsPerInch; }

}  // namespace tovra
