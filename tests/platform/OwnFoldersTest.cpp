#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/AtomicFile.h"
#include "platform/LogFile.h"
#include "platform/Paths.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class OwnFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-own-folders-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        Paths::clearProfileDir();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static int mode(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    }
    static std::string contents(const std::string& path) {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string dir_;
};

// The files of ours hold names and card numbers: 0600 and 0700 whatever the umask, and a folder
// of ours that an earlier version left open is closed. What lies above our folders is the user's.
TEST_F(OwnFolderTest, FilesAre0600AndOurFoldersAre0700UnderAWideUmask) {
    const mode_t before = ::umask(022);
    Paths::setProfileDir(dir_ + "/profile");
    fs::create_directories(dir_ + "/profile/cache");
    ::chmod((dir_ + "/profile").c_str(), 0755);
    ::chmod((dir_ + "/profile/cache").c_str(), 0755);
    const std::string picture = Paths::cacheDir() + "/images/0123";
    EXPECT_EQ(atomic_file::replace(picture, "bytes"), 0);
    EXPECT_EQ(contents(picture), "bytes");
    EXPECT_EQ(mode(picture), 0600);
    EXPECT_EQ(mode(Paths::cacheDir() + "/images"), 0700);
    EXPECT_EQ(mode(Paths::cacheDir()), 0700);
    EXPECT_EQ(mode(dir_ + "/profile"), 0755);
    // Nothing is left beside the picture.
    EXPECT_EQ(std::distance(fs::directory_iterator(Paths::cacheDir() + "/images"), fs::directory_iterator()),
              1);

    fs::create_directories(Paths::dataDir());
    ::chmod(Paths::dataDir().c_str(), 0775);
    Paths::tightenOwnFolders();
    EXPECT_EQ(mode(Paths::dataDir()), 0700);

    LogFile log(Paths::stateDir() + "/console.log");
    ASSERT_TRUE(log.open());
    log.writeLine("x");
    EXPECT_EQ(mode(Paths::stateDir()), 0700);
    EXPECT_EQ(mode(log.path()), 0600);
    ::umask(before);
}

TEST_F(OwnFolderTest, TheLogIsRotatedKeepingThreeOldFiles) {
    const std::string path = dir_ + "/console.log";
    std::ofstream(path) << "old line\n";
    ::chmod(path.c_str(), 0644);
    LogFile log(path, 20, 3);
    ASSERT_TRUE(log.open());
    EXPECT_EQ(mode(path), 0600) << "an existing log is closed to others";
    // Each line is 10 bytes with its line break: two fit in one file.
    for (int i = 0; i < 10; ++i) log.writeLine("line " + std::to_string(i) + "...");
    EXPECT_EQ(contents(path), "line 9...\n");
    EXPECT_EQ(contents(path + ".1"), "line 7...\nline 8...\n");
    EXPECT_EQ(contents(path + ".2"), "line 5...\nline 6...\n");
    EXPECT_EQ(contents(path + ".3"), "line 3...\nline 4...\n");
    EXPECT_FALSE(fs::exists(path + ".4"));
    for (const char* suffix : {"", ".1", ".2", ".3"}) EXPECT_EQ(mode(path + suffix), 0600) << suffix;

    // Something other than a file in the log's place is not written to.
    ASSERT_EQ(::mkfifo((dir_ + "/pipe.log").c_str(), 0600), 0);
    EXPECT_FALSE(LogFile(dir_ + "/pipe.log").open());
}

}  // namespace
}  // namespace busdesk
