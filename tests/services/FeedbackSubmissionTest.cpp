#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "LoopbackPort.h"
#include "ServiceTestSupport.h"
#include "net/HTTPResponseSerializer.h"
#include "net/URLError.h"
#include "platform/Charset.h"
#include "platform/Image.h"
#include "services/FeedbackSubmission.h"
#include "services/OfficeCall.h"
#include "services/OfficeFailure.h"
#include "services/SuggestServer.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

// A picture whose width tells it apart once it has been through JPEG.
Image picture(int width) {
    Image image;
    image.width = width;
    image.height = 6;
    image.rgba.assign(static_cast<std::size_t>(width) * 6 * 4, 255);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) image.rgba[i] = static_cast<std::uint8_t>(i * 7);
    return image;
}

FeedbackPhoto inMemory(int width) {
    FeedbackPhoto photo;
    photo.bytes = picture(width).pngData();
    return photo;
}

// Every step a round reported, and its end.
struct RoundLog {
    std::vector<FeedbackStep> steps;
    std::vector<FeedbackSubmission::State> seen;  // the state as each step left it
    std::optional<FeedbackSubmission::State> final;
    int finishes = 0;

    void send(FeedbackSubmission::State state) {
        FeedbackSubmission::send(
            std::move(state),
            [this](const FeedbackSubmission::State& s, const FeedbackStep& step) {
                steps.push_back(step);
                seen.push_back(s);
            },
            [this](const FeedbackSubmission::State& s) {
                ++finishes;
                final = s;
            });
    }
    bool wait() {
        bool done =
            RunLoop::main().runUntil([this] { return finishes > 0; }, std::chrono::milliseconds(10000));
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        return done;
    }
};

// One step driven on its own.
struct StepCall {
    std::vector<FeedbackStep> steps;
    FeedbackSubmission::StepDone done() {
        return [this](const FeedbackStep& step) { steps.push_back(step); };
    }
    const FeedbackStep& wait() {
        RunLoop::main().runUntil([this] { return !steps.empty(); }, std::chrono::milliseconds(10000));
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        EXPECT_EQ(steps.size(), 1u);
        if (steps.empty()) steps.emplace_back();
        return steps.front();
    }
};

// The round against the substitute office, which stores texts and photos for real.
class FeedbackRoundTest : public ServiceTest {};

TEST_F(FeedbackRoundTest, TextThenEveryPhotoUnderAFreshNameIsStoredForTheSignedInEmployee) {
    Session::shared().setLoginResult(LoginResult::initWithString(R"({"IsSuccess":"1","EmpID":"E10086"})"));
    const std::string file = (profile_ / "door.png").string();
    std::ofstream(file, std::ios::binary) << picture(14).pngData();
    FeedbackPhoto fromFile;
    fromFile.file = file;
    auto state = FeedbackSubmission::compose("后门关不严，雨天漏水。", "投诉", {fromFile, inMemory(9)});
    EXPECT_EQ(state.empID, "E10086");

    RoundLog round;
    round.send(state);
    EXPECT_TRUE(round.steps.empty());  // nothing is answered inside the call
    ASSERT_TRUE(round.wait());
    EXPECT_EQ(round.finishes, 1);
    ASSERT_EQ(round.steps.size(), 3u);
    EXPECT_EQ(round.steps[0].kind, FeedbackStep::Kind::Text);
    EXPECT_TRUE(round.seen[0].photos[0].status.outcome == std::nullopt);  // the text came first
    ASSERT_TRUE(round.final);
    const std::string id = round.final->identifier;
    EXPECT_EQ(round.steps[0].identifier, id);
    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(FeedbackSubmission::complete(*round.final));
    std::set<std::string> names;
    for (const auto& photo : round.final->photos) {
        EXPECT_TRUE(photo.stored());
        EXPECT_TRUE(std::regex_match(photo.fileName, std::regex("[0-9A-F]{32}\\.png"))) << photo.fileName;
        names.insert(photo.fileName);
    }
    EXPECT_EQ(names.size(), 2u);

    auto sent = log_.sent("FeedBackInfoNP");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->query.at("Empid"), "E10086");
    EXPECT_EQ(sent->query.at("ParentID"), "0");
    EXPECT_EQ(sent->query.at("pType"), "投诉");

    Calls<std::shared_ptr<SuggestList>> list;
    SuggestServer::getSuggestsWithEmpID("E10086", list.success(), list.fail());
    ASSERT_TRUE(list.wait());
    ASSERT_EQ(list.successes, 1);
    std::shared_ptr<SuggestInfo> stored;
    for (std::size_t i = 0; i < list.arg()->List.count(); ++i)
        if (list.arg()->List[i]->ID == id) stored = list.arg()->List[i];
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Content, "后门关不严，雨天漏水。");
    EXPECT_EQ(stored->Imagenames.size(), 2u);
}

