#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <boost/json/parse.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/ProfileLock.h"

using namespace busdesk;
namespace fs = std::filesystem;

namespace {

class PreferencesTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-prefs-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/settings.json";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string readDisk() const {
        std::ifstream in(file_);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void writeDisk(const std::string& text) const {
        std::ofstream out(file_, std::ios::binary);
        out << text;
    }
    std::string dir_;
    std::string file_;
};

}  // namespace

TEST_F(PreferencesTest, ValuesSurviveANewStoreOnTheSameFile) {
    {
        Preferences p(file_);
        EXPECT_TRUE(p.setObject("zt_username", "10086"));
        EXPECT_TRUE(p.setObject("count", 3));
        EXPECT_TRUE(p.setObject("ReadNews", boost::json::object{{"17", "1"}}));
    }
    Preferences again(file_);
    EXPECT_EQ(again.objectForKey("zt_username"), boost::json::value("10086"));
    EXPECT_EQ(again.objectForKey("count"), boost::json::value(3));
    EXPECT_EQ(again.objectForKey("ReadNews"), boost::json::value(boost::json::object{{"17", "1"}}));
    // The file is a plain JSON object of the keys, private to the user.
    EXPECT_TRUE(boost::json::parse(readDisk()).is_object());
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PreferencesTest, AbsentKeyIsNothingNotEmptyText) {
    Preferences p(file_);
    EXPECT_EQ(p.objectForKey("never"), std::nullopt);
    EXPECT_TRUE(p.setObject("empty", ""));
    EXPECT_EQ(p.objectForKey("empty"), boost::json::value(""));
    // Removing a key that was never there neither fails nor creates a file.
    EXPECT_TRUE(p.removeObject("never"));
    EXPECT_EQ(p.objectForKey("never"), std::nullopt);
}

TEST_F(PreferencesTest, RemovalReachesTheDiskAtOnce) {
    Preferences p(file_);
    p.setObject("zt_password", "secret");
    p.setObject("zt_username", "10086");
    EXPECT_TRUE(p.removeObject("zt_password"));
    // Read the file itself, not the store's memory: a crash now must not bring the password back.
    auto onDisk = boost::json::parse(readDisk()).as_object();
    EXPECT_FALSE(onDisk.contains("zt_password"));
    EXPECT_EQ(onDisk.at("zt_username"), "10086");
    Preferences again(file_);
    EXPECT_EQ(again.objectForKey("zt_password"), std::nullopt);
}

TEST_F(PreferencesTest, DamagedFileIsMovedAsideWithOneLogLineAndStoreStartsEmpty) {
    int copy = 0;
    for (const std::string& garbage : {std::string("{\"zt_username\": \"100"), std::string("[1,2]"),
                                       std::string(""), std::string("\xFF\xFE")}) {
        writeDisk(garbage);
        std::vector<std::string> lines;
        auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
        Preferences p(file_);
        Log::setSink(old);
        EXPECT_EQ(lines.size(), 1u) << garbage;
        EXPECT_TRUE(p.snapshot().empty());
        EXPECT_FALSE(fs::exists(file_));
        std::ifstream aside(file_ + ".corrupt-" + std::to_string(++copy));
        std::stringstream ss;
        ss << aside.rdbuf();
        EXPECT_EQ(ss.str(), garbage);
        // The store still works, and writes a fresh file.
        EXPECT_TRUE(p.setObject("k", "v"));
        EXPECT_EQ(Preferences(file_).objectForKey("k"), boost::json::value("v"));
        fs::remove(file_);
    }
}

TEST_F(PreferencesTest, EveryDamagedStartKeepsItsOwnCopyUpToTheLimit) {
    const int starts = static_cast<int>(Preferences::kMaxCorruptCopies) + 2;
    for (int i = 1; i <= starts; ++i) {
        writeDisk("{broken " + std::to_string(i));
        Preferences p(file_);
    }
    std::vector<std::string> copies;
    for (const auto& e : fs::directory_iterator(dir_)) copies.push_back(e.path().filename().string());
    std::sort(copies.begin(), copies.end());
    ASSERT_EQ(copies.size(), Preferences::kMaxCorruptCopies);
    // The newest are kept, each with the content of its own start.
    for (int i = starts - static_cast<int>(Preferences::kMaxCorruptCopies) + 1; i <= starts; ++i) {
        std::ifstream in(file_ + ".corrupt-" + std::to_string(i));
        std::stringstream ss;
        ss << in.rdbuf();
        EXPECT_EQ(ss.str(), "{broken " + std::to_string(i));
    }
}

