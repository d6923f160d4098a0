#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <fstream>

#include "LoopbackPort.h"
#include "ServiceTestSupport.h"
#include "core/SessionEnd.h"
#include "platform/Image.h"
#include "services/FeedbackOutbox.h"
#include "services/OfficeEvents.h"
#include "services/SuggestServer.h"

namespace busdesk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Result = FeedbackOutbox::Submitted::Result;

std::string pictureBytes(int width) {
    Image image;
    image.width = width;
    image.height = 5;
    image.rgba.assign(static_cast<std::size_t>(width) * 5 * 4, 200);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) image.rgba[i] = static_cast<std::uint8_t>(i * 3);
    return image.pngData();
}

class FeedbackOutboxTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        Session::shared().setLoginResult(
            LoginResult::initWithString(R"({"IsSuccess":"1","EmpID":"E10086"})"));
    }
    void TearDown() override {
        RunLoop::main().runUntilIdle(5000ms);
        office_events::removeListeners("feedbackOutbox");
        SessionEnd::remove("outbox");
        RunLoop::main().setClock(std::make_shared<SteadyClock>());
        ServiceTest::TearDown();
    }
    std::string root() const { return (profile_ / "data/outbox").string(); }

    // A submission of `photos` distinct pictures, each from a file of the profile.
    FeedbackSubmissionState submission(const std::string& text, int photos) {
        std::vector<FeedbackPhoto> list;
        for (int i = 0; i < photos; ++i) {
            auto path = profile_ / ("photo" + std::to_string(serial_++) + ".png");
            std::ofstream(path, std::ios::binary) << pictureBytes(8 + serial_);
            FeedbackPhoto photo;
            photo.file = path.string();
            list.push_back(photo);
        }
        return FeedbackSubmission::compose(text, "建议", std::move(list));
    }

    struct Told {
        std::vector<FeedbackOutbox::Submitted> results;
    };
    std::shared_ptr<Told> submit(FeedbackOutbox& outbox, FeedbackSubmissionState state) {
        auto told = std::make_shared<Told>();
        outbox.submit(std::move(state),
                      [told](const FeedbackOutbox::Submitted& s) { told->results.push_back(s); });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !told->results.empty(); }, 10000ms));
        RunLoop::main().runUntilIdle(5000ms);
        return told;
    }
    void settle(FeedbackOutbox& outbox) {
        RunLoop::main().runUntil(
            [&] {
                for (const auto& item : outbox.items())
                    if (item.phase == FeedbackOutbox::Phase::Sending) return false;
                return true;
            },
            10000ms);
        RunLoop::main().runUntilIdle(5000ms);
    }

    // What the office holds of the employee's suggestions with this text: each one's photo count.
    std::vector<std::size_t> stored(const std::string& text) {
        Calls<std::shared_ptr<SuggestList>> list;
        SuggestServer::getSuggestsWithEmpID("E10086", list.success(), list.fail());
        EXPECT_TRUE(list.wait());
        std::vector<std::size_t> photos;
        if (list.successes != 1) return photos;
        for (std::size_t i = 0; i < list.arg()->List.count(); ++i)
            if (list.arg()->List[i]->Content == text)
                photos.push_back(list.arg()->List[i]->Imagenames.size());
        return photos;
    }
    std::size_t textPosts() const {
        std::size_t n = 0;
        for (const auto& line : log_.withPrefix("last url =="))
            if (line.find("/FeedBackInfoNP") != std::string::npos) ++n;
        return n;
    }
    static void failMethod(sim::OfficeSimulator& sim, const std::string& method, int status) {
        sim::Fault f;
        f.status = status;
        sim.faults().set(method, f);
    }

    int serial_ = 0;
};

TEST_F(FeedbackOutboxTest, ASubmissionIsKeptFirstThenSentOnceAndLeavesTheOutbox) {
    FeedbackOutbox outbox(root());
    outbox.signedIn("E10086");
    RunLoop::main().runUntilIdle(5000ms);
    int changes = 0;
    outbox.setObserver("test", [&] { ++changes; });
    auto told = submit(outbox, submission("车门异响 A", 3));
    settle(outbox);
    ASSERT_EQ(told->results.size(), 1u);
    EXPECT_EQ(told->results[0].result, Result::Sent);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_GT(changes, 3);
    EXPECT_EQ(stored("车门异响 A"), std::vector<std::size_t>{3});
    EXPECT_TRUE(fs::is_empty(OutboxStore(root()).userDir("E10086")));
}