// Answers the substitute office never gives, scripted path by path.
class FeedbackAnswerTest : public ::testing::Test {
  protected:
    void SetUp() override { PublicMethod::setOfficeBaseURL(server().url(prefix())); }
    static ScriptedServer& server() { return ScriptedServer::shared(); }
    static std::string prefix() {
        return std::string("fb-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    }
    static std::string textPath() { return prefix() + "OfficeServiceQ/FeedBackInfoNP/"; }
    static std::string uploadPath(const std::string& id) {
        return prefix() + "OfficeServiceQ/UploadPictureFromID/" + id;
    }
    static FeedbackSubmission::State stored(const std::string& id, std::vector<FeedbackPhoto> photos) {
        auto state = FeedbackSubmission::compose("车内异味", "其他", std::move(photos));
        state.identifier = id;
        return state;
    }
    LogCapture log_;
};

TEST_F(FeedbackAnswerTest, TheIdentifierIsTheAnswerWithoutQuotesOrOuterSpace) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\"57\"", "57"},   {" \"57\"\r\n", "57"},
        {"57", "57"},       {"5\"7", "57"},
        {"\"\"", ""},       {"\" \"", ""},
        {"", ""},           {"\"0\"", "0"},
        {"\"5 7\"", "5 7"}, {"\"5/../x\"", "5/../x"},  // kept: the upload escapes it into one path segment
    };
    for (const auto& [answer, id] : cases)
        EXPECT_EQ(FeedbackSubmission::identifierFromAnswer(answer), id) << answer;
}

TEST_F(FeedbackAnswerTest, TextAnswersAreSortedIntoStoredRefusedAndNotYet) {
    struct Case {
        int status;
        std::string body;
        FeedbackOutcome outcome;
        std::string identifier;
    };
    const std::vector<Case> cases = {
        {200, "\"61\"", FeedbackOutcome::Succeeded, "61"},
        {200, " \"62\"\n", FeedbackOutcome::Succeeded, "62"},
        {200, "\"0\"", FeedbackOutcome::Refused, ""},
        {200, "\" \"", FeedbackOutcome::Refused, ""},
        {200, std::string("\"5\xFF\""), FeedbackOutcome::Refused, ""},  // not text at all
        {404, "no such method", FeedbackOutcome::Refused, ""},
        {400, "\"63\"", FeedbackOutcome::Refused, ""},  // an identifier in an error answer is none
        {500, "\"64\"", FeedbackOutcome::Unavailable, ""},
        {503, "busy", FeedbackOutcome::Unavailable, ""},
        {429, "slow down", FeedbackOutcome::Unavailable, ""},
        {408, "too slow", FeedbackOutcome::Unavailable, ""},
    };
    for (const auto& c : cases) {
        server().respond(textPath(), c.status, "text/plain", c.body);
        StepCall call;
        FeedbackSubmission::postText(FeedbackSubmission::compose("车内异味", "其他", {}), call.done());
        const FeedbackStep& step = call.wait();
        SCOPED_TRACE(std::to_string(c.status) + " " + c.body);
        EXPECT_EQ(step.kind, FeedbackStep::Kind::Text);
        EXPECT_EQ(step.outcome, c.outcome);
        EXPECT_EQ(step.identifier, c.identifier);
        EXPECT_EQ(step.reason.empty(), c.outcome == FeedbackOutcome::Succeeded) << step.reason;
        EXPECT_TRUE(Charset::isValidUTF8(step.reason));
    }
    EXPECT_EQ(server().requestCount(textPath()), cases.size());
}

