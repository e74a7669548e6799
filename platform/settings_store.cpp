// Settings file parsing and atomic rewriting.
#include "platform/settings_store.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/error.h"

namespace tovra {

struct TSettingsStore::Contents {
    struct Value {
        std::string name;
        ValueType type;
        std::string text;  // the string, or the integer in decimal
    };
    struct Section {
        std::string name;
        std::vector<Value> values;
    };
    std::vector<Section> sections;

    Section* FindSection(const std::string& name) {
        for (Section& s : sections)
            if (EqualsIgnoringAsciiCase(s.name, name)) return &s;
        return nullptr;
    }
    Value* Find(const std::string& section, const std::string& name) {
        Section* s = FindSection(section);
        if (!s) return nullptr;
        for (Value& v : s->values)
            if (EqualsIgnoringAsciiCase(v.name, name)) return &v;
        return nullptr;
    }
};

namespace {

std::string Escape(const std::string& s, bool escapeEquals) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\0"; break;
            case '=':
                if (escapeEquals) {
                    out += "\\=";
                    break;
                }
                [[fallthrough]];
            default: out.push_back(c);
        }
    }
    return out;
}

bool Unescape(const std::string& s, std::string& out) {
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out.push_back(s[i]);
            continue;
        }
        if (++i == s.size()) return false;
        switch (s[i]) {
            case '\\': out.push_back('\\'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case '0': out.push_back('\0'); break;
            case '=': out.push_back('='); break;
            default: return false;
        }
    }
    return true;
}

// Position of the first '=' that is not escaped, or npos.
size_t NameEnd(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
        } else if (line[i] == '=') {
            return i;
        }
    }
    return std::string::npos;
}

bool ParseInt32(const std::string& text, int32_t& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) return false;
    // Leading blanks are accepted by strtoll; the registry parse is stricter.
    if (text[0] == ' ' || text[0] == '\t') return false;
    value = static_cast<int32_t>(n);
    return true;
}

}  // namespace

std::string DefaultSettingsFilePath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        return "";
    }
    return base + "/tovra/settings.ini";
}

TSettingsStore::TSettingsStore() : filePath_(DefaultSettingsFilePath()) {}

TSettingsStore::TSettingsStore(std::string filePath) : filePath_(std::move(filePath)) {}

void TSettingsStore::SetWarningHandler(std::function<void(const std::string&)> handler) {
    warn_ = std::move(handler);
}

TSettingsStore::Contents TSettingsStore::Load() const {
    Contents contents;
    damaged_ = false;
    if (filePath_.empty()) return contents;
    std::ifstream in(filePath_, std::ios::binary);
    if (!in) {
        if (errno != ENOENT && !warned_) {
            warned_ = true;
            if (warn_) warn_("The settings file \"" + filePath_ + "\" cannot be read; defaults are used.");
        }
        return contents;
    }
    std::string line;
    int lineNo = 0;
    Contents::Section* current = nullptr;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        bool ok = true;
        if (line[0] == '[') {
            if (line.back() != ']') {
                ok = false;
            } else {
                std::string name;
                ok = Unescape(line.substr(1, line.size() - 2), name);
                if (ok) {
                    current = contents.FindSection(name);
                    if (!current) {
                        contents.sections.push_back({name, {}});
                        current = &contents.sections.back();
                    }
                }
            }
        } else {
            size_t eq = NameEnd(line);
            std::string name, value;
            ok = current && eq != std::string::npos && Unescape(line.substr(0, eq), name);
            if (ok) {
                std::string rest = line.substr(eq + 1);
                ValueType type;
                if (rest.rfind("sz:", 0) == 0) {
                    type = ValueType::String;
                    ok = Unescape(rest.substr(3), value);
                } else if (rest.rfind("dword:", 0) == 0) {
                    type = ValueType::Integer;
                    int32_t n;
                    value = rest.substr(6);
                    ok = ParseInt32(value, n);
                    if (ok) value = std::to_string(n);
                } else {
                    ok = false;
                }
                if (ok) {
                    if (Contents::Value* existing = contents.Find(current->name, name)) {
                        existing->type = type;
                        existing->text = value;
                    } else {
                        current->values.push_back({name, type, value});
                    }
                }
            }
        }
        if (!ok) {
            if (!warned_) {
                warned_ = true;
                if (warn_)
                    warn_("The settings file \"" + filePath_ + "\" is damaged (line " +
                          std::to_string(lineNo) + "); defaults are used.");
            }
            damaged_ = true;
            return Contents();
        }
    }
    return contents;
}

