// Run settings read from the settings store at every use, with optional
// overrides that are never written back (the command line's options).
#pragma once

#include <optional>
#include <string>

#include "engine/run_host.h"
#include "engine/settings.h"

namespace tovra {

class TStoreRunSettings : public TRunSettings {
public:
    explicit TStoreRunSettings(const TSettingsStore& store) : store_(store) {}

    std::string OutFolder() const override { return outFolder_ ? *outFolder_ : ReadOutFolder(store_); }
    bool RemoveFonts() const override { return removeFonts_ ? *removeFonts_ : ReadRemoveFonts(store_); }

    void OverrideOutFolder(std::string folder) { outFolder_ = std::move(folder); }
    void OverrideRemoveFonts(bool removeFonts) { removeFonts_ = removeFonts; }

private:
    const TSettingsStore& store_;
    std::optional<std::string> outFolder_;
    std::optional<bool> removeFonts_;
};

}  // namespace tovra
