// The per-user settings store: sections of named values, each value either
// a string or a 32-bit integer, kept in one text file under the user's
// configuration folder ($XDG_CONFIG_HOME/tovra, else ~/.config/tovra).
//
// Every read goes to the file, so a value written by another process is seen
// at once; nothing is cached. Every write replaces the file atomically
// (temporary file, then rename). A damaged or unreadable file reads as empty,
// so every setting takes its default, and is reported once through the
// warning handler; it is never a crash. The first write after that keeps the
// damaged file beside the new one (name + ".damaged").
//
// File format, one item per line (names and values are 8-bit text):
//   [Section]
//   Name=sz:text        a string; \\ \n \r \0 and \= escape those bytes
//   Name=dword:123      a 32-bit integer in decimal
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tovra {

class TSettingsStore {
public:
    enum class ValueType { String, Integer };

    // The store in the default file of the current user.
    TSettingsStore();
    // The store in the given file (tests, or another location).
    explicit TSettingsStore(std::string filePath);

    const std::string& FilePath() const { return filePath_; }

    // Called once per store, with a message, when its file cannot be read or
    // parsed. Unset by default (nothing is reported).
    void SetWarningHandler(std::function<void(const std::string&)> handler);

    bool ValueExists(const std::string& section, const std::string& name) const;
    std::optional<ValueType> TypeOf(const std::string& section, const std::string& name) const;

    // A missing value gives `defaultValue`; an integer value fails with
    // "Invalid data type for '%s'".
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& defaultValue) const;
    // A string value is parsed as a decimal integer (text that does not parse
    // gives the default); an integer value is returned as it is.
    int32_t ReadInteger(const std::string& section, const std::string& name,
                        int32_t defaultValue) const;
    // ReadInteger with 1 or 0 as default; true when not 0.
    bool ReadBool(const std::string& section, const std::string& name, bool defaultValue) const;

    // Failures throw "Failed to set data for '%s'" (or "Failed to create key
    // %s" when the store's folder cannot be made).
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    // Written as an integer value, unless the value already exists as a
    // string: then its decimal text replaces the string.
    void WriteInteger(const std::string& section, const std::string& name, int32_t value);
    // Written as the string "1" or "0".
    void WriteBool(const std::string& section, const std::string& name, bool value);

    // Removes a value; true when it existed.
    bool DeleteValue(const std::string& section, const std::string& name);

    struct Contents;

private:
    Contents Load() const;
    void Save(const Contents& contents, const std::string& name);
    void Put(const std::string& section, const std::string& name, ValueType type,
             const std::string& text);

    std::string filePath_;
    std::function<void(const std::string&)> warn_;
    mutable bool warned_ = false;
    mutable bool damaged_ = false;  // the last load found a damaged file
};

// The default file of the current user's store ("" when neither
// $XDG_CONFIG_HOME nor $HOME is set).
std::string DefaultSettingsFilePath();

}  // namespace tovra
