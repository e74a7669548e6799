#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "platform/error.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

namespace fs = std::filesystem;
using test_support::FilesIn;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

class AtomicFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir_ / name; }

    // The message of the Error `write` throws, "" when it throws none.
    template <typename F>
    static std::string ErrorOf(F write) {
        try {
            write();
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    }

    TempFolder dir_;
};

TEST_F(AtomicFileTest, CreatesOrReplacesWholeAndLeavesNothingElse) {
    const std::string target = Path("out.txt");
    WriteFileAtomically(target, std::string("first\0with a zero byte", 22));
    EXPECT_EQ(ReadFile(target), std::string("first\0with a zero byte", 22));
    WriteFileAtomically(target, "short");
    EXPECT_EQ(ReadFile(target), "short");
    WriteFileAtomically(target, "");
    EXPECT_EQ(ReadFile(target), "");
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::string>{"out.txt"});
}

TEST_F(AtomicFileTest, NewFileGetsThePermissionsOfTheUmask) {
    for (mode_t mask : {mode_t{022}, mode_t{077}, mode_t{0}}) {
        const mode_t saved = umask(mask);
        WriteFileAtomically(Path("mode.txt"), "x");
        umask(saved);
        struct stat st;
        ASSERT_EQ(stat(Path("mode.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
}

TEST_F(AtomicFileTest, TargetStaysOldUntilCommitAndAnUncommittedFileLeavesNoTrace) {
    const std::string target = Path("keep.txt");
    WriteFile(target, "old");
    {
        TAtomicFile file(target);
        EXPECT_EQ(ReadFile(target), "old");
        const std::vector<std::string> names = FilesIn(dir_.path());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0].rfind(".keep.txt.", 0), 0u) << names[0];
    }
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::string>{"keep.txt"});
}

TEST_F(AtomicFileTest, TemporaryFileFilledByNameReplacesTheTarget) {
    const std::string target = Path("db.sqlite");
    WriteFile(target, "old");
    {
        TAtomicFile file(target);
        EXPECT_EQ(ReadFile(file.TemporaryPath()), "");
        WriteFile(file.TemporaryPath(), "written by name");
        EXPECT_EQ(ReadFile(target), "old");
        file.Commit();
    }
    EXPECT_EQ(ReadFile(target), "written by name");
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::string>{"db.sqlite"});
}

TEST_F(AtomicFileTest, MissingFolderFailsWithTheCreateMessage) {
    const std::string target = Path("missing/out.txt");
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(target, "x"); }),
              "Cannot create file \"" + target + "\". No such file or directory");
    EXPECT_TRUE(FilesIn(dir_.path()).empty());
}

TEST_F(AtomicFileTest, FailedRenameKeepsTheTargetAndRemovesTheTemporaryFile) {
    // A non-empty folder of the target's name cannot be replaced by a file.
    const std::string target = Path("out.txt");
    fs::create_directory(target);
    WriteFile(target + "/keep", "x");
    const std::string message = ErrorOf([&] { WriteFileAtomically(target, "new content"); });
    EXPECT_EQ(message.rfind("Cannot create file \"" + target + "\". ", 0), 0u) << message;
    EXPECT_EQ(ReadFile(target + "/keep"), "x");
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::string>{"out.txt"});
}

TEST_F(AtomicFileTest, FailedWriteKeepsTheTargetAndRemovesTheTemporaryFile) {
    // A file size limit makes the write fail the way a full disk does.
    const std::string target = Path("out.txt");
    WriteFile(target, "old");
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limit = saved;
    limit.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string message = ErrorOf([&] { WriteFileAtomically(target, std::string(10000, 'x')); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Failed to write file \"" + target + "\". File too large");
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::string>{"out.txt"});
}

TEST_F(AtomicFileTest, SymbolicLinkIsReplacedAndItsTargetKept) {
    const std::string real = Path("real.txt");
    const std::string link = Path("link.txt");
    WriteFile(real, "real");
    fs::create_symlink(real, link);
    WriteFileAtomically(link, "new");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(link), "new");
    EXPECT_EQ(ReadFile(real), "real");
}

}  // namespace
}  // namespace tovra