void TSettingsStore::Save(const Contents& contents, const std::string& name) {
    const std::string failed = "Failed to set data for '" + name + "'";
    if (filePath_.empty()) throw Error(failed);
    size_t slash = filePath_.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        std::string dir = filePath_.substr(0, slash);
        // Create the folder and its parents as needed.
        for (size_t pos = 1; pos <= dir.size(); ++pos) {
            if (pos == dir.size() || dir[pos] == '/') {
                std::string part = dir.substr(0, pos);
                if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                    throw Error("Failed to create key " + dir);
            }
        }
    }
    std::ostringstream out;
    for (const auto& section : contents.sections) {
        out << '[' << Escape(section.name, false) << "]\n";
        for (const auto& v : section.values) {
            out << Escape(v.name, true) << '='
                << (v.type == ValueType::String ? "sz:" + Escape(v.text, false) : "dword:" + v.text)
                << '\n';
        }
    }
    try {
        TAtomicFile file(filePath_);
        if (damaged_) {
            // Keep the damaged file for the user instead of silently dropping it.
            std::rename(filePath_.c_str(), (filePath_ + ".damaged").c_str());
            damaged_ = false;
        }
        file.Commit(out.str());
    } catch (const Error&) {
        throw Error(failed);
    }
}

bool TSettingsStore::ValueExists(const std::string& section, const std::string& name) const {
    return Load().Find(section, name) != nullptr;
}

std::optional<TSettingsStore::ValueType> TSettingsStore::TypeOf(const std::string& section,
                                                                const std::string& name) const {
    Contents c = Load();
    if (const Contents::Value* v = c.Find(section, name)) return v->type;
    return std::nullopt;
}

std::string TSettingsStore::ReadString(const std::string& section, const std::string& name,
                                       const std::string& defaultValue) const {
    Contents c = Load();
    const Contents::Value* v = c.Find(section, name);
    if (!v) return defaultValue;
    if (v->type != ValueType::String) throw Error("Invalid data type for '" + name + "'");
    return v->text;
}

int32_t TSettingsStore::ReadInteger(const std::string& section, const std::string& name,
                                    int32_t defaultValue) const {
    Contents c = Load();
    const Contents::Value* v = c.Find(section, name);
    if (!v) return defaultValue;
    int32_t n;
    if (!ParseInt32(v->text, n)) return defaultValue;
    return n;
}

bool TSettingsStore::ReadBool(const std::string& section, const std::string& name,
                              bool defaultValue) const {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void TSettingsStore::Put(const std::string& section, const std::string& name, ValueType type,
                         const std::string& text) {
    Contents c = Load();
    if (Contents::Value* v = c.Find(section, name)) {
        v->type = type;
        v->text = text;
    } else {
        Contents::Section* s = c.FindSection(section);
        if (!s) {
            c.sections.push_back({section, {}});
            s = &c.sections.back();
        }
        s->values.push_back({name, type, text});
    }
    Save(c, name);
}

void TSettingsStore::WriteString(const std::string& section, const std::string& name,
                                 const std::string& value) {
    Put(section, name, ValueType::String, value);
}

void TSettingsStore::WriteInteger(const std::string& section, const std::string& name, int32_t value) {
    const bool keepString = TypeOf(section, name) == ValueType::String;
    Put(section, name, keepString ? ValueType::String : ValueType::Integer, std::to_string(value));
}

void TSettingsStore::WriteBool(const std::string& section, const std::string& name, bool value) {
    WriteString(section, name, value ? "1" : "0");
}

bool TSettingsStore::DeleteValue(const std::string& section, const std::string& name) {
    Contents c = Load();
    Contents::Section* s = c.FindSection(section);
    if (!s) return false;
    for (auto it = s->values.begin(); it != s->values.end(); ++it) {
        if (EqualsIgnoringAsciiCase(it->name, name)) {
            s->values.erase(it);
            Save(c, name);
            return true;
        }
    }
    return false;
}

}  // namespace tovra
