#include <filesystem>
#include <fstream>
#include <future>
#include <regex>

#include "screens/core/SignOut.h"
#include "screens/self_service/BusFeedBackViewController.h"
#include "screens/self_service/DetListViewController.h"
#include "screens/self_service/ShowBigViewController.h"
#include "services/OfficeEvents.h"
#include "tests/screens/self_service/SelfServiceFixture.h"
#include "tests/support/ScriptedServer.h"
#include "ui/ImageBrowser.h"
#include "ui/PickerSheet.h"
#include "ui/ProgressHUD.h"

namespace busdesk::test {
namespace {

using namespace std::chrono_literals;

PhotoItem photo(const std::string& name, std::uint8_t shade) {
    Image image{8, 8, std::vector<std::uint8_t>(8 * 8 * 4, shade)};
    return {std::make_shared<const Image>(std::move(image)), name, ""};
}

class FeedbackTest : public SelfServiceTest {
  protected:
    void TearDown() override {
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        // The outbox outlives the screens: the next test starts with nobody's submissions.
        FeedbackOutbox::shared().signedOut();
        SelfServiceTest::TearDown();
    }
    // Toasts that begin with `start` (a failure carries its reason after it).
    int toastsStartingWith(const std::string& start) const {
        int n = 0;
        for (auto& t : window->pendingToasts()) n += t.rfind(start, 0) == 0;
        return n;
    }
    ScriptedServer& server() { return ScriptedServer::shared(); }
    // Answers of the scripted office under its own prefix.
    void useOffice(const std::string& prefix) {
        prefix_ = prefix;
        PublicMethod::setOfficeBaseURL(server().url(prefix));
    }
    std::string textPath() const { return prefix_ + "OfficeServiceQ/FeedBackInfoNP/"; }
    std::string uploadPath(const std::string& id) const {
        return prefix_ + "OfficeServiceQ/UploadPictureFromID/" + id;
    }

    std::shared_ptr<BusFeedBackViewController> openForm(std::vector<PhotoItem> photos = {}) {
        signIn(kSession);
        auto form = open(std::make_shared<BusFeedBackViewController>());
        form->photoView->setPhotoMenuItems(std::move(photos));
        return form;
    }
    void submitAndWait(BusFeedBackViewController& form) {
        form.btnSubmit->userTap();
        RunLoop::main().runUntil([&] { return !form.busy(); });
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    }