TEST_F(PreferencesTest, DamagedFileIsNotOverwrittenWhenItCannotBeMovedAside) {
    // A name so long that no copy of it can be named: the rename fails, for root too.
    file_ = dir_ + "/settings" + std::string(240, 's') + ".json";
    writeDisk("{\"zt_username\":\"100");
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    Preferences p(file_);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_FALSE(p.setObject("k", "v"));
    EXPECT_EQ(p.objectForKey("k"), boost::json::value("v"));
    EXPECT_FALSE(p.removeObject("k"));
    Log::setSink(old);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(readDisk(), "{\"zt_username\":\"100");
}

TEST_F(PreferencesTest, AFileThatCannotBeReadIsLeftAloneAndSaidOnce) {
    // Reading a folder fails (EISDIR) without the file being damaged, as a permission or an I/O
    // error would.
    fs::create_directories(file_ + "/inside");
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    Preferences p(file_);
    EXPECT_TRUE(p.snapshot().empty());
    EXPECT_FALSE(p.setObject("k", "v"));
    EXPECT_FALSE(p.setObject("k2", "v2"));
    EXPECT_EQ(p.objectForKey("k2"), boost::json::value("v2"));
    Log::setSink(old);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(file_ + " is a folder"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("nothing is saved"), std::string::npos) << lines[0];
    EXPECT_TRUE(fs::is_directory(file_ + "/inside"));
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir_)) {
        ++entries;
        EXPECT_EQ(e.path().filename(), "settings.json");
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(PreferencesTest, ByteOrderMarkBeforeValidJSONIsNoDamage) {
    writeDisk("\xEF\xBB\xBF{\"zt_username\":\"10086\"}");
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    Preferences p(file_);
    Log::setSink(old);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(p.objectForKey("zt_username"), boost::json::value("10086"));
    EXPECT_TRUE(fs::exists(file_));
    EXPECT_FALSE(fs::exists(file_ + ".corrupt-1"));
}

TEST_F(PreferencesTest, SettingsThatCannotBeSavedAreSaidOnce) {
    // A file where the folder should be: nothing can be written there, for root too.
    std::ofstream(dir_ + "/blocker") << "x";
    Preferences p(dir_ + "/blocker/settings.json");
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    EXPECT_FALSE(p.setObject("a", 1));
    EXPECT_FALSE(p.setObject("b", 2));
    EXPECT_FALSE(p.removeObject("a"));
    Log::setSink(old);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("cannot save"), std::string::npos) << lines[0];
    EXPECT_EQ(p.objectForKey("b"), boost::json::value(2));
    // Once the folder can be made, saving works again.
    fs::remove(dir_ + "/blocker");
    EXPECT_TRUE(p.setObject("c", 3));
    EXPECT_EQ(Preferences(dir_ + "/blocker/settings.json").objectForKey("b"), boost::json::value(2));
}

TEST_F(PreferencesTest, StartClearsOnlyTheTemporariesItMade) {
    for (const char* name : {"settings.json.backup", "settings.json.orig12", "settings.json.corrupt"})
        std::ofstream(dir_ + "/" + name) << "keep";
    std::ofstream(dir_ + "/settings.json.busdesk-tmp-Ab12Cd") << "{\"half";
    writeDisk("{\"k\":1}");
    // Without the profile's lock the temporary may be another copy's, in the making.
    { Preferences keeps(file_, Preferences::Leftovers::Keep); }
    EXPECT_TRUE(fs::exists(dir_ + "/settings.json.busdesk-tmp-Ab12Cd"));
    Preferences p(file_, Preferences::Leftovers::Clear);
    EXPECT_EQ(p.objectForKey("k"), boost::json::value(1));
    EXPECT_FALSE(fs::exists(dir_ + "/settings.json.busdesk-tmp-Ab12Cd"));
    for (const char* name : {"settings.json.backup", "settings.json.orig12", "settings.json.corrupt"})
        EXPECT_TRUE(fs::exists(dir_ + "/" + name)) << name;
}

