// Small modules for the reader tests, built in memory with the module
// builder, and temporary files to load them from.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/little_endian.h"
#include "refbible/module.h"
#include "refbible/module_format.h"
#include "support/temp_folder.h"
#include "tools/mkmodule/module_builder.h"

namespace tovra::test_support {

using mkmodule::SealHeader;

// Three books, fourteen verses:
//   Alpha   1:1-3 (1-3)   2:1-2 (4-5)
//   2 Beta  1:1-2 (6-7)   2:1-4 (8-11)   3:1 (12)
//   Gamma   1:1-2 (13-14)
inline mkmodule::TVersification SmallVersification() {
    mkmodule::TVersification v;
    v.books.push_back({"Alpha", "Alp", {3, 2}});
    v.books.push_back({"2 Beta", "2Be", {2, 4, 1}});
    v.books.push_back({"Gamma", "Gam", {2}});
    return v;
}

inline std::vector<std::uint8_t> SmallModule(const mkmodule::TModuleOptions& options = {}) {
    return mkmodule::BuildModule(SmallVersification(), options);
}

inline std::uint32_t Field32(const std::vector<std::uint8_t>& image, std::size_t offset) {
    return ReadLe32(image.data() + offset);
}

inline void SetField32(std::vector<std::uint8_t>& image, std::size_t offset, std::uint32_t value) {
    WriteLe32(image.data() + offset, value);
}

// The message of the error that loading `image` from memory throws, or
// "loaded" when it loads.
inline std::string LoadMessage(const std::vector<std::uint8_t>& image) {
    try {
        TLTBibleModule module("test.lt5bible", image);
        return "loaded";
    } catch (const Error& e) {
        return e.what();
    }
}

// A file in a fresh temporary folder, removed with the folder.
class TempFile {
public:
    explicit TempFile(const std::string& name = "module.lt5bible") : path_(folder_ / name) {}

    const std::string& Path() const { return path_; }
    std::filesystem::path Folder() const { return folder_.path(); }

    void Write(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    TempFolder folder_;
    std::string path_;
};

}  // namespace tovra::test_support