    std::string prefix_;
};

TEST_F(FeedbackTest, BlankTextIsRefusedAndTheKindPickedIsSentWithParentZero) {
    useOffice("h14fbKind/");
    server().respond(textPath(), 200, "application/json", "\"58\"");
    auto form = openForm();
    EXPECT_EQ(form->lblType->text(), "建议");
    EXPECT_EQ(form->lblDesc->text(), BusFeedBackViewController::kPlaceholder);
    ASSERT_TRUE(run("type #txtDesc \"   \"\ntap #submit\nexpect toast: \"请填写反馈意见！\"\n"));
    EXPECT_EQ(server().requestCount(textPath()), 0u);
    EXPECT_EQ(form->lblDesc->text(), "");  // there is text, if only spaces

    ASSERT_TRUE(run("tap #lblType\nexpect \"Select a Block\"\npick 咨询\n"));
    EXPECT_EQ(form->lblType->text(), "咨询");
    ASSERT_TRUE(run("tap #lblType\ncancel\n"));
    EXPECT_TRUE(std::count(logLines().begin(), logLines().end(), "Block Picker Canceled"));
    EXPECT_EQ(form->lblType->text(), "咨询");

    // Text alone: stored, said so, and cleared so it is not sent twice.
    ASSERT_TRUE(run("type #txtDesc 5路早班车能否加密？\ntap #submit\nexpect toast: \"提交成功\"\n"));
    ASSERT_EQ(server().requestCount(textPath()), 1u);
    auto sent = server().lastRequest(textPath()).query;
    auto url = "http://x/?" + sent;
    EXPECT_EQ(queryParam(url, "pType"), "咨询");
    EXPECT_EQ(queryParam(url, "ParentID"), "0");
    EXPECT_EQ(queryParam(url, "Empid"), "E10086");
    EXPECT_EQ(queryParam(url, "Content"), "5路早班车能否加密？");
    EXPECT_EQ(form->txtDesc->text(), "");
    EXPECT_EQ(form->lblDesc->text(), BusFeedBackViewController::kPlaceholder);
    EXPECT_FALSE(overlayShown());
}

TEST_F(FeedbackTest, TwoPhotosMakeTwoUploadsOfOneJPEGPartEachUnderTheBareIdentifierAndOneOutcome) {
    useOffice("h14fbTwo/");
    server().respond(textPath(), 200, "application/json", "\"57\"");
    server().respond(uploadPath("57"), 200, "text/plain", "1");
    auto form = openForm({photo("a.png", 40), photo("b.png", 220)});
    form->txtDesc->userType("12004号车空调不制冷");
    submitAndWait(*form);
    // The text names its submission; each photo its submission and its place.
    const std::string key = server().lastRequest(textPath()).header("Idempotency-Key");
    EXPECT_TRUE(std::regex_match(
        key, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << key;
    auto uploads = server().requests(uploadPath("57"));
    ASSERT_EQ(uploads.size(), 2u);
    std::set<std::string> names, keys;
    for (auto& r : uploads) {
        EXPECT_EQ(r.method, "POST");
        ASSERT_EQ(r.files.size(), 1u);
        const auto& part = r.files.begin()->second;
        EXPECT_TRUE(std::regex_match(part.name, std::regex("[0-9a-f]{16}p[01]\\.png"))) << part.name;
        EXPECT_EQ(part.filename, "pic");
        EXPECT_EQ(part.content_type, "application/octet-stream");
        ASSERT_GT(part.content.size(), 3u);
        EXPECT_EQ(part.content.substr(0, 3), std::string("\xFF\xD8\xFF"));
        names.insert(part.name);
        keys.insert(r.header("Idempotency-Key"));
    }
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(keys, (std::set<std::string>{key + "/0", key + "/1"}));
    EXPECT_EQ(toastCount("提交成功"), 1);
    EXPECT_EQ(toastsStartingWith("提交失败！"), 0);
    EXPECT_TRUE(form->photoView->photoMenuItems().empty());
    EXPECT_EQ(form->txtDesc->text(), "");
    EXPECT_TRUE(form->lblPending->hidden());
    EXPECT_TRUE(form->pendingList->subviews().empty());
    EXPECT_FALSE(overlayShown());
}

TEST_F(FeedbackTest, ARefusedPhotoFailsAloneAndSendingAgainUploadsOnlyItWithoutTheText) {
    useOffice("h14fbHalf/");
    server().respond(textPath(), 200, "application/json", " \"57\"\n");
    std::atomic<int> seen{0};
    server().on(uploadPath("57"), [&](const httplib::Request&, httplib::Response& res) {
        // The second upload to arrive is refused.
        res.set_content(++seen == 2 ? "0" : "1", "text/plain");
    });
    auto form = openForm({photo("a.png", 40), photo("b.png", 220)});
    form->txtDesc->userType("后门关不严");
    submitAndWait(*form);
    ASSERT_EQ(server().requestCount(uploadPath("57")), 2u);
    // One outcome for the one submission, which the outbox now holds: the form is free again.
    EXPECT_EQ(toastCount("提交成功"), 0);
    EXPECT_EQ(toastsStartingWith("提交失败！"), 1);
    EXPECT_EQ(form->txtDesc->text(), "");
    EXPECT_TRUE(form->photoView->photoMenuItems().empty());
    EXPECT_EQ(form->lblPending->text(), "待发送：1");
    EXPECT_FALSE(form->lblPending->hidden());
    ASSERT_TRUE(run("expect \"后门关不严（2 张照片）\"\n"));
    auto items = FeedbackOutbox::shared().items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].photosStored, 1u);
    EXPECT_EQ(BusFeedBackViewController::stateWords(items[0]).rfind("发送失败：", 0), 0u);
    ASSERT_TRUE(run("expect \"" + BusFeedBackViewController::stateWords(items[0]) + "\"\n"));

    // Sending again: one upload against the same record, no second text.
    server().respond(uploadPath("57"), 200, "text/plain", "1");
    ASSERT_TRUE(run("tap #sendAgain\n"));

    RunLoop::main().runUntil([] { return FeedbackOutbox::shared().count() == 0; });
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(server().requestCount(textPath()), 1u);
    EXPECT_EQ(server().requestCount(uploadPath("57")), 3u);
    EXPECT_TRUE(form->lblPending->hidden());
    EXPECT_TRUE(form->pendingList->subviews().empty());
    EXPECT_FALSE(overlayShown());
}

TEST_F(FeedbackTest, TheOverlayShowsTheUploadsProgressUntilTheLastHasAnswered) {
    useOffice("h14fbSlow/");
    server().respond(textPath(), 200, "application/json", "\"61\"");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> seen{0};
    server().on(uploadPath("61"), [&seen, released](const httplib::Request&, httplib::Response& res) {
        if (++seen == 2) released.wait_for(std::chrono::seconds(20));
        res.set_content("1", "text/plain");
    });
    struct Release {
        std::promise<void>& p;
        ~Release() {
            try {
                p.set_value();
            } catch (...) {
            }
        }
    } guard{release};
    auto form = openForm({photo("a.png", 40), photo("b.png", 220)});
    form->txtDesc->userType("座椅破损");
    form->btnSubmit->userTap();
    // The second upload is held on the server's thread: nothing wakes the main loop for it.
    for (int i = 0; i < 400 && seen < 2; ++i) RunLoop::main().runUntil([&] { return seen == 2; }, 25ms);
    ASSERT_EQ(seen, 2);
    EXPECT_TRUE(form->busy());
    EXPECT_TRUE(overlayShown());
    auto hud = ProgressHUD::HUDForView(*form->view());
    ASSERT_TRUE(hud);
    EXPECT_EQ(hud->labelText(), "正在上传 1/2");
    EXPECT_EQ(toastCount("提交成功"), 0);
    EXPECT_EQ(form->txtDesc->text(), "座椅破损");
    release.set_value();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !form->busy(); }));
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(toastCount("提交成功"), 1);
    EXPECT_FALSE(overlayShown());
    EXPECT_TRUE(form->photoView->photoMenuItems().empty());
}

