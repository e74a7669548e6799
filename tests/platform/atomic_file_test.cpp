#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/error.h"

namespace tovra {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tovra-atomic-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir_ = buffer.data();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
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

    fs::path dir_;
};

TEST_F(AtomicFileTest, CreatesOrReplacesWholeAndLeavesNothingElse) {
    const std::string target = Path("out.txt");
    WriteFileAtomically(target, std::string("first\0with a zero byte", 22));
    EXPECT_EQ(Read(target), std::string("first\0with a zero byte", 22));
    WriteFileAtomically(target, "short");
    EXPECT_EQ(Read(target), "short");
    WriteFileAtomically(target, "");
    EXPECT_EQ(Read(target), "");
    EXPECT_EQ(Names(), std::vector<std::string>{"out.txt"});
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
    Write(target, "old");
    {
        TAtomicFile file(target);
        EXPECT_EQ(Read(target), "old");
        const std::vector<std::string> names = Names();
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0].rfind(".keep.txt.", 0), 0u) << names[0];
    }
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"keep.txt"});
}

TEST_F(AtomicFileTest, TemporaryFileFilledByNameReplacesTheTarget) {
    const std::string target = Path("db.sqlite");
    Write(target, "old");
    {
        TAtomicFile file(target);
        EXPECT_EQ(Read(file.TemporaryPath()), "");
        Write(file.TemporaryPath(), "written by name");
        EXPECT_EQ(Read(target), "old");
        file.Commit();
    }
    EXPECT_EQ(Read(target), "written by name");
    EXPECT_EQ(Names(), std::vector<std::string>{"db.sqlite"});
}

TEST_F(AtomicFileTest, MissingFolderFailsWithTheCreateMessage) {
    const std::string target = Path("missing/out.txt");
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(target, "x"); }),
              "Cannot create file \"" + target + "\". No such file or directory");
    EXPECT_TRUE(Names().empty());
}

TEST_F(AtomicFileTest, FailedRenameKeepsTheTargetAndRemovesTheTemporaryFile) {
    // A non-empty folder of the target's name cannot be replaced by a file.
    const std::string target = Path("out.txt");
    fs::create_directory(target);
    Write(target + "/keep", "x");
    const std::string message = ErrorOf([&] { WriteFileAtomically(target, "new content"); });
    EXPECT_EQ(message.rfind("Cannot create file \"" + target + "\". ", 0), 0u) << message;
    EXPECT_EQ(Read(target + "/keep"), "x");
    EXPECT_EQ(Names(), std::vector<std::string>{"out.txt"});
}

TEST_F(AtomicFileTest, FailedWriteKeepsTheTargetAndRemovesTheTemporaryFile) {
    // A file size limit makes the write fail the way a full disk does.
    const std::string target = Path("out.txt");
    Write(target, "old");
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
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"out.txt"});
}

TEST_F(AtomicFileTest, SymbolicLinkIsReplacedAndItsTargetKept) {
    const std::string real = Path("real.txt");
    const std::string link = Path("link.txt");
    Write(real, "real");
    fs::create_symlink(real, link);
    WriteFileAtomically(link, "new");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(Read(link), "new");
    EXPECT_EQ(Read(real), "real");
}

}  // namespace
}  // namespace tovra