TEST_F(FeedbackOutboxTest, ALostTextAnswerOrLostUploadAnswersAreNeverStoredTwice) {
    FeedbackOutbox outbox(root());
    outbox.signedIn("E10086");
    RunLoop::main().runUntilIdle(5000ms);
    // The office stores the text but the answer never arrives whole.
    failMethod(sim(), "FeedBackInfoNP", 502);
    auto told = submit(outbox, submission("刹车偏软 B", 2));
    ASSERT_EQ(told->results.size(), 1u);
    EXPECT_EQ(told->results[0].result, Result::Kept);
    ASSERT_EQ(outbox.items().size(), 1u);
    EXPECT_EQ(outbox.items()[0].phase, FeedbackOutbox::Phase::Waiting);
    EXPECT_TRUE(outbox.retryPlanned());
    EXPECT_EQ(stored("刹车偏软 B"), std::vector<std::size_t>{0});

    // Then the photos are stored but their answers are lost.
    sim().faults().clear();
    failMethod(sim(), "UploadPictureFromID", 500);
    outbox.sendNow();
    settle(outbox);
    ASSERT_EQ(outbox.items().size(), 1u);
    EXPECT_EQ(outbox.items()[0].photosStored, 0u);
    EXPECT_EQ(stored("刹车偏软 B"), std::vector<std::size_t>{1});  // the first photo went, unheard

    sim().faults().clear();
    office_events::onAnswered("feedbackOutbox", [&] { outbox.sendNow(); });
    office_events::answered();  // another request got through: the network is back
    settle(outbox);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_EQ(stored("刹车偏软 B"), std::vector<std::size_t>{2});
}

TEST_F(FeedbackOutboxTest, AfterARestartSendingResumesFromTheFirstStepNotRecorded) {
    OutboxStore store(root());
    // Killed after the text was posted but before its answer was recorded: the office has it.
    auto posted = store.put("E10086", submission("空调不制冷 C", 2), 1);
    ASSERT_TRUE(posted.entry);
    std::vector<FeedbackStep> answered;
    FeedbackSubmission::postText(posted.entry->state,
                                 [&](const FeedbackStep& step) { answered.push_back(step); });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !answered.empty(); }, 10000ms));
    ASSERT_EQ(answered[0].outcome, FeedbackOutcome::Succeeded);

    // Killed between photos: the text and its first photo recorded.
    auto between = store.put("E10086", submission("座椅破损 D", 3), 2);
    ASSERT_TRUE(between.entry);
    std::vector<FeedbackStep> steps;
    auto record = [&](const FeedbackStep& step) { steps.push_back(step); };
    FeedbackSubmission::postText(between.entry->state, record);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return steps.size() == 1; }, 10000ms));
    FeedbackSubmission::apply(between.entry->state, steps[0]);
    FeedbackSubmission::uploadPhoto(between.entry->state, 0, record);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return steps.size() == 2; }, 10000ms));
    FeedbackSubmission::apply(between.entry->state, steps[1]);
    ASSERT_TRUE(store.record(*between.entry));
    // Killed after the last photo was stored but before the entry was removed.
    auto last = store.put("E10086", submission("灯不亮 E", 1), 3);
    ASSERT_TRUE(last.entry);
    steps.clear();
    FeedbackSubmission::postText(last.entry->state, record);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return steps.size() == 1; }, 10000ms));
    FeedbackSubmission::apply(last.entry->state, steps[0]);
    FeedbackSubmission::uploadPhoto(last.entry->state, 0, record);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return steps.size() == 2; }, 10000ms));
    FeedbackSubmission::apply(last.entry->state, steps[1]);
    ASSERT_TRUE(store.record(*last.entry));
    RunLoop::main().runUntilIdle(5000ms);
    log_.clear();

    FeedbackOutbox outbox(root());
    outbox.signedIn("E10086");
    RunLoop::main().runUntil([&] { return outbox.count() == 3; }, 10000ms);
    RunLoop::main().runUntil([&] { return outbox.count() == 0; }, 20000ms);
    RunLoop::main().runUntilIdle(5000ms);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_EQ(textPosts(), 1u);  // only the text whose answer was never recorded, answered from its key
    EXPECT_EQ(stored("空调不制冷 C"), std::vector<std::size_t>{2});
    EXPECT_EQ(stored("座椅破损 D"), std::vector<std::size_t>{3});
    EXPECT_EQ(stored("灯不亮 E"), std::vector<std::size_t>{1});
}