TEST_F(FeedbackTest, OddAnswersAreFailuresThatStandWithTheirReason) {
    useOffice("h14fbOdd/");
    // "1" and a line break is not "1".
    server().respond(textPath(), 200, "application/json", "\"57\"");
    server().respond(uploadPath("57"), 200, "text/plain", "1\n");
    auto form = openForm({photo("a.png", 40)});
    form->txtDesc->userType("车内异味");
    submitAndWait(*form);
    EXPECT_EQ(toastsStartingWith("提交失败！"), 1);
    EXPECT_EQ(toastCount("提交成功"), 0);
    EXPECT_EQ(toastCount(BusFeedBackViewController::kKeptText), 0);  // it will not pass on a retry
    EXPECT_EQ(FeedbackOutbox::shared().items().at(0).phase, FeedbackOutbox::Phase::Failed);
    EXPECT_FALSE(FeedbackOutbox::shared().retryPlanned());

    // An identifier of quotes and spaces only: nothing is uploaded to a bare address.
    useOffice("h14fbNoId/");
    server().respond(textPath(), 200, "application/json", "\" \"");
    auto other = openForm({photo("a.png", 40)});
    other->txtDesc->userType("车内异味");
    submitAndWait(*other);
    EXPECT_EQ(server().requestCount(textPath()), 1u);
    EXPECT_EQ(server().requestCount(uploadPath("")), 0u);
    EXPECT_EQ(toastsStartingWith("提交失败！"), 2);
    EXPECT_EQ(other->lblPending->text(), "待发送：2");
    EXPECT_FALSE(overlayShown());
    EXPECT_EQ(FeedbackSubmission::identifierFromAnswer(" \"57\"\r\n"), "57");
}

TEST_F(FeedbackTest, APhotoWhoseFileIsGoneIsNotSentAsItsThumbnail) {
    useOffice("fbGone/");
    server().respond(textPath(), 200, "application/json", "\"66\"");
    server().respond(uploadPath("66"), 200, "text/plain", "1");
    // Picked from the album, then deleted there before the submit: only the thumbnail is left.
    auto gone = photo("gone.png", 90);
    gone.path = Paths::dataDir() + "/Album/gone.png";
    auto form = openForm({photo("kept.png", 40), gone});
    form->txtDesc->userType("玻璃裂纹");
    submitAndWait(*form);
    EXPECT_EQ(server().requestCount(uploadPath("66")), 1u);
    EXPECT_EQ(toastCount("提交成功"), 0);
    EXPECT_EQ(toastCount("提交失败！The photo cannot be read."), 1);
    auto items = FeedbackOutbox::shared().items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].photosStored, 1u);
    EXPECT_EQ(BusFeedBackViewController::stateWords(items[0]), "发送失败：The photo cannot be read.");
    EXPECT_FALSE(overlayShown());
}

