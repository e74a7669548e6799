// The window's version component: the program's version string, read once
// when the component is created.
#pragma once

#include <string>

#include "platform/version.h"

namespace tovra {

class TVersionInfo {
public:
    TVersionInfo() : fileVersion_(VersionString()) {}
    const std::string& FileVersion() const { return fileVersion_; }

private:
    std::string fileVersion_;
};

}  // namespace tovra
