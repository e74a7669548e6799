// A fixture with the KJV reference module, built once per test suite from
// the versification table into a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "refbible/module.h"
#include "support/temp_folder.h"
#include "tools/mkmodule/module_builder.h"

namespace tovra::test_support {

class KjvModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempFolder;
        auto versification =
            mkmodule::ReadVersificationFile(std::string(TOVRA_SOURCE_DIR) + "/data/kjv-versification.tsv");
        const std::string path = *dir_ / "kjv.lt5bible";
        mkmodule::WriteModuleFile(path, mkmodule::BuildModule(versification));
        module_ = new TLTBibleModule(path);
    }
    static void TearDownTestSuite() {
        delete module_;
        module_ = nullptr;
        delete dir_;
        dir_ = nullptr;
    }

    static inline TempFolder* dir_ = nullptr;
    static inline TLTBibleModule* module_ = nullptr;
};

}  // namespace tovra::test_support