TEST_F(FeedbackTest, WithTheOfficeDownTheReportIsKeptAndGoesOnceWhenItAnswersAgain) {
    useOffice("fbDown/");
    server().respond(textPath(), 503, "text/plain", "down");
    auto form = openForm({photo("a.png", 40)});
    form->txtDesc->userType("车灯不亮");
    submitAndWait(*form);
    EXPECT_EQ(toastCount(BusFeedBackViewController::kKeptText), 1);
    EXPECT_EQ(toastCount("提交成功"), 0);
    EXPECT_EQ(form->txtDesc->text(), "");
    EXPECT_TRUE(form->photoView->photoMenuItems().empty());
    EXPECT_EQ(form->lblPending->text(), "待发送：1");
    ASSERT_TRUE(run("expect \"等待网络\"\nexpect \"车灯不亮（1 张照片）\"\n"));

    // The office is back: another request answered sends it at once.
    server().respond(textPath(), 200, "application/json", "\"70\"");
    server().respond(uploadPath("70"), 200, "text/plain", "1");
    office_events::answered();
    RunLoop::main().runUntil([] { return FeedbackOutbox::shared().count() == 0; });
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(server().requestCount(uploadPath("70")), 1u);
    EXPECT_TRUE(form->lblPending->hidden());

    // Deleting asks first; "取消" keeps it.
    server().respond(textPath(), 503, "text/plain", "down");
    form->txtDesc->userType("不要了");
    submitAndWait(*form);
    ASSERT_EQ(FeedbackOutbox::shared().count(), 1u);
    ASSERT_TRUE(run("tap #deletePending\nexpect \"删除这条待发送的反馈？\"\nalert 取消\n"));
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(FeedbackOutbox::shared().count(), 1u);
    ASSERT_TRUE(run("tap #deletePending\nalert 删除\n"));
    RunLoop::main().runUntil([] { return FeedbackOutbox::shared().count() == 0; });
    EXPECT_EQ(FeedbackOutbox::shared().count(), 0u);
    EXPECT_TRUE(form->lblPending->hidden());
}

TEST_F(FeedbackTest, SigningOutKeepsPendingFeedbackForTheNextSignInOrDeletesItWhenAsked) {
    useOffice("fbSignOut/");
    server().respond(textPath(), 503, "text/plain", "down");
    auto form = openForm();
    form->txtDesc->userType("留到下次");
    submitAndWait(*form);
    ASSERT_EQ(FeedbackOutbox::shared().count(), 1u);

    SignOut::signOut(*window);
    ASSERT_TRUE(run("expect \"待发送的反馈将在下次登录后发送（1 条）\"\nalert 确定\n"));
    EXPECT_EQ(FeedbackOutbox::shared().count(), 0u);  // nobody's list while signed out
    EXPECT_EQ(OutboxStore(OutboxStore::defaultRoot()).list("E10086", false).entries.size(), 1u);

    // Back for the same employee: it is theirs again, and goes when the office answers.
    server().respond(textPath(), 200, "application/json", "\"81\"");
    form = openForm();
    FeedbackOutbox::shared().signedIn("E10086");
    RunLoop::main().runUntil([] { return FeedbackOutbox::shared().count() == 0; });
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(server().requestCount(textPath()), 2u);
    EXPECT_TRUE(OutboxStore(OutboxStore::defaultRoot()).list("E10086", false).entries.empty());

    // Kept again, then deleted from the sign-out notice.
    server().respond(textPath(), 503, "text/plain", "down");
    form->txtDesc->userType("不要了");
    submitAndWait(*form);
    ASSERT_EQ(FeedbackOutbox::shared().count(), 1u);
    SignOut::signOut(*window);
    ASSERT_TRUE(run("alert 删除待发送的反馈\n"));
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_TRUE(OutboxStore(OutboxStore::defaultRoot()).list("E10086", false).entries.empty());
}

