#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Image.h"
#include "services/OutboxStore.h"

namespace busdesk::test {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

unsigned modeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
}

class OutboxStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("busdesk-outbox-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string photoFile(const std::string& name, const std::string& bytes) {
        auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    FeedbackSubmissionState submission(std::vector<std::string> files) {
        FeedbackSubmissionState s;
        s.text = "前门关不上\n第二行";
        s.kind = "投诉";
        for (auto& f : files) {
            FeedbackPhoto p;
            p.file = std::move(f);
            s.photos.push_back(std::move(p));
        }
        return s;
    }
    OutboxStore store() const { return OutboxStore((dir_ / "outbox").string()); }
    std::vector<std::string> namesIn(const fs::path& folder) const {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

TEST_F(OutboxStoreTest, AKeptSubmissionHoldsCopiesOfItsPhotosPrivatelyAndReadsBackWhole) {
    auto s = submission({photoFile("a.jpg", "first photo"), photoFile("b.png", std::string(5000, 'b'))});
    FeedbackPhoto inline_;
    inline_.bytes = "encoded bytes";
    s.photos.push_back(inline_);
    auto put = store().put("E10086", s, 1700000000);
    ASSERT_TRUE(put.entry) << put.error;
    const auto& entry = *put.entry;
    EXPECT_EQ(entry.state.idempotencyKey, entry.id);
    EXPECT_EQ(entry.state.empID, "E10086");

    // The originals may go: the entry has its own copies.
    fs::remove(dir_ / "a.jpg");
    fs::remove(dir_ / "b.png");
    EXPECT_EQ(modeOf(store().userDir("E10086")), 0700u);
    EXPECT_EQ(modeOf(entry.dir), 0700u);
    ASSERT_EQ(entry.state.photos.size(), 3u);
    EXPECT_EQ(readAll(entry.state.photos[0].file), "first photo");
    EXPECT_EQ(readAll(entry.state.photos[1].file), std::string(5000, 'b'));
    EXPECT_EQ(readAll(entry.state.photos[2].file), "encoded bytes");
    for (const auto& p : entry.state.photos) {
        EXPECT_EQ(modeOf(p.file), 0600u);
        EXPECT_TRUE(p.bytes.empty());
        EXPECT_FALSE(p.fileName.empty());
    }
    EXPECT_EQ(modeOf(fs::path(entry.dir) / "entry.json"), 0600u);

    auto listing = store().list("E10086", true);
    ASSERT_EQ(listing.entries.size(), 1u);
    const auto& back = listing.entries[0];
    EXPECT_EQ(back.id, entry.id);
    EXPECT_EQ(back.created, 1700000000);
    EXPECT_EQ(back.state.text, s.text);
    EXPECT_EQ(back.state.kind, "投诉");
    ASSERT_EQ(back.state.photos.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.state.photos[i].file, entry.state.photos[i].file);
        EXPECT_EQ(back.state.photos[i].fileName, entry.state.photos[i].fileName);
    }
    EXPECT_TRUE(listing.damaged.empty());
}

TEST_F(OutboxStoreTest, RecordedStepsReadBackAndRemovingLeavesNothing) {
    auto put = store().put("E1", submission({photoFile("a.jpg", "x"), photoFile("b.jpg", "y")}), 5);
    ASSERT_TRUE(put.entry);
    auto entry = *put.entry;
    entry.state.identifier = "57";
    entry.state.textStatus = {FeedbackOutcome::Succeeded, ""};
    entry.state.photos[0].status = {FeedbackOutcome::Succeeded, ""};
    entry.state.photos[1].status = {FeedbackOutcome::Refused, "The photo cannot be read."};
    ASSERT_TRUE(store().record(entry));

    auto back = OutboxStore::reload(entry);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->state.identifier, "57");
    EXPECT_EQ(back->state.textStatus.outcome, FeedbackOutcome::Succeeded);
    EXPECT_TRUE(back->state.photos[0].stored());
    EXPECT_EQ(back->state.photos[1].status.outcome, FeedbackOutcome::Refused);
    EXPECT_EQ(back->state.photos[1].status.reason, "The photo cannot be read.");
    EXPECT_EQ(back->state.idempotencyKey, entry.id);

    ASSERT_TRUE(store().remove(entry));
    EXPECT_TRUE(namesIn(store().userDir("E1")).empty());
    EXPECT_TRUE(store().list("E1", true).entries.empty());
}

TEST_F(OutboxStoreTest, EveryUserSeesOnlyTheirOwnSubmissionsInOrderOfMaking) {
    ASSERT_TRUE(store().put("E1", submission({}), 30).entry);
    ASSERT_TRUE(store().put("E2", submission({}), 10).entry);
    ASSERT_TRUE(store().put("E1", submission({}), 20).entry);
    // Identifiers that would be paths or empty are still one folder each.
    ASSERT_TRUE(store().put("../E1", submission({}), 40).entry);
    ASSERT_TRUE(store().put("", submission({}), 50).entry);

    auto mine = store().list("E1", true).entries;
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].created, 20);
    EXPECT_EQ(mine[1].created, 30);
    EXPECT_EQ(store().list("E2", true).entries.size(), 1u);
    EXPECT_EQ(store().list("../E1", true).entries.size(), 1u);
    EXPECT_EQ(store().list("", true).entries.size(), 1u);
    EXPECT_TRUE(store().list("E3", true).entries.empty());
    for (const auto& name : namesIn(dir_ / "outbox")) EXPECT_EQ(name.find('.'), std::string::npos) << name;
}