TEST_F(FeedbackOutboxTest, ARefusalStopsTheSubmissionWithItsReasonUntilSentAgainOrDeleted) {
    FeedbackOutbox outbox(root());
    outbox.signedIn("E10086");
    RunLoop::main().runUntilIdle(5000ms);
    failMethod(sim(), "FeedBackInfoNP", 403);
    auto told = submit(outbox, submission("雨刮失灵 F", 1));
    settle(outbox);
    ASSERT_EQ(told->results.size(), 1u);
    EXPECT_EQ(told->results[0].result, Result::Refused);
    EXPECT_FALSE(told->results[0].reason.empty());
    ASSERT_EQ(outbox.items().size(), 1u);
    EXPECT_EQ(outbox.items()[0].phase, FeedbackOutbox::Phase::Failed);
    EXPECT_EQ(outbox.items()[0].reason, told->results[0].reason);
    EXPECT_FALSE(outbox.retryPlanned());
    // The network coming back does not send a refused submission by itself.
    sim().faults().clear();
    outbox.sendNow();
    settle(outbox);
    EXPECT_EQ(outbox.items()[0].phase, FeedbackOutbox::Phase::Failed);
    // This office stored the text before it refused; sending again is answered from the key.
    EXPECT_EQ(stored("雨刮失灵 F"), std::vector<std::size_t>{0});

    outbox.sendAgain(outbox.items()[0].id);
    settle(outbox);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_EQ(stored("雨刮失灵 F"), std::vector<std::size_t>{1});

    failMethod(sim(), "FeedBackInfoNP", 403);
    submit(outbox, submission("删掉的 G", 1));
    settle(outbox);
    ASSERT_EQ(outbox.count(), 1u);
    std::optional<bool> removed;
    outbox.remove(outbox.items()[0].id, [&](bool ok) { removed = ok; });
    RunLoop::main().runUntil([&] { return removed.has_value(); }, 10000ms);
    EXPECT_EQ(removed, true);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_TRUE(fs::is_empty(OutboxStore(root()).userDir("E10086")));
}

TEST_F(FeedbackOutboxTest, AnUnreadablePhotoFailsAloneAndTheOthersGo) {
    FeedbackOutbox outbox(root());
    OutboxStore store(root());
    auto put = store.put("E10086", submission("后视镜松动 H", 3), 1);
    ASSERT_TRUE(put.entry);
    std::ofstream(put.entry->state.photos[1].file, std::ios::trunc) << "not a picture";
    outbox.signedIn("E10086");
    RunLoop::main().runUntil([&] { return outbox.count() == 1; }, 10000ms);
    settle(outbox);
    ASSERT_EQ(outbox.items().size(), 1u);
    auto item = outbox.items()[0];
    EXPECT_EQ(item.phase, FeedbackOutbox::Phase::Failed);
    EXPECT_EQ(item.photosStored, 2u);
    EXPECT_NE(item.reason.find("cannot be read"), std::string::npos) << item.reason;
    EXPECT_EQ(stored("后视镜松动 H"), std::vector<std::size_t>{2});
}