TEST_F(FeedbackTest, ADamagedKeptSubmissionIsNamedOnceOnTheFormAndTheOthersStillGo) {
    useOffice("fbDamaged/");
    server().respond(textPath(), 200, "application/json", "\"90\"");
    const OutboxStore store(OutboxStore::defaultRoot());
    const std::string broken = "0a1b2c3d-0000-4000-8000-00000000beef";
    std::filesystem::create_directories(store.userDir("E10086") + "/" + broken);
    std::ofstream(store.userDir("E10086") + "/" + broken + "/entry.json") << "{\"id\":";
    // A good one kept beside it, from an earlier round that got no answer.
    FeedbackSubmissionState kept = FeedbackSubmission::compose("前门异响", "建议", {});
    ASSERT_TRUE(store.put("E10086", kept, 1).entry);

    auto form = openForm();
    FeedbackOutbox::shared().signedIn("E10086");
    RunLoop::main().runUntil([] { return FeedbackOutbox::shared().count() == 0; });
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(server().requestCount(textPath()), 1u);
    const std::string notice = std::string(BusFeedBackViewController::kDamagedText) + "damaged-" + broken;
    EXPECT_EQ(toastCount(notice), 1);
    EXPECT_TRUE(std::filesystem::exists(store.userDir("E10086") + "/damaged-" + broken + "/entry.json"));

    // Named once: a form opened again says nothing more of it.
    open(std::make_shared<BusFeedBackViewController>());
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(toastCount(notice), 1);
}

TEST_F(FeedbackTest, TheHomeShortcutPushesTheFormWithBackAndHomeButtons) {
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    ASSERT_TRUE(
        run("wait 3\nexpect \"首页\"\ntap #showWeiGui\nexpect \"车况信息反馈\"\nexpect \"#goBack\"\n"));
    auto form = top<BusFeedBackViewController>();
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->openedFromMenu);
    EXPECT_EQ(content()->viewControllers().size(), 3u);  // advertising, home, form
    ASSERT_TRUE(run("tap #showList\nexpect \"意见列表\"\nexpect \"答复内容：\"\n"));
    EXPECT_TRUE(top<DetListViewController>());
}

TEST_F(FeedbackTest, AnsweredListRowsWithAndWithoutPicturesAndTheBrowser) {
    signIn(kSession);
    auto list = open(std::make_shared<DetListViewController>());
    ASSERT_TRUE(list->received);
    int with = -1, without = -1;
    for (int i = 0; i < list->tbList->numberOfRows(0); ++i) {
        auto item = list->itemAt(i);
        (DetListTableViewCell::pictureAddresses(*item).empty() ? without : with) = i;
    }
    ASSERT_GE(with, 0);
    ASSERT_GE(without, 0);
    EXPECT_EQ(list->tbList->rectForRow(IndexPath{0, without}).height, 160);
    EXPECT_EQ(list->tbList->rectForRow(IndexPath{0, with}).height, 250);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "答复内容：已安排保修车间检查")) << s;
    EXPECT_TRUE(contains(s, "类型：建议")) << s;

    list->showPictures(with, 1);
    auto browser = topScreen<ImageBrowser>();
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->title(), "图片预览");
    EXPECT_EQ(browser->StartIndex(), 1);
    EXPECT_EQ(browser->ImageDataSource().size(),
              DetListTableViewCell::pictureAddresses(*list->itemAt(with)).size());
}

TEST_F(FeedbackTest, AlbumPhotosArePreviewedAndKeepOnlyThumbnails) {
    // Two pictures in the profile's album, larger than any thumbnail.
    auto album = Paths::dataDir() + "/Album";
    std::filesystem::create_directories(album);
    for (int i = 1; i <= 2; ++i) {
        Image big{600, 400, std::vector<std::uint8_t>(600 * 400 * 4, static_cast<std::uint8_t>(60 * i))};
        std::ofstream(album + "/p" + std::to_string(i) + ".png", std::ios::binary) << big.pngData();
    }
    auto form = openForm();
    ASSERT_TRUE(run("tap #addPhoto\nalert 从手机相册获取\ntap p1.png\ntap p2.png\ntap #finishPicking\n"));
    auto preview = topScreen<ShowBigViewController>();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->btnFinish->currentTitle(), "完成(2)");
    ASSERT_EQ(form->photoView->photoMenuItems().size(), 2u);
    for (auto& item : form->photoView->photoMenuItems()) {
        ASSERT_TRUE(item.image);
        EXPECT_LE(item.image->width, Asset::kThumbnailSize);
        auto full = item.fullImage();
        ASSERT_TRUE(full);
        EXPECT_EQ(full->width, 600);
    }
    ASSERT_TRUE(run("tap #finish\n"));
    EXPECT_EQ(topScreen<BusFeedBackViewController>(), form);
}

}  // namespace
}  // namespace busdesk::test