TEST_F(FeedbackAnswerTest, NoAnswerAtAllMaySucceedLater) {
    // A connection cut in the middle of the answer.
    server().dropMidBody(textPath(), 100, 4);
    StepCall cut;
    FeedbackSubmission::postText(FeedbackSubmission::compose("x", "建议", {}), cut.done());
    EXPECT_EQ(cut.wait().outcome, FeedbackOutcome::Unavailable);

    // Nobody listening: a port taken and given back.
    PublicMethod::setOfficeBaseURL("http://127.0.0.1:" + std::to_string(unusedPort()) + "/");
    StepCall refused, upload;
    FeedbackSubmission::postText(FeedbackSubmission::compose("x", "建议", {}), refused.done());
    FeedbackSubmission::uploadPhoto(stored("70", {inMemory(3)}), 0, upload.done());
    const FeedbackStep& noServer = refused.wait();
    EXPECT_EQ(noServer.outcome, FeedbackOutcome::Unavailable);
    EXPECT_FALSE(noServer.reason.empty());
    EXPECT_EQ(upload.wait().outcome, FeedbackOutcome::Unavailable);
}

TEST_F(FeedbackAnswerTest, UploadAnswersOtherThanOneAreRefusalsWithTheServersWords) {
    struct Case {
        int status;
        std::string body;
        FeedbackOutcome outcome;
        std::string reason;  // the server's words, line breaks written out so they stay one line
    };
    const std::vector<Case> cases = {
        {200, "1", FeedbackOutcome::Succeeded, ""},
        {200, "1\n", FeedbackOutcome::Refused, "1\\n"},
        {200, "0", FeedbackOutcome::Refused, "0"},
        {200, "\"1\"", FeedbackOutcome::Refused, "\"1\""},
        {413, "too big", FeedbackOutcome::Refused, "Request failed: request too large (413)"},
        {502, "gateway", FeedbackOutcome::Unavailable, "Request failed: bad gateway (502)"},
    };
    for (const auto& c : cases) {
        server().respond(uploadPath("81"), c.status, "text/plain", c.body);
        StepCall call;
        FeedbackSubmission::uploadPhoto(stored("81", {inMemory(4)}), 0, call.done());
        const FeedbackStep& step = call.wait();
        SCOPED_TRACE(std::to_string(c.status) + " " + c.body);
        EXPECT_EQ(step.outcome, c.outcome);
        EXPECT_EQ(step.reason, c.reason);
    }

    // A long refusal is cut to a short line, never inside a character.
    std::string essay;
    for (int i = 0; i < 400; ++i) essay += "拒";
    server().respond(uploadPath("81"), 200, "text/plain; charset=utf-8", essay);
    StepCall longOne;
    FeedbackSubmission::uploadPhoto(stored("81", {inMemory(4)}), 0, longOne.done());
    const std::string& reason = longOne.wait().reason;
    EXPECT_LE(reason.size(), OfficeFailure::kMaxReasonBytes);
    EXPECT_GT(reason.size(), OfficeFailure::kMaxReasonBytes / 2);
    EXPECT_TRUE(Charset::isValidUTF8(reason));
}