TEST_F(FeedbackOutboxTest, RetriesFollowTheScheduleOnVirtualTimeAndTheNetworkComingBack) {
    const std::vector<std::chrono::seconds> expected{30s, 120s, 600s, 1800s, 3600s, 3600s, 3600s};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(FeedbackOutbox::retryDelay(static_cast<int>(i) + 1), expected[i]) << i;

    RunLoop::main().useManualClock();
    PublicMethod::setOfficeBaseURL("http://127.0.0.1:" + std::to_string(unusedPort()) + "/");
    FeedbackOutbox outbox(root());
    outbox.signedIn("E10086");
    RunLoop::main().runUntilIdle(5000ms);
    auto told = submit(outbox, submission("暖风不热 I", 1));
    settle(outbox);
    EXPECT_EQ(told->results.at(0).result, Result::Kept);
    EXPECT_EQ(textPosts(), 1u);

    // 30 s, then 2 min after the second failure.
    RunLoop::main().advance(29s);
    settle(outbox);
    EXPECT_EQ(textPosts(), 1u);
    RunLoop::main().advance(1s);
    settle(outbox);
    EXPECT_EQ(textPosts(), 2u);
    RunLoop::main().advance(119s);
    settle(outbox);
    EXPECT_EQ(textPosts(), 2u);
    RunLoop::main().advance(1s);
    settle(outbox);
    EXPECT_EQ(textPosts(), 3u);

    // The office answers another request: sending goes at once, long before the 10 minutes.
    PublicMethod::setOfficeBaseURL(sim().baseURL());
    outbox.listenForOffice();
    Calls<std::shared_ptr<SuggestList>> other;
    SuggestServer::getSuggestsWithEmpID("E10086", other.success(), other.fail());
    other.wait();
    settle(outbox);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_EQ(stored("暖风不热 I"), std::vector<std::size_t>{1});
}

TEST_F(FeedbackOutboxTest, SubmissionsBelongToTheirUserAndSurviveSignOutWithANotice) {
    PublicMethod::setOfficeBaseURL("http://127.0.0.1:" + std::to_string(unusedPort()) + "/");
    FeedbackOutbox outbox(root());
    outbox.listenForOffice();
    office_events::signedIn("E10086");
    RunLoop::main().runUntilIdle(5000ms);
    submit(outbox, submission("仪表盘报警 J", 1));
    settle(outbox);
    ASSERT_EQ(outbox.count(), 1u);

    EndedSession ended;
    ended.empID = "E10086";
    SessionEnd::run(ended);
    EXPECT_EQ(outbox.count(), 0u);
    ASSERT_EQ(ended.notices.size(), 1u);
    EXPECT_NE(ended.notices[0].find("待发送的反馈将在下次登录后发送"), std::string::npos);

    office_events::signedIn("E2");
    RunLoop::main().runUntilIdle(5000ms);
    EXPECT_EQ(outbox.count(), 0u);  // never another user's
    EndedSession second;
    SessionEnd::run(second);
    EXPECT_TRUE(second.notices.empty());

    PublicMethod::setOfficeBaseURL(sim().baseURL());
    office_events::signedIn("E10086");  // at their next sign-in it goes
    RunLoop::main().runUntil([&] { return outbox.count() == 1; }, 10000ms);
    RunLoop::main().runUntil([&] { return outbox.count() == 0; }, 10000ms);
    EXPECT_EQ(stored("仪表盘报警 J"), std::vector<std::size_t>{1});

    // Deleting all of a user's kept submissions at sign-out.
    PublicMethod::setOfficeBaseURL("http://127.0.0.1:" + std::to_string(unusedPort()) + "/");
    submit(outbox, submission("不要了 K", 1));
    settle(outbox);
    bool cleared = false;
    outbox.removeAllOf("E10086", [&] { cleared = true; });
    RunLoop::main().runUntil([&] { return cleared; }, 10000ms);
    EXPECT_EQ(outbox.count(), 0u);
    EXPECT_TRUE(OutboxStore(root()).list("E10086", false).entries.empty());
}

TEST_F(FeedbackOutboxTest, TwoCopiesOnOneProfileNeverSendOneSubmissionTwice) {
    OutboxStore store(root());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(store.put("E10086", submission("两个实例 L", 2), i).entry);
    FeedbackOutbox first(root());
    FeedbackOutbox second(root());
    first.signedIn("E10086");
    second.signedIn("E10086");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return first.count() == 3 && second.count() == 3; }, 10000ms));
    // Whatever the other held when one looked is looked at again (here at once, not after 30 s),
    // and found sent.
    for (int round = 0; round < 5 && (first.count() + second.count()) > 0; ++round) {
        settle(first);
        settle(second);
        first.sendNow();
        second.sendNow();
    }
    RunLoop::main().runUntilIdle(5000ms);
    EXPECT_EQ(first.count() + second.count(), 0u);
    EXPECT_EQ(stored("两个实例 L"), (std::vector<std::size_t>{2, 2, 2}));
    EXPECT_TRUE(store.list("E10086", false).entries.empty());
}

}  // namespace
}  // namespace busdesk::test
