// The program's settings, read from the settings store at every use.
//
// Section "Settings": "OutFolder" (string, default the documents folder),
// "RemoveFonts" (boolean stored as "1"/"0", default true) and "LT5Bible"
// (string, default the bundled reference module under the program's data
// folder).
#pragma once

#include <string>

#include "platform/settings_store.h"

namespace tovra {

inline constexpr char kSettingsSection[] = "Settings";

std::string ReadOutFolder(const TSettingsStore& store);
void WriteOutFolder(TSettingsStore& store, const std::string& folder);

bool ReadRemoveFonts(const TSettingsStore& store);
void WriteRemoveFonts(TSettingsStore& store, bool removeFonts);

// "<program data folder>/Lectern 5/Modules/kjv.lt5bible".
std::string DefaultLT5BiblePath();
bool LT5BibleStored(const TSettingsStore& store);
std::string ReadLT5Bible(const TSettingsStore& store);
void WriteLT5Bible(TSettingsStore& store, const std::string& path);
void DeleteLT5Bible(TSettingsStore& store);

}  // namespace tovra