TEST_F(OutboxStoreTest, APhotoThatCannotBeReadFailsAloneAndTheRestIsKept) {
    ASSERT_EQ(::mkfifo((dir_ / "pipe.jpg").c_str(), 0600), 0);  // never waited on
    auto s =
        submission({photoFile("ok.jpg", "x"), (dir_ / "gone.jpg").string(), (dir_ / "pipe.jpg").string()});
    auto put = store().put("E1", s, 1);
    ASSERT_TRUE(put.entry) << put.error;
    const auto& photos = put.entry->state.photos;
    ASSERT_EQ(photos.size(), 3u);
    EXPECT_EQ(readAll(photos[0].file), "x");
    EXPECT_EQ(photos[0].status.outcome, std::nullopt);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_TRUE(photos[i].file.empty());
        EXPECT_EQ(photos[i].status.outcome, FeedbackOutcome::Refused);
        EXPECT_FALSE(photos[i].status.reason.empty());
    }
    auto back = OutboxStore::reload(*put.entry);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->state.photos[1].file.empty());
    EXPECT_EQ(back->state.photos[2].status.outcome, FeedbackOutcome::Refused);
}

TEST_F(OutboxStoreTest, AFullDiskRefusesTheSubmissionWithAClearMessageAndLeavesNothingHalfWritten) {
    const std::string big = photoFile("big.jpg", std::string(256 * 1024, 'p'));
    ASSERT_TRUE(fs::create_directories(store().userDir("E1")));
    // A file size limit makes the copy fail with EFBIG half-way, as a full disk fails it with ENOSPC.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    auto put = store().put("E1", submission({big}), 1);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(put.entry);
    EXPECT_NE(put.error.find("存储空间不足"), std::string::npos) << put.error;
    EXPECT_TRUE(namesIn(store().userDir("E1")).empty());
    EXPECT_EQ(readAll(big).size(), 256u * 1024);  // the user's photo untouched
}

TEST_F(OutboxStoreTest, ADamagedEntryIsSetAsideOnceAndNeverBlocksTheOthers) {
    auto good = store().put("E1", submission({}), 1);
    auto bad = store().put("E1", submission({}), 2);
    auto hostile = store().put("E1", submission({}), 3);
    ASSERT_TRUE(good.entry && bad.entry && hostile.entry);
    std::ofstream(fs::path(bad.entry->dir) / "entry.json", std::ios::trunc) << "{\"version\":1,\"id\":";
    // A photo name leading out of the entry's folder is damage, not a path to follow.
    auto text = OutboxStore::encode(*hostile.entry);
    auto withPhoto =
        text.substr(0, text.size() - 3) + R"([{"file":"../../x","fileName":"a","status":null}]})";
    std::ofstream(fs::path(hostile.entry->dir) / "entry.json", std::ios::trunc) << withPhoto;
    ASSERT_FALSE(OutboxStore::decode(withPhoto, hostile.entry->dir)) << withPhoto;

    auto listing = store().list("E1", true);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].id, good.entry->id);
    ASSERT_EQ(listing.damaged.size(), 2u);
    EXPECT_TRUE(fs::exists(store().userDir("E1") + "/damaged-" + bad.entry->id));
    EXPECT_TRUE(fs::exists(store().userDir("E1") + "/damaged-" + hostile.entry->id));

    auto again = store().list("E1", true);
    EXPECT_EQ(again.entries.size(), 1u);
    EXPECT_TRUE(again.damaged.empty());
}

TEST_F(OutboxStoreTest, WhatAKilledWriterLeftIsClearedOnlyByTheCopyHoldingTheProfile) {
    ASSERT_TRUE(store().put("E1", submission({}), 1).entry);
    const auto half = fs::path(store().userDir("E1")) / ".incoming-0E4D1B7A-0000-4000-8000-000000000000";
    fs::create_directories(half);
    std::ofstream(half / "photo-0") << "half";

    EXPECT_EQ(store().list("E1", false).entries.size(), 1u);
    EXPECT_TRUE(fs::exists(half));
    EXPECT_EQ(store().list("E1", true).entries.size(), 1u);
    EXPECT_FALSE(fs::exists(half));
}

TEST_F(OutboxStoreTest, OneSubmissionIsLockedByOneHolderAtATime) {
    auto put = store().put("E1", submission({}), 1);
    ASSERT_TRUE(put.entry);
    {
        auto first = OutboxStore::tryLock(*put.entry);
        ASSERT_TRUE(first.held());
        EXPECT_FALSE(OutboxStore::tryLock(*put.entry).held());
        auto moved = std::move(first);
        EXPECT_TRUE(moved.held());
        EXPECT_FALSE(OutboxStore::tryLock(*put.entry).held());
    }
    EXPECT_TRUE(OutboxStore::tryLock(*put.entry).held());
    // A removed entry cannot be locked (and so cannot be sent) again.
    ASSERT_TRUE(store().remove(*put.entry));
    EXPECT_FALSE(OutboxStore::tryLock(*put.entry).held());
}

}  // namespace
}  // namespace busdesk::test
