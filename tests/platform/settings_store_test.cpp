#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/special_folders.h"
#include "platform/version.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void WriteRaw(const std::string& text) {
        std::filesystem::create_directories(dir_ / "sub");
        test_support::WriteFile(path_, text);
    }
    std::string ReadRaw() { return test_support::ReadFile(path_); }

    test_support::TempFolder temp_;
    // The store's folders, not made yet.
    std::filesystem::path dir_ = temp_ / "store";
    std::string path_ = (dir_ / "sub" / "settings.ini").string();
};

TEST_F(SettingsStoreTest, MissingValuesGiveDefaultsAndReadingCreatesNothing) {
    TSettingsStore store(path_);
    EXPECT_EQ(store.ReadString("Settings", "OutFolder", "dflt"), "dflt");
    EXPECT_EQ(store.ReadInteger("Settings", "Left", 42), 42);
    EXPECT_TRUE(store.ReadBool("Settings", "RemoveFonts", true));
    EXPECT_FALSE(std::filesystem::exists(dir_));
}

TEST_F(SettingsStoreTest, BooleansReadAsIntegersOfEitherType) {
    struct Case {
        const char* stored;
        bool expected;
    } cases[] = {
        {"RemoveFonts=sz:0", false}, {"RemoveFonts=dword:0", false}, {"RemoveFonts=sz:abc", true},
        {"RemoveFonts=sz:1", true},  {"RemoveFonts=dword:7", true},  {"RemoveFonts=sz:", true},
        {"RemoveFonts=sz: 0", true},
    };
    for (const auto& c : cases) {
        WriteRaw(std::string("[Settings]\n") + c.stored + "\n");
        TSettingsStore store(path_);
        EXPECT_EQ(store.ReadBool("Settings", "RemoveFonts", true), c.expected) << c.stored;
    }
}

TEST_F(SettingsStoreTest, WritesRoundTripEveryByteAndKeepTheTypes) {
    TSettingsStore store(path_);
    const std::string awkward = std::string("a\\b=c\r\nd\0e[f]", 14);
    store.WriteString("Settings", "OutFolder", awkward);
    store.WriteBool("Settings", "RemoveFonts", false);
    store.WriteInteger("Form1FormState", "Left", -120);
    TSettingsStore again(path_);
    EXPECT_EQ(again.ReadString("Settings", "OutFolder", ""), awkward);
    EXPECT_EQ(again.TypeOf("Settings", "RemoveFonts"), TSettingsStore::ValueType::String);
    EXPECT_EQ(again.ReadString("Settings", "RemoveFonts", ""), "0");
    EXPECT_EQ(again.TypeOf("Form1FormState", "Left"), TSettingsStore::ValueType::Integer);
    EXPECT_EQ(again.ReadInteger("Form1FormState", "Left", 0), -120);
}

TEST_F(SettingsStoreTest, IntegerWrittenOverAStringKeepsTheStringType) {
    WriteRaw("[Form1FormState]\nLeft=sz:120\n");
    TSettingsStore store(path_);
    EXPECT_EQ(store.ReadInteger("Form1FormState", "Left", 0), 120);
    store.WriteInteger("Form1FormState", "Left", 130);
    EXPECT_EQ(store.TypeOf("Form1FormState", "Left"), TSettingsStore::ValueType::String);
    EXPECT_EQ(store.ReadString("Form1FormState", "Left", ""), "130");
}

TEST_F(SettingsStoreTest, ReadingAnIntegerAsStringIsATypeError) {
    WriteRaw("[Settings]\nOutFolder=dword:5\n");
    TSettingsStore store(path_);
    try {
        store.ReadString("Settings", "OutFolder", "");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'OutFolder'");
    }
}

TEST_F(SettingsStoreTest, ReadsSeeOtherWritersAtOnce) {
    TSettingsStore a(path_), b(path_);
    a.WriteString("Settings", "LT5Bible", "/x");
    EXPECT_EQ(b.ReadString("Settings", "LT5Bible", ""), "/x");
    EXPECT_TRUE(b.DeleteValue("Settings", "LT5Bible"));
    EXPECT_FALSE(a.ValueExists("Settings", "LT5Bible"));
    EXPECT_FALSE(a.DeleteValue("Settings", "LT5Bible"));
}

TEST_F(SettingsStoreTest, DamagedFileReadsAsDefaultsWarnsOnceAndIsKept) {
    WriteRaw("[Settings]\nOutFolder=sz:/kept\ngarbage line\n");
    TSettingsStore store(path_);
    int warnings = 0;
    std::string warning;
    store.SetWarningHandler([&](const std::string& w) {
        ++warnings;
        warning = w;
    });
    EXPECT_EQ(store.ReadString("Settings", "OutFolder", "dflt"), "dflt");
    EXPECT_EQ(store.ReadString("Settings", "OutFolder", "dflt"), "dflt");
    EXPECT_EQ(warnings, 1);
    EXPECT_NE(warning.find("damaged (line 3)"), std::string::npos) << warning;
    store.WriteString("Settings", "OutFolder", "/new");
    EXPECT_EQ(store.ReadString("Settings", "OutFolder", ""), "/new");
    std::ifstream kept(path_ + ".damaged");
    EXPECT_TRUE(kept.good());
}

TEST_F(SettingsStoreTest, UnwritableLocationFailsWithTheMessage) {
    WriteRaw("");
    // A folder where the store wants a file cannot be replaced.
    std::filesystem::create_directories(dir_ / "blocked" / "settings.ini" / "x");
    TSettingsStore store((dir_ / "blocked" / "settings.ini").string());
    try {
        store.WriteString("Settings", "OutFolder", "/x");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'OutFolder'");
    }
}

TEST(SpecialFoldersTest, DocumentsFolderFollowsXdgAndHome) {
    const char* oldHome = getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("XDG_DOCUMENTS_DIR", "/somewhere/docs", 1);
    EXPECT_EQ(SpecialFolderPath(kCsidlPersonal), "/somewhere/docs");
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("XDG_CONFIG_HOME", "/nonexistent-config", 1);
    setenv("HOME", "/home/reader", 1);
    EXPECT_EQ(SpecialFolderPath(kCsidlPersonal), "/home/reader/Documents");
    unsetenv("HOME");
    EXPECT_EQ(SpecialFolderPath(kCsidlPersonal), "");
    unsetenv("XDG_CONFIG_HOME");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(SpecialFolderPath(12345), "");
}

TEST(VersionTest, IsTheReleaseVersion) { EXPECT_EQ(VersionString(), "1.2.1.15"); }

}  // namespace
}  // namespace tovra