TEST_F(FeedbackAnswerTest, APartialFailureIsRetriedForTheMissingPhotosOnly) {
    server().respond(textPath(), 200, "application/json", "\"57\"");
    // Photo widths tell the uploads apart: 8 is stored, 12 meets a busy server the first time.
    std::mutex lock;
    std::map<int, int> tries;
    server().on(uploadPath("57"), [&](const httplib::Request& req, httplib::Response& res) {
        int width = 0;
        if (req.files.size() == 1)
            if (auto image = Image::decode(req.files.begin()->second.content)) width = image->width;
        std::lock_guard guard(lock);
        const int attempt = ++tries[width];
        if (width == 12 && attempt == 1) {
            res.status = 503;
            res.set_content("busy", "text/plain");
            return;
        }
        res.set_content(width == 8 || width == 10 || width == 12 ? "1" : "0", "text/plain");
    });
    const std::string missing = (std::filesystem::temp_directory_path() /
                                 ("busdesk-fb-missing-" + std::to_string(::getpid()) + ".png"))
                                    .string();
    std::filesystem::remove(missing);
    FeedbackPhoto unreadable;
    unreadable.file = missing;
    FeedbackPhoto busy;
    busy.bytes = picture(12).jpegData(90);

    RoundLog first;
    first.send(FeedbackSubmission::compose("后视镜松动", "投诉", {inMemory(8), unreadable, busy}));
    ASSERT_TRUE(first.wait());
    ASSERT_TRUE(first.final);
    const auto& after = *first.final;
    EXPECT_EQ(after.identifier, "57");
    EXPECT_EQ(after.photos[0].status.outcome, FeedbackOutcome::Succeeded);
    EXPECT_EQ(after.photos[1].status.outcome, FeedbackOutcome::Refused);
    EXPECT_EQ(after.photos[1].status.reason, "The photo cannot be read.");
    EXPECT_EQ(after.photos[2].status.outcome, FeedbackOutcome::Unavailable);
    EXPECT_EQ(FeedbackSubmission::photosLeft(after), (std::vector<std::size_t>{1, 2}));
    EXPECT_FALSE(FeedbackSubmission::complete(after));
    EXPECT_EQ(server().requestCount(uploadPath("57")), 2u);  // nothing sent for the missing file

    // The file turns up; the second round sends the two missing photos, not the text.
    std::ofstream(missing, std::ios::binary) << picture(10).pngData();
    RoundLog second;
    second.send(after);
    ASSERT_TRUE(second.wait());
    std::filesystem::remove(missing);
    EXPECT_EQ(server().requestCount(textPath()), 1u);
    EXPECT_EQ(server().requestCount(uploadPath("57")), 4u);
    ASSERT_EQ(second.steps.size(), 2u);
    for (const auto& step : second.steps) EXPECT_NE(step.photo, 0u);
    EXPECT_TRUE(FeedbackSubmission::complete(*second.final));
    {
        std::lock_guard guard(lock);
        EXPECT_EQ(tries, (std::map<int, int>{{8, 1}, {10, 1}, {12, 2}}));
    }
    // The stored photo kept its name; the others went under fresh ones.
    EXPECT_EQ(second.final->photos[0].fileName, after.photos[0].fileName);
    EXPECT_NE(second.final->photos[2].fileName, after.photos[2].fileName);
}