TEST_F(PreferencesTest, OnlyTheCopyHoldingTheProfileClearsLeftovers) {
    Paths::setProfileDir(dir_ + "/one");
    fs::create_directories(dir_ + "/one/config");
    const std::string leftover = dir_ + "/one/config/settings.json.busdesk-tmp-Zz99Yy";
    std::ofstream(leftover) << "{";
    Preferences::standard();
    EXPECT_TRUE(fs::exists(leftover));

    Paths::setProfileDir(dir_ + "/two");
    fs::create_directories(dir_ + "/two/config");
    std::ofstream(dir_ + "/two/config/settings.json.busdesk-tmp-Zz99Yy") << "{";
    ASSERT_EQ(ProfileLock::acquire(), ProfileLock::Result::Held);
    EXPECT_TRUE(ProfileLock::held());
    // Another open file of the lock, as a second process would have, finds it taken.
    const int other = ::open(ProfileLock::lockFilePath().c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    Preferences::standard();
    EXPECT_FALSE(fs::exists(dir_ + "/two/config/settings.json.busdesk-tmp-Zz99Yy"));
    ProfileLock::release();
    EXPECT_FALSE(ProfileLock::held());
    Paths::clearProfileDir();
}

// A named pipe would block the start for ever, a link to /dev/zero read without end, a 2 MB file
// be read whole: none of them can be settings of ours. Each is set aside like a damaged file (a
// link is moved, never what it leads to), with one line that says what stood there, and the store
// starts empty and saves a regular file again.
TEST_F(PreferencesTest, NonRegularOrOversizedFilesAreSetAsideWithoutWaitingOnThem) {
    struct Case {
        std::function<void()> make;
        std::string said;
    };
    const std::vector<Case> cases = {
        {[&] { ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0); }, "is a named pipe, not a regular file"},
        {[&] { fs::create_symlink("/dev/zero", file_); }, "is a character device, not a regular file"},
        {[&] { writeDisk("{\"k\":\"" + std::string(2 * 1024 * 1024, 'x') + "\"}"); },
         "is larger than 1.0 MB (2.1 MB)"},
    };
    int copy = 0;
    for (const auto& c : cases) {
        c.make();
        std::vector<std::string> lines;
        auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
        ::alarm(20);  // a store that blocks on the pipe ends the test here instead of hanging it
        Preferences p(file_);
        ::alarm(0);
        Log::setSink(old);
        ASSERT_EQ(lines.size(), 1u) << c.said;
        EXPECT_NE(lines[0].find(c.said), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("moved to " + file_ + ".corrupt-" + std::to_string(++copy)),
                  std::string::npos);
        EXPECT_TRUE(p.snapshot().empty());
        EXPECT_TRUE(p.setObject("k", "v"));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file_)));
        EXPECT_EQ(Preferences(file_).objectForKey("k"), boost::json::value("v"));
        fs::remove(file_);
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(file_ + ".corrupt-1")));
    EXPECT_EQ(fs::read_symlink(file_ + ".corrupt-2"), "/dev/zero");
}

TEST_F(PreferencesTest, AReadOnlyFileIsReadAndLeftAsItIsSaidOnce) {
    writeDisk("{\"zt_username\":\"10086\"}");
    ::chmod(file_.c_str(), 0400);
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    Preferences p(file_);
    EXPECT_EQ(p.objectForKey("zt_username"), boost::json::value("10086"));
    // Root could write it; the user's choice holds all the same.
    EXPECT_FALSE(p.setObject("time", "t"));
    EXPECT_FALSE(p.removeObject("zt_username"));
    EXPECT_EQ(p.objectForKey("time"), boost::json::value("t"));
    Log::setSink(old);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("read-only; settings will not be saved"), std::string::npos) << lines[0];
    EXPECT_EQ(readDisk(), "{\"zt_username\":\"10086\"}");
    EXPECT_EQ(fs::status(file_).permissions(), fs::perms::owner_read);
}

TEST_F(PreferencesTest, ALinkedFileIsFollowedAndItsTargetReplacedInItsOwnFolder) {
    fs::create_directories(dir_ + "/dotfiles");
    std::ofstream(dir_ + "/dotfiles/busdesk.json") << "{\"zt_username\":\"10086\"}";
    fs::create_directories(dir_ + "/config");
    const std::string link = dir_ + "/config/settings.json";
    fs::create_symlink("../dotfiles/busdesk.json", link);
    {
        Preferences p(link);
        EXPECT_EQ(p.objectForKey("zt_username"), boost::json::value("10086"));
        EXPECT_TRUE(p.setObject("time", "t"));
    }
    EXPECT_EQ(fs::read_symlink(link), "../dotfiles/busdesk.json");
    std::ifstream in(dir_ + "/dotfiles/busdesk.json");
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(boost::json::parse(ss.str()), boost::json::parse("{\"zt_username\":\"10086\",\"time\":\"t\"}"));
    EXPECT_EQ(Preferences(link).objectForKey("time"), boost::json::value("t"));
    // Nothing was left in either folder.
    for (const char* folder : {"/dotfiles", "/config"})
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ + folder), fs::directory_iterator()), 1)
            << folder;
}

