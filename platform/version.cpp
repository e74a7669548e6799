// The version string comes from the build configuration.
#include "platform/version.h"

#include "platform/build_config.h"

namespace tovra {

const std::string& VersionString() {
    static const std::string version = TOVRA_VERSION;
    return version;
}

}  // namespace tovra
