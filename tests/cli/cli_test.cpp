// The command line front end, run as a separate process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "support/databases.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::Database;
using test_support::ReadFile;
using test_support::TempFolder;

struct Result {
    int status = -1;
    std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
    // Runs tovra-cli with its own empty settings folder.
    Result Run(const std::string& args) {
        const std::string cmd = "XDG_CONFIG_HOME='" + config_.path() + "' '" TOVRA_CLI "' " + args +
                                " >'" + home_ / "out" + "' 2>'" + home_ / "err" + "'";
        int raw = std::system(cmd.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = ReadFile(home_ / "out");
        r.err = ReadFile(home_ / "err");
        return r;
    }
    TempFolder config_, home_, out_;
};

TEST_F(CliTest, ExitStatusTellsHowTheRunEnded) {
    const std::string dict = Database("dict-lowercase.dct");
    const std::string bad = Database("not-access.top");
    Result ok = Run("--out '" + out_.path() + "' '" + dict + "'");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.out.find("Writing entries to \"" + out_.path() + "/dict-lowercase_loom.txt\"\n\n"
                          "========================\nDone.\n"),
              std::string::npos)
        << ok.out;
    EXPECT_TRUE(std::filesystem::exists(out_ / "dict-lowercase_loom.txt"));

    Result some = Run("--out '" + out_.path() + "' '" + bad + "' '" + dict + "'");
    EXPECT_EQ(some.status, 1);

    Result broken = Run("--out '" + out_ / "missing" + "' '" + dict + "'");
    EXPECT_EQ(broken.status, 2);
    EXPECT_EQ(broken.err, "Cannot create file \"" + out_.path() + "/missing/dict-lowercase_loom.txt\". No such file or directory.\n");
    EXPECT_EQ(broken.out.find("Done."), std::string::npos);
    // The settings store was never written.
    EXPECT_TRUE(std::filesystem::is_empty(config_.path()));
}

TEST_F(CliTest, UsageErrorsAndHelp) {
    struct Case {
        const char* args;
        int status;
        const char* text;
    } cases[] = {
        {"", 2, "no input file given"},
        {"--bogus x.dct", 2, "unknown option '--bogus'"},
        {"--out", 2, "option --out needs a value"},
        {"--help", 0, "Exit status"},
        {"--help", 0, "(.bblx, .cmtx, .dctx, .topx, .notx)"},
    };
    for (const auto& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE((r.out + r.err).find(c.text), std::string::npos) << c.args << ": " << r.out << r.err;
    }
}

TEST_F(CliTest, SqliteModulesConvertUnderTheirNamesWithoutExtension) {
    const std::string notes = Database("notes.notx");
    const std::string encrypted = Database("encrypted-license.bblx");
    Result r = Run("--out '" + out_.path() + "' '" + notes + "' '" + encrypted + "'");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("Extracting entries from VERSE NOTES.\nConverting RTF to HTML...\nWriting entries to \"" +
                         out_.path() + "/notes_loom.txt\"\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("FAILED TO OPEN DATABASE: \"The module '" + encrypted +
                         "' is encrypted and cannot be converted.\"\n"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(std::filesystem::exists(out_ / "notes_loom.txt"));
    EXPECT_FALSE(std::filesystem::exists(out_ / "encrypted-license_loom.txt"));
}

TEST_F(CliTest, ModuleThatCannotLoadStopsBeforeTheRun) {
    Result r = Run("--module '" + home_ / "none.lt5bible" + "' '" + Database("dict-lowercase.dct") + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, home_ / "none.lt5bible" + " does not exist.\n");
    EXPECT_EQ(r.out, "");
    test_support::WriteFile(home_ / "bad.lt5bible", std::string(700, 'x'));
    r = Run("--module '" + home_ / "bad.lt5bible" + "' '" + Database("dict-lowercase.dct") + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("Invalid Bible module file header (", 0), 0u) << r.err;
}

TEST_F(CliTest, StoredSettingsFillWhatOptionsLeaveOpen) {
    std::filesystem::create_directories(config_ / "tovra");
    test_support::WriteFile(config_ / "tovra/settings.ini", "[Settings]\nOutFolder=sz:" + out_.path() + "\n");
    Result r = Run("'" + Database("dict-lowercase.dct") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(out_ / "dict-lowercase_loom.txt"));
}

}  // namespace
}  // namespace tovra
