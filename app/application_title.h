// The application's title: the caption of its message boxes and the start of
// the main window's title.
#pragma once

#include <string>

namespace tovra {

inline constexpr char kApplicationTitle[] = "tovra: e-Sword to Loom converter";

// The program entry sets it once, before the main window is created.
void SetApplicationTitle(const std::string& title);
// kApplicationTitle until set.
const std::string& ApplicationTitle();

}  // namespace tovra
