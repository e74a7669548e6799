// Typed access to the "Settings" section, with defaults computed at each read.
#include "engine/settings.h"

#include "platform/special_folders.h"

namespace tovra {

std::string ReadOutFolder(const TSettingsStore& store) {
    return store.ReadString(kSettingsSection, "OutFolder", SpecialFolderPath(kCsidlPersonal));
}

void WriteOutFolder(TSettingsStore& store, const std::string& folder) {
    store.WriteString(kSettingsSection, "OutFolder", folder);
}

bool ReadRemoveFonts(const TSettingsStore& store) {
    return store.ReadBool(kSettingsSection, "RemoveFonts", true);
}

void WriteRemoveFonts(TSettingsStore& store, bool removeFonts) {
    store.WriteBool(kSettingsSection, "RemoveFonts", removeFonts);
}

std::string DefaultLT5BiblePath() {
    return SpecialFolderPath(kCsidlProgramFiles) + "/Lectern 5/Modules/kjv.lt5bible";
}

bool LT5BibleStored(const TSettingsStore& store) {
    return store.ValueExists(kSettingsSection, "LT5Bible");
}

std::string ReadLT5Bible(const TSettingsStore& store) {
    return store.ReadString(kSettingsSection, "LT5Bible", DefaultLT5BiblePath());
}

void WriteLT5Bible(TSettingsStore& store, const std::string& path) {
    store.WriteString(kSettingsSection, "LT5Bible", path);
}

void DeleteLT5Bible(TSettingsStore& store) { store.DeleteValue(kSettingsSection, "LT5Bible"); }

}  // namespace tovra