TEST_F(FeedbackAnswerTest, AKeptStateIsDrivenStepByStep) {
    server().respond(uploadPath("91"), 200, "text/plain", "1");
    // As a keeper of submissions would have it after a restart: the text stored, one photo
    // stored, one named and not yet answered.
    auto state = stored("91", {inMemory(6), inMemory(7)});
    state.photos[0].status.outcome = FeedbackOutcome::Succeeded;
    state.photos[0].fileName = "00000000000000000000000000000001.png";
    state.photos[1].fileName = "00000000000000000000000000000002.png";
    EXPECT_FALSE(FeedbackSubmission::needsText(state));
    ASSERT_EQ(FeedbackSubmission::photosLeft(state), std::vector<std::size_t>{1});

    StepCall call;
    FeedbackSubmission::uploadPhoto(state, 1, call.done());
    const FeedbackStep step = call.wait();
    EXPECT_EQ(step.outcome, FeedbackOutcome::Succeeded);
    EXPECT_EQ(step.fileName, "00000000000000000000000000000002.png");  // its name is kept
    auto upload = server().lastRequest(uploadPath("91"));
    ASSERT_EQ(upload.files.size(), 1u);
    EXPECT_EQ(upload.files.begin()->second.name, step.fileName);
    FeedbackSubmission::apply(state, step);
    EXPECT_TRUE(FeedbackSubmission::complete(state));

    // A photo without a name gets a fresh one, and apply keeps it.
    auto unnamed = stored("91", {inMemory(6)});
    StepCall fresh;
    FeedbackSubmission::uploadPhoto(unnamed, 0, fresh.done());
    const FeedbackStep named = fresh.wait();
    EXPECT_TRUE(std::regex_match(named.fileName, std::regex("[0-9A-F]{32}\\.png")));
    FeedbackSubmission::apply(unnamed, named);
    EXPECT_EQ(unnamed.photos[0].fileName, named.fileName);

    // Steps that cannot be made are refused without a request.
    const auto before = server().requestCount(uploadPath("91"));
    StepCall noText, noPhoto, nothing;
    FeedbackSubmission::uploadPhoto(FeedbackSubmission::compose("x", "建议", {inMemory(6)}), 0,
                                    noText.done());
    FeedbackSubmission::uploadPhoto(state, 5, noPhoto.done());
    FeedbackSubmission::uploadPhoto(stored("91", {FeedbackPhoto{}}), 0, nothing.done());
    EXPECT_TRUE(noText.steps.empty() && noPhoto.steps.empty() && nothing.steps.empty());
    for (auto* c : {&noText, &noPhoto, &nothing}) EXPECT_EQ(c->wait().outcome, FeedbackOutcome::Refused);
    EXPECT_EQ(server().requestCount(uploadPath("91")), before);
    FeedbackSubmission::apply(state, noPhoto.steps[0]);  // an index it does not have changes nothing
    EXPECT_TRUE(FeedbackSubmission::complete(state));

    // With nothing left, a round sends nothing and still finishes once, later.
    RoundLog idle;
    idle.send(state);
    EXPECT_EQ(idle.finishes, 0);
    ASSERT_TRUE(idle.wait());
    EXPECT_EQ(idle.finishes, 1);
    EXPECT_TRUE(idle.steps.empty());
    EXPECT_EQ(server().requestCount(uploadPath("91")), before);
}

TEST_F(FeedbackAnswerTest, TheTextCarriesTheIdempotencyKeyOnlyWhenGiven) {
    server().respond(textPath(), 200, "application/json", "\"77\"");
    auto state = FeedbackSubmission::compose("刹车异响", "投诉", {});
    StepCall plain;
    FeedbackSubmission::postText(state, plain.done());
    EXPECT_EQ(plain.wait().outcome, FeedbackOutcome::Succeeded);
    EXPECT_FALSE(server().lastRequest(textPath()).hasHeader("Idempotency-Key"));

    state.idempotencyKey = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
    StepCall keyed;
    FeedbackSubmission::postText(state, keyed.done());
    EXPECT_EQ(keyed.wait().identifier, "77");
    auto sent = server().lastRequest(textPath());
    EXPECT_EQ(sent.header("Idempotency-Key"), state.idempotencyKey);
    EXPECT_EQ(sent.method, "GET");

    // A key that would end the header line early is refused before anything is sent.
    state.idempotencyKey = "k\r\nX-Injected: 1";
    StepCall broken;
    FeedbackSubmission::postText(state, broken.done());
    EXPECT_EQ(broken.wait().outcome, FeedbackOutcome::Refused);
    EXPECT_EQ(server().requestCount(textPath()), 2u);
}

// What no loopback answer can show: a time-out after the status arrived, and requests that
// could never be sent.
TEST(OfficeFailureTest, TransportFailuresWithoutAnAnswerToRead) {
    auto passes = [](const char* domain, long code, long status) {
        OfficeFailure f;
        f.error = Error(domain, code, "x");
        f.statusCode = status;
        return f.mayPassOnRetry();
    };
    EXPECT_TRUE(passes(kURLErrorDomain, URLErrorCode::TimedOut, 200));
    EXPECT_TRUE(passes(kURLErrorDomain, URLErrorCode::CannotConnectToHost, 0));
    EXPECT_FALSE(passes(kURLErrorDomain, URLErrorCode::BadURL, 0));
    EXPECT_FALSE(passes(kURLErrorDomain, URLErrorCode::DataLengthExceedsMaximum, 200));
    EXPECT_FALSE(passes(kRequestSerializationErrorDomain, URLErrorCode::CannotDecodeRawData, 0));
}

}  // namespace
}  // namespace busdesk::test