TEST_F(PreferencesTest, StandardStoreFollowsTheProfileFolder) {
    Paths::setProfileDir(dir_ + "/profile/");
    EXPECT_EQ(Paths::configDir(), dir_ + "/profile/config");
    EXPECT_EQ(Paths::cacheDir(), dir_ + "/profile/cache");
    EXPECT_EQ(Paths::dataDir(), dir_ + "/profile/data");
    Preferences& a = Preferences::standard();
    EXPECT_EQ(a.filePath(), dir_ + "/profile/config/settings.json");
    a.setObject("time", "t");
    EXPECT_TRUE(fs::exists(dir_ + "/profile/config/settings.json"));
    Paths::setProfileDir(dir_ + "/other");
    Preferences& b = Preferences::standard();
    EXPECT_NE(&a, &b);
    EXPECT_EQ(b.objectForKey("time"), std::nullopt);
    Paths::setProfileDir(dir_ + "/profile");
    EXPECT_EQ(&Preferences::standard(), &a);
    Paths::clearProfileDir();
}

TEST(Paths, XdgVariablesAndHomeFallback) {
    Paths::clearProfileDir();
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    std::string saved = savedConfig ? savedConfig : "";
    ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
    EXPECT_EQ(Paths::configDir(), "/x/conf/busdesk");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", ::getenv("HOME") ? ::getenv("HOME") : "/root", 1);
    EXPECT_EQ(Paths::configDir(), std::string(::getenv("HOME")) + "/.config/busdesk");
    if (savedConfig) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

namespace {

// The child's whole life: rewrite one record again and again, acknowledging each completed
// write with one byte on the pipe. The record carries its own check (payload derived from n),
// so a torn or mixed file cannot pass for a good one.
[[noreturn]] void writeForever(const std::string& file, int ackFd) {
    Preferences p(file);
    for (int n = 0; n < 100000; ++n) {
        boost::json::object record;
        record["n"] = n;
        record["payload"] =
            std::string(64 * 1024 + static_cast<std::size_t>(n % 97), static_cast<char>('a' + n % 26));
        p.setObject("record", std::move(record));
        char ack = 1;
        if (::write(ackFd, &ack, 1) != 1) ::_exit(2);
    }
    ::_exit(0);
}

bool recordIsWhole(const boost::json::value& v, std::int64_t& n) {
    if (!v.is_object() || !v.as_object().contains("n") || !v.as_object().contains("payload")) return false;
    n = v.at("n").as_int64();
    const auto& payload = v.at("payload").as_string();
    if (payload.size() != 64 * 1024 + static_cast<std::size_t>(n % 97)) return false;
    return std::all_of(payload.begin(), payload.end(), [&](char c) { return c == 'a' + n % 26; });
}

}  // namespace

TEST_F(PreferencesTest, KilledWriterLeavesOldOrNewContentNeverABrokenFile) {
    {
        Preferences before(file_);
        before.setObject("record",
                         boost::json::object{{"n", -1}, {"payload", std::string(64 * 1024 + 96, 'y')}});
    }
    for (int killAfter : {1, 3, 8, 20}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            writeForever(file_, fds[1]);
        }
        ::close(fds[1]);
        // Wait (blocking read, no sleeping) for the child to have finished some writes, then kill
        // it wherever it is -- most likely inside the next write.
        int acks = 0;
        char buffer[256];
        while (acks < killAfter) {
            ssize_t got = ::read(fds[0], buffer, 1);
            ASSERT_EQ(got, 1);
            ++acks;
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;) acks += static_cast<int>(got);
        ::close(fds[0]);

        // The file on disk is whole and is either the last acknowledged write or the one after.
        boost::system::error_code ec;
        auto onDisk = boost::json::parse(readDisk(), ec);
        ASSERT_FALSE(ec) << "after " << acks << " writes";
        std::int64_t n = -2;
        ASSERT_TRUE(recordIsWhole(onDisk.at("record"), n));
        EXPECT_TRUE(n == acks - 1 || n == acks) << "n=" << n << " acks=" << acks;

        // A restart reads it back and clears the orphaned temporary the kill may have left.
        Preferences after(file_, Preferences::Leftovers::Clear);
        auto record = after.objectForKey("record");
        ASSERT_TRUE(record);
        std::int64_t again = -2;
        EXPECT_TRUE(recordIsWhole(*record, again));
        EXPECT_EQ(again, n);
        int entries = 0;
        for (const auto& e : fs::directory_iterator(dir_)) {
            ++entries;
            EXPECT_EQ(e.path().filename(), "settings.json");
        }
        EXPECT_EQ(entries, 1);
    }
}
