#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/OwnFiles.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class OwnFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-own-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string dir_;
};

TEST_F(OwnFilesTest, OnlyARegularFileWithinTheLimitIsRead) {
    const std::string file = dir_ + "/f";
    std::ofstream(file) << "0123456789";
    ::chmod(file.c_str(), 0640);
    auto read = readOwnFile(file, 10);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, "0123456789");
    EXPECT_EQ(read.mode, 0640u);
    read = readOwnFile(file, 9);
    EXPECT_EQ(read.status, FileContents::Status::TooLarge);
    EXPECT_TRUE(read.bytes.empty());
    EXPECT_EQ(read.problem(9), "is larger than 9 B (10 B)");

    EXPECT_EQ(readOwnFile(dir_ + "/none", 10).status, FileContents::Status::Missing);
    EXPECT_EQ(readOwnFile(file + "/below", 10).status, FileContents::Status::Missing);
    EXPECT_EQ(readOwnFile(dir_, 10).status, FileContents::Status::Folder);
}

// A named pipe with no writer would block a plain open for ever; /dev/zero never ends; a file in
// /proc tells no size. None may hang the caller or be read past the limit.
TEST_F(OwnFilesTest, PipesDevicesAndFilesWithoutASizeNeverBlockOrOverflow) {
    ASSERT_EQ(::mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
    ::alarm(20);  // a read that blocks on the pipe ends the test here instead of hanging it
    auto read = readOwnFile(dir_ + "/pipe", 10);
    ::alarm(0);
    EXPECT_EQ(read.status, FileContents::Status::NotRegular);
    EXPECT_EQ(read.problem(10), "is a named pipe, not a regular file");
    fs::create_symlink("/dev/zero", dir_ + "/zero");
    read = readOwnFile(dir_ + "/zero", 10);
    EXPECT_EQ(read.status, FileContents::Status::NotRegular);
    EXPECT_EQ(read.problem(10), "is a character device, not a regular file");
    read = readOwnFile("/proc/self/status", 16);
    EXPECT_EQ(read.status, FileContents::Status::TooLarge);
    EXPECT_EQ(read.size, 17u);
}

TEST_F(OwnFilesTest, ALinkIsFollowedOrRefusedAsTheCallerSays) {
    const std::string file = dir_ + "/f";
    std::ofstream(file) << "x";
    fs::create_symlink(file, dir_ + "/link");
    EXPECT_TRUE(readOwnFile(dir_ + "/link", 10, Links::Follow).ok());
    auto read = readOwnFile(dir_ + "/link", 10, Links::Refuse);
    EXPECT_EQ(read.status, FileContents::Status::NotRegular);
    EXPECT_EQ(read.problem(10), "is a symbolic link, not a regular file");
    fs::create_symlink("loop", dir_ + "/loop");
    EXPECT_EQ(readOwnFile(dir_ + "/loop", 10).status, FileContents::Status::NotRegular);
}

}  // namespace
}  // namespace busdesk
