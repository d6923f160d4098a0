#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <boost/json.hpp>
#include <mutex>
#include <set>
#include <thread>

#include "net/HTTPRequestOperation.h"
#include "net/JSONResponseSerializer.h"
#include "net/NetworkThread.h"
#include "net/NotificationCenter.h"
#include "net/URLError.h"
#include "platform/Charset.h"
#include "platform/Log.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

namespace json = boost::json;

class OperationTest : public ::testing::Test {
  protected:
    ScriptedServer& server = ScriptedServer::shared();
    std::shared_ptr<HTTPRequestOperationManager> manager = HTTPRequestOperationManager::manager();
    Outcome outcome;

    void get(const std::string& path, const std::optional<json::value>& params = std::nullopt) {
        manager->GET(server.url(path), params, outcome.success(), outcome.failure());
        ASSERT_TRUE(outcome.wait());
        drainMainQueue();
        EXPECT_EQ(outcome.calls(), 1);
        EXPECT_FALSE(outcome.offMainThread);
    }
};

TEST_F(OperationTest, JSONAnswerIsParsedAndQueryIsSent) {
    server.respond("Query/", 200, "application/json", R"([{"Name":"张三","Count":3}])");
    get("Query/", json::parse(R"({"EmpID":"12","starttime":"2024-01-01 08:00"})"));
    ASSERT_EQ(outcome.successes, 1);
    ASSERT_TRUE(outcome.object.json);
    EXPECT_EQ(outcome.object.json->at(0).at("Name").as_string(), "张三");
    EXPECT_EQ(server.lastRequest("Query/").query, "EmpID=12&starttime=2024-01-01%2008%3A00");
    auto seen = server.lastRequest("Query/");
    EXPECT_EQ(seen.method, "GET");
    EXPECT_TRUE(seen.hasHeader("User-Agent"));
    EXPECT_TRUE(seen.hasHeader("Accept-Language"));
    EXPECT_EQ(outcome.operation->responseString(), R"([{"Name":"张三","Count":3}])");
    EXPECT_TRUE(outcome.operation->isFinished());
}

TEST_F(OperationTest, TheSharedAnswerIsTheDeliveredOneAndOutlivesItsOperation) {
    server.respond("Shared/", 200, "application/json", R"([{"ID":"7"}])");
    get("Shared/");
    ASSERT_EQ(outcome.successes, 1);
    auto shared = outcome.operation->sharedResponseObject();
    EXPECT_EQ(shared.get(), &outcome.operation->responseObject());
    // The shared answer holds neither the operation nor its body.
    std::weak_ptr<HTTPRequestOperation> weak = outcome.operation;
    outcome.operation.reset();
    drainMainQueue();
    EXPECT_EQ(shared.use_count(), 1 + (weak.expired() ? 0 : 1));
    ASSERT_TRUE(shared->json);
    EXPECT_EQ(shared->json->at(0).at("ID").as_string(), "7");
}

// A decoded answer whose memory tells on which thread it was freed.
class FreedOnResource : public json::memory_resource {
  public:
    explicit FreedOnResource(std::shared_ptr<std::atomic<std::thread::id>> freedOn)
        : freedOn_(std::move(freedOn)) {}
    ~FreedOnResource() override { *freedOn_ = std::this_thread::get_id(); }

  private:
    void* do_allocate(std::size_t n, std::size_t align) override {
        return ::operator new(n, std::align_val_t(align));
    }
    void do_deallocate(void* p, std::size_t, std::size_t align) override {
        ::operator delete(p, std::align_val_t(align));
    }
    bool do_is_equal(const memory_resource& other) const noexcept override { return this == &other; }
    std::shared_ptr<std::atomic<std::thread::id>> freedOn_;
};

class FreedOnSerializer : public JSONResponseSerializer {
  public:
    std::shared_ptr<std::atomic<std::thread::id>> freedOn = std::make_shared<std::atomic<std::thread::id>>();
    ResponseObject responseObjectForResponse(const std::shared_ptr<const HTTPURLResponse>& response,
                                             const std::string& data,
                                             std::optional<Error>& error) const override {
        ResponseObject object = JSONResponseSerializer::responseObjectForResponse(response, data, error);
        if (object.json)
            object.json.emplace(
                json::value(*object.json, json::make_shared_resource<FreedOnResource>(freedOn)));
        return object;
    }
};

TEST_F(OperationTest, AnAnswerNobodyKeepsIsFreedOffTheMainThreadAndAKeptOneStaysWhole) {
    server.respond("Freed/", 200, "application/json", R"([{"ID":"7"}])");
    const auto mainThread = std::this_thread::get_id();

    // Nothing keeps the operation after its callback: its answer goes on the processing queue.
    auto dropped = std::make_shared<FreedOnSerializer>();
    manager->setResponseSerializer(dropped);
    int delivered = 0;
    manager->GET(
        server.url("Freed/"), std::nullopt,
        [&](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject& object) {
            delivered += object.json && object.json->at(0).at("ID") == "7" ? 1 : 100;
        },
        outcome.failure());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return *dropped->freedOn != std::thread::id(); }));
    EXPECT_EQ(delivered, 1);
    EXPECT_NE(dropped->freedOn->load(), mainThread);

    // A caller that keeps the operation keeps its body and answer; they go once it lets go (on
    // whichever thread drops the last reference: the processing job may still hold one).
    auto kept = std::make_shared<FreedOnSerializer>();
    manager->setResponseSerializer(kept);
    manager->GET(server.url("Freed/"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    drainMainQueue();
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.operation->responseData(), R"([{"ID":"7"}])");
    ASSERT_TRUE(outcome.operation->responseObject().json);
    EXPECT_EQ(kept->freedOn->load(), std::thread::id());
    outcome.operation.reset();
    outcome.object = ResponseObject();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return *kept->freedOn != std::thread::id(); }));
}

TEST_F(OperationTest, TextHtmlIsAcceptedButTextPlainIsNotParsed) {
    server.respond("html", 200, "text/html", R"({"a":1})");
    get("html");
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.object.json->at("a").as_int64(), 1);

    Outcome plain;
    server.respond("plain", 200, "text/plain", R"({"a":1})");
    manager->GET(server.url("plain"), std::nullopt, plain.success(), plain.failure());
    ASSERT_TRUE(plain.wait());
    ASSERT_EQ(plain.failures, 1);
    EXPECT_EQ(plain.error->domain, kURLResponseSerializationErrorDomain);
    EXPECT_EQ(plain.error->code, -1016);
    EXPECT_EQ(plain.error->description, "Request failed: unacceptable content-type: text/plain");
    EXPECT_FALSE(plain.operation->responseObject().json);  // body not parsed
    ASSERT_TRUE(plain.error->info<std::string>(kNetworkingOperationFailingURLResponseDataErrorKey));
    EXPECT_EQ(*plain.error->info<std::string>(kNetworkingOperationFailingURLResponseDataErrorKey),
              R"({"a":1})");
    EXPECT_TRUE(plain.error->info<std::shared_ptr<const HTTPURLResponse>>(
        kNetworkingOperationFailingURLResponseErrorKey));
}

TEST_F(OperationTest, ServerErrorFailsWithStatusErrorAfterParsing) {
    server.respond("boom", 500, "application/json", R"({"FailReason":"x"})");
    get("boom");
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, -1011);
    EXPECT_EQ(outcome.error->domain, kURLResponseSerializationErrorDomain);
    EXPECT_EQ(outcome.error->description, "Request failed: internal server error (500)");
    EXPECT_EQ(outcome.error->infoString(kErrorFailingURLKey), server.url("boom"));
    // The body was still parsed.
    ASSERT_TRUE(outcome.operation->responseObject().json);
    EXPECT_EQ(outcome.operation->responseObject().json->at("FailReason").as_string(), "x");
}

TEST_F(OperationTest, StatusErrorWithWrongContentTypeCarriesBothErrors) {
    server.respond("both", 404, "text/plain", "missing");
    get("both");
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, -1011);
    ASSERT_TRUE(outcome.error->underlying);
    EXPECT_EQ(outcome.error->underlying->code, -1016);
}

TEST_F(OperationTest, EmptyAndSingleSpaceBodiesSucceedWithoutObject) {
    for (const char* body : {"", " "}) {
        Outcome o;
        server.respond("blank", 200, "application/json", body);
        manager->GET(server.url("blank"), std::nullopt, o.success(), o.failure());
        ASSERT_TRUE(o.wait());
        EXPECT_EQ(o.successes, 1) << "body '" << body << "'";
        EXPECT_FALSE(o.object.json);
    }
    // An empty body under a wrong content type is not an error either.
    Outcome o;
    server.respond("blank-plain", 200, "text/plain", "");
    manager->GET(server.url("blank-plain"), std::nullopt, o.success(), o.failure());
    ASSERT_TRUE(o.wait());
    EXPECT_EQ(o.successes, 1);
}

TEST_F(OperationTest, GBKBodyIsDecodedForStringAndBeforeParsing) {
    auto gbk = Charset::encodeFromUTF8(R"({"Name":"李四"})", "GBK");
    ASSERT_TRUE(gbk);
    server.respond("gbk", 200, "application/json; charset=GBK", *gbk);
    get("gbk");
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.object.json->at("Name").as_string(), "李四");
    EXPECT_EQ(outcome.operation->responseString(), R"({"Name":"李四"})");
    EXPECT_EQ(outcome.operation->responseStringEncoding(), "GBK");
}

TEST_F(OperationTest, UndecodableAndMalformedBodies) {
    // Invalid UTF-8: decodes to nothing, which is success without object.
    server.respond("bad-utf8", 200, "application/json", "[\"\xC3\x28\"]");
    get("bad-utf8");
    EXPECT_EQ(outcome.successes, 1);
    EXPECT_FALSE(outcome.object.json);
    EXPECT_FALSE(outcome.operation->responseString());

    Outcome o;
    server.respond("broken", 200, "application/json", "[1,2");
    manager->GET(server.url("broken"), std::nullopt, o.success(), o.failure());
    ASSERT_TRUE(o.wait());
    ASSERT_EQ(o.failures, 1);
    EXPECT_EQ(o.error->domain, "NSCocoaErrorDomain");
    EXPECT_EQ(o.error->code, 3840);

    // A bare scalar is not an acceptable top level; a 500 with it carries the status error below.
    Outcome s;
    server.respond("scalar", 500, "application/json", "\"text\"");
    manager->GET(server.url("scalar"), std::nullopt, s.success(), s.failure());
    ASSERT_TRUE(s.wait());
    ASSERT_EQ(s.failures, 1);
    EXPECT_EQ(s.error->code, 3840);
    ASSERT_TRUE(s.error->underlying);
    EXPECT_EQ(s.error->underlying->code, -1011);
}

TEST_F(OperationTest, RawSerializerPassesAnyContentTypeAndKeepsBytes) {
    manager->setResponseSerializer(HTTPResponseSerializer::serializer());
    server.respond("logo", 200, "text/plain; charset=utf-8", "http://x/logo.png\r\n");
    get("logo");
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_FALSE(outcome.object.json);
    EXPECT_EQ(outcome.object.data, "http://x/logo.png\r\n");
    EXPECT_EQ(outcome.operation->responseString(), "http://x/logo.png\r\n");
}

TEST_F(OperationTest, InvalidURLFailsOnMainQueueWithoutOperation) {
    auto op =
        manager->GET("http://127.0.0.1:1/has space/", std::nullopt, outcome.success(), outcome.failure());
    EXPECT_EQ(op, nullptr);
    EXPECT_EQ(outcome.calls(), 0);  // not synchronously
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.operation, nullptr);
    EXPECT_EQ(outcome.error->code, URLErrorCode::BadURL);
}

TEST_F(OperationTest, CustomQuerySerializationErrorFailsTheBuild) {
    manager->requestSerializer()->setQueryStringSerializationWithBlock(
        [](const URLRequest&, const json::value&, std::optional<Error>& error) {
            error = Error("test", 7, "nope");
            return std::string();
        });
    auto op = manager->GET(server.url("x"), json::object{{"a", 1}}, outcome.success(), outcome.failure());
    EXPECT_EQ(op, nullptr);
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.error->code, 7);
    EXPECT_EQ(server.requestCount("x"), 0u);
}

TEST_F(OperationTest, TimeOutWhenTheServerNeverAnswers) {
    server.hold("slow");
    manager->requestSerializer()->timeoutInterval = 0.3;
    manager->GET(server.url("slow"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->domain, kURLErrorDomain);
    EXPECT_EQ(outcome.error->code, URLErrorCode::TimedOut);
    server.releaseHeld();
    drainMainQueue();
    EXPECT_EQ(outcome.calls(), 1);
}

TEST_F(OperationTest, DefaultTimeoutIsSixtySecondsAndNotCopiedUntilSet) {
    auto request = manager->requestSerializer()->requestWithMethod("GET", server.url("x"), std::nullopt);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->timeoutInterval, 60.0);
    EXPECT_FALSE(manager->requestSerializer()->timeoutInterval);
}

// Headers at once, then a byte every 50 ms for ten seconds: never silent long enough for the
// silence time-out, so only the overall deadline ends it.
TEST_F(OperationTest, ATricklingAnswerEndsAtTheOverallDeadlineInOneCallback) {
    auto sent = std::make_shared<std::atomic<int>>(0);
    server.on("trickle", [sent](const httplib::Request&, httplib::Response& res) {
        // A type the server does not compress: a compressor would hold the bytes back.
        res.set_chunked_content_provider("application/octet-stream", [sent](size_t, httplib::DataSink& sink) {
            if (sent->load() >= 200) {
                sink.done();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the server's pace, not the test's
            ++*sent;
            return sink.write(" ", 1);
        });
    });
    manager->requestSerializer()->timeoutInterval = 0.3;
    manager->requestSerializer()->deadlineInterval = 0.8;
    const auto start = std::chrono::steady_clock::now();
    manager->GET(server.url("trickle"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait(std::chrono::milliseconds(5000)));
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->domain, kURLErrorDomain);
    EXPECT_EQ(outcome.error->code, URLErrorCode::TimedOut);
    EXPECT_GE(sent->load(), 8);  // bytes kept coming: this was no silence
    EXPECT_GE(took, std::chrono::milliseconds(700));
    drainMainQueue();
    EXPECT_EQ(outcome.calls(), 1);
}

// The silence time-out counts progress the client can use: whole header lines and body bytes. A
// head that dribbles in a byte at a time without ever finishing a line is silence, and ends at
// the silence time-out rather than holding the request to the overall deadline.
TEST_F(OperationTest, HeaderBytesThatNeverFinishALineAreSilence) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    auto sent = std::make_shared<std::atomic<int>>(0);
    auto stop = std::make_shared<std::atomic<bool>>(false);
    std::thread trickler([listener, sent, stop] {
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0) return;
        char request[4096];
        (void)::recv(connection, request, sizeof request, 0);
        const std::string head = "HTTP/1.1 200 OK\r\nX-Slow: ";
        (void)::send(connection, head.data(), head.size(), MSG_NOSIGNAL);
        // A byte every 50 ms, for at most three seconds; the line is never finished.
        for (int i = 0; i < 60 && !stop->load(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the server's pace, not the test's
            if (::send(connection, "a", 1, MSG_NOSIGNAL) != 1) break;
            ++*sent;
        }
        ::close(connection);
    });
    manager->requestSerializer()->timeoutInterval = 0.3;
    manager->requestSerializer()->deadlineInterval = 10;
    const auto start = std::chrono::steady_clock::now();
    manager->GET("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/slowhead", std::nullopt,
                 outcome.success(), outcome.failure());
    const bool ended = outcome.wait(std::chrono::milliseconds(5000));
    const auto took = std::chrono::steady_clock::now() - start;
    stop->store(true);
    trickler.join();
    ::close(listener);
    ASSERT_TRUE(ended);
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, URLErrorCode::TimedOut);
    EXPECT_GE(sent->load(), 3);  // bytes kept coming all along
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    drainMainQueue();
    EXPECT_EQ(outcome.calls(), 1);
}

TEST_F(OperationTest, DeadlineIsTwoMinutesByDefaultAndNeverShorterThanTheSilenceTimeOut) {
    auto request = manager->requestSerializer()->requestWithMethod("GET", server.url("x"), std::nullopt);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->deadlineInterval, 120.0);
    manager->requestSerializer()->deadlineInterval = 0.05;
    manager->requestSerializer()->timeoutInterval = 5;
    // A held answer released after the deadline but within the silence time-out still succeeds.
    server.hold("slowdeadline");
    manager->GET(server.url("slowdeadline"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return server.heldCount("slowdeadline") == 1; },
                                         std::chrono::seconds(5)));
    EXPECT_FALSE(outcome.wait(std::chrono::milliseconds(300)));
    server.releaseHeld();
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.successes, 1);
}

// Headless mode points the time-outs at the run loop's virtual clock: advancing it past the
// silence time-out fails a request to a silent server, with no real minute spent.
TEST_F(OperationTest, TimeOutsFollowTheVirtualClockWhenToldTo) {
    struct Restore {
        std::shared_ptr<Clock> clock = RunLoop::main().clock();
        ~Restore() {
            NetworkThread::shared().setTimeoutClock(nullptr);
            RunLoop::main().setClock(clock);
        }
    } restore;
    auto virtualClock = std::make_shared<ManualClock>();
    RunLoop::main().setClock(virtualClock);
    NetworkThread::shared().setTimeoutClock(virtualClock);
    server.hold("virtual");
    manager->GET(server.url("virtual"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(
        RunLoop::main().runUntil([&] { return server.heldCount("virtual") == 1; }, std::chrono::seconds(5)));
    RunLoop::main().advance(std::chrono::seconds(59));
    EXPECT_FALSE(outcome.wait(std::chrono::milliseconds(300)));
    RunLoop::main().advance(std::chrono::seconds(2));
    ASSERT_TRUE(outcome.wait(std::chrono::milliseconds(3000)));
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, URLErrorCode::TimedOut);
    server.releaseHeld();
    drainMainQueue();
    EXPECT_EQ(outcome.calls(), 1);
}

TEST_F(OperationTest, SlowAnswerWithinTheTimeoutSucceeds) {
    server.hold("slowok");
    manager->requestSerializer()->timeoutInterval = 5;
    manager->GET(server.url("slowok"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(
        RunLoop::main().runUntil([&] { return server.heldCount("slowok") == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(outcome.calls(), 0);
    server.releaseHeld();
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.object.json->at(0).as_string(), "late");
}

TEST_F(OperationTest, DroppedConnectionMidBodyFails) {
    server.dropMidBody("drop", 1000, 400);
    get("drop");
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->domain, kURLErrorDomain);
    EXPECT_EQ(outcome.error->code, URLErrorCode::NetworkConnectionLost);
}

TEST_F(OperationTest, ConnectionRefusedFails) {
    int port;
    {
        ScriptedServer gone;
        port = gone.port();
    }
    manager->GET("http://127.0.0.1:" + std::to_string(port) + "/x", std::nullopt, outcome.success(),
                 outcome.failure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, URLErrorCode::CannotConnectToHost);
}

TEST_F(OperationTest, RedirectsAreFollowed) {
    server.redirect("old", "/new");
    server.respond("new", 200, "application/json", "[42]");
    get("old");
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.object.json->at(0).as_int64(), 42);
    EXPECT_EQ(outcome.operation->response()->URL, server.url("new"));
    EXPECT_EQ(server.requestCount("old"), 1u);
    EXPECT_EQ(server.requestCount("new"), 1u);
}

TEST_F(OperationTest, BodyAboveTheLimitFailsClearly) {
    server.respond("big", 200, "application/json", "[" + std::string(5000, ' ') + "]");
    auto request = manager->requestSerializer()->requestWithMethod("GET", server.url("big"), std::nullopt);
    auto op = manager->HTTPRequestOperationWithRequest(*request, outcome.success(), outcome.failure());
    op->maximumResponseDataLength = 4096;
    manager->operationQueue().addOperation(op);
    ASSERT_TRUE(outcome.wait());
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, URLErrorCode::DataLengthExceedsMaximum);
    EXPECT_NE(outcome.error->description.find("4096"), std::string::npos);
    EXPECT_EQ(URLConnectionOperation::kDefaultMaximumResponseDataLength, 64u * 1024u * 1024u);
}

TEST_F(OperationTest, CancelRunningFailsOnceWithCancelledCode) {
    server.hold("held");
    auto op = manager->GET(server.url("held"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(
        RunLoop::main().runUntil([&] { return server.heldCount("held") == 1; }, std::chrono::seconds(5)));
    op->cancel();
    op->cancel();
    ASSERT_TRUE(outcome.wait());
    server.releaseHeld();
    drainMainQueue();
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.successes, 0);
    EXPECT_EQ(outcome.error->code, URLErrorCode::Cancelled);
    EXPECT_EQ(outcome.error->domain, kURLErrorDomain);
    EXPECT_EQ(outcome.error->infoString(kErrorFailingURLKey), server.url("held"));
    EXPECT_TRUE(op->isCancelled());
    EXPECT_TRUE(op->isFinished());
}

TEST_F(OperationTest, CancelFinishedDoesNothing) {
    server.respond("done", 200, "application/json", "[]");
    auto op = manager->GET(server.url("done"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    op->cancel();
    drainMainQueue();
    EXPECT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_FALSE(op->isCancelled());
    EXPECT_FALSE(op->error());
}

TEST_F(OperationTest, CancelAfterTheAnswerArrivedButBeforeItsDeliveryFailsInsteadOfSucceeding) {
    server.respond("arrived", 200, "application/json", "[1]");
    // The delivery is held back here, as when the main thread is busy while the answer comes in.
    std::mutex held;
    std::vector<std::function<void()>> deliveries;
    manager->completionQueue = [&](std::function<void()> job) {
        std::lock_guard lock(held);
        deliveries.push_back(std::move(job));
    };
    auto op = manager->GET(server.url("arrived"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            std::lock_guard lock(held);
            return !deliveries.empty();
        },
        std::chrono::seconds(5)));
    EXPECT_TRUE(op->isFinished());
    op->cancel();
    std::vector<std::function<void()>> jobs;
    {
        std::lock_guard lock(held);
        jobs = std::move(deliveries);
    }
    for (auto& job : jobs) job();
    drainMainQueue();
    EXPECT_EQ(outcome.successes, 0);
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, URLErrorCode::Cancelled);
    EXPECT_TRUE(op->isCancelled());
}

TEST_F(OperationTest, CancelBeforeStartFailsWhenStartedAndNeverConnects) {
    server.respond("never", 200, "application/json", "[]");
    auto request = manager->requestSerializer()->requestWithMethod("GET", server.url("never"), std::nullopt);
    auto op = manager->HTTPRequestOperationWithRequest(*request, outcome.success(), outcome.failure());
    EXPECT_TRUE(op->isReady());
    op->cancel();
    op->start();
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->code, URLErrorCode::Cancelled);
    EXPECT_EQ(server.requestCount("never"), 0u);
    op->start();  // finished: no restart
    drainMainQueue();
    EXPECT_EQ(outcome.calls(), 1);
}

TEST_F(OperationTest, WithoutObserversTheMainThreadIsWokenOnlyForTheCallback) {
    server.respond("quiet", 200, "application/json", "[]");
    drainMainQueue();
    std::atomic<int> wakeUps{0};
    RunLoop::main().setWakeupHandler([&] { ++wakeUps; });
    manager->GET(server.url("quiet"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    drainMainQueue();
    // The poster calls the handler after queueing, so the loop may run the job before the count
    // moves: wait for the count, then for anything late.
    RunLoop::main().runUntil([&] { return wakeUps.load() > 0; }, std::chrono::seconds(5));
    drainMainQueue();
    RunLoop::main().setWakeupHandler({});
    EXPECT_EQ(outcome.successes, 1);
    EXPECT_EQ(wakeUps.load(), 1);
}

TEST_F(OperationTest, StartAndFinishNotificationsOnMainAndStatesInOrder) {
    server.respond("n", 200, "application/json", "[]");
    std::vector<std::string> seen;
    auto& center = NotificationCenter::defaultCenter();
    auto t1 = center.addObserver(kNetworkingOperationDidStartNotification, [&](const Notification&) {
        EXPECT_TRUE(RunLoop::main().isOwnerThread());
        seen.push_back("start");
    });
    auto t2 = center.addObserver(kNetworkingOperationDidFinishNotification, [&](const Notification&) {
        EXPECT_TRUE(RunLoop::main().isOwnerThread());
        seen.push_back("finish");
    });
    auto request = manager->requestSerializer()->requestWithMethod("GET", server.url("n"), std::nullopt);
    auto op = manager->HTTPRequestOperationWithRequest(*request, outcome.success(), outcome.failure());
    std::vector<std::string> keys;
    std::mutex keysMutex;
    op->setStateObserver([&](const std::string& key) {
        std::lock_guard lock(keysMutex);
        keys.push_back(key);
    });
    op->start();
    ASSERT_TRUE(outcome.wait());
    drainMainQueue();
    center.removeObserver(t1);
    center.removeObserver(t2);
    EXPECT_EQ(seen, (std::vector<std::string>{"start", "finish"}));
    std::lock_guard lock(keysMutex);
    EXPECT_EQ(keys, (std::vector<std::string>{"isReady", "isExecuting", "isExecuting", "isFinished"}));
}

TEST_F(OperationTest, DownloadProgressIsReportedOnMain) {
    std::string body = "[" + std::string(100000, ' ') + "]";
    server.respond("p", 200, "application/json", body);
    auto request = manager->requestSerializer()->requestWithMethod("GET", server.url("p"), std::nullopt);
    auto op = manager->HTTPRequestOperationWithRequest(*request, outcome.success(), outcome.failure());
    std::uint64_t last = 0;
    bool onMain = true;
    op->setDownloadProgressBlock([&](std::uint64_t, std::uint64_t total, std::int64_t) {
        onMain = onMain && RunLoop::main().isOwnerThread();
        last = total;
    });
    op->start();
    ASSERT_TRUE(outcome.wait());
    drainMainQueue();
    EXPECT_TRUE(onMain);
    EXPECT_EQ(last, body.size());
}

TEST_F(OperationTest, ConnectionsAreReused) {
    server.respond("r", 200, "application/json", "[]");
    get("r");
    Outcome second;
    manager->GET(server.url("r"), std::nullopt, second.success(), second.failure());
    ASSERT_TRUE(second.wait());
    auto requests = server.requests("r");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].remotePort, requests[1].remotePort);
}

TEST_F(OperationTest, TwoHundredRequestsInFlightEachAnsweredOnceOnMain) {
    server.on("many", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("[" + req.get_param_value("i") + "]", "application/json");
    });
    constexpr int kCount = 200;
    std::vector<int> calls(kCount, 0);
    std::vector<int> values(kCount, -1);
    std::atomic<bool> offMain{false};
    int done = 0;
    for (int i = 0; i < kCount; ++i) {
        // A fresh manager per call, as the services do; the manager is dropped at once.
        HTTPRequestOperationManager::manager()->GET(
            server.url("many"), json::object{{"i", i}},
            [&, i](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject& obj) {
                if (!RunLoop::main().isOwnerThread()) offMain = true;
                ++calls[i];
                values[i] = static_cast<int>(obj.json->at(0).as_int64());
                ++done;
            },
            [&, i](const std::shared_ptr<HTTPRequestOperation>&, const Error&) {
                ++calls[i];
                ++done;
            });
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done >= kCount; }, std::chrono::seconds(60)));
    drainMainQueue();
    EXPECT_FALSE(offMain);
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(calls[i], 1) << i;
        EXPECT_EQ(values[i], i) << i;
    }
    EXPECT_EQ(NetworkThread::threadsStarted(), 1);
    EXPECT_EQ(RunLoop::main().workCount(), 0);
}

TEST_F(OperationTest, HeadAndOtherVerbs) {
    server.respond("v", 200, "application/json", "{}");
    bool headOK = false;
    manager->HEAD(
        server.url("v"), json::object{{"a", 1}},
        [&](const std::shared_ptr<HTTPRequestOperation>&) { headOK = true; }, outcome.failure());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return headOK || outcome.calls() > 0; }));
    EXPECT_TRUE(headOK);
    EXPECT_EQ(server.lastRequest("v").method, "HEAD");
    EXPECT_EQ(server.lastRequest("v").query, "a=1");

    for (std::string verb : {"POST", "PUT", "PATCH", "DELETE"}) {
        Outcome o;
        json::object params{{"Password", "a b&c"}, {"CardID", "007"}};
        if (verb == "POST") manager->POST(server.url("v"), params, o.success(), o.failure());
        if (verb == "PUT") manager->PUT(server.url("v"), params, o.success(), o.failure());
        if (verb == "PATCH") manager->PATCH(server.url("v"), params, o.success(), o.failure());
        if (verb == "DELETE") manager->DELETE(server.url("v"), params, o.success(), o.failure());
        ASSERT_TRUE(o.wait());
        EXPECT_EQ(o.successes, 1) << verb;
        auto seen = server.lastRequest("v");
        EXPECT_EQ(seen.method, verb);
        if (verb == "DELETE") {
            EXPECT_EQ(seen.query, "CardID=007&Password=a%20b%26c");
            EXPECT_TRUE(seen.body.empty());
        } else {
            EXPECT_EQ(seen.body, "CardID=007&Password=a%20b%26c") << verb;
            EXPECT_EQ(seen.header("Content-Type"), "application/x-www-form-urlencoded");
            EXPECT_TRUE(seen.query.empty());
        }
    }
}

TEST_F(OperationTest, PostWithoutParametersHasNoContentType) {
    server.respond("empty-post", 200, "application/json", "{}");
    manager->POST(server.url("empty-post"), std::nullopt, outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.successes, 1);
    EXPECT_FALSE(server.lastRequest("empty-post").hasHeader("Content-Type"));
    EXPECT_TRUE(server.lastRequest("empty-post").body.empty());
}

TEST_F(OperationTest, LogLineMasksPasswords) {
    std::vector<std::string> lines;
    auto previous = Log::setSink([&](const std::string& line) { lines.push_back(line); });
    server.respond("User_Login/", 200, "application/json", "{}");
    get("User_Login/",
        json::object{{"CardID", "007"}, {"Password", "secret"}, {"NewPassword", "n"}, {"OldPassword", "o"}});
    Log::setSink(previous);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "last url == " + server.url("User_Login/") +
                                 "?CardID=007&NewPassword=***&OldPassword=***&Password=***");
    // The request itself still carries the real values.
    EXPECT_EQ(server.lastRequest("User_Login/").query,
              "CardID=007&NewPassword=n&OldPassword=o&Password=secret");
}

TEST_F(OperationTest, CompletionGroupAndQueueAreHonoured) {
    server.respond("g", 200, "application/json", "[]");
    auto group = std::make_shared<DispatchGroup>();
    manager->completionGroup = group;
    std::atomic<int> viaQueue{0};
    manager->completionQueue = [&](std::function<void()> job) {
        ++viaQueue;
        dispatchMain(std::move(job));
    };
    bool notified = false;
    get("g");
    group->notify([&] { notified = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return notified; }));
    EXPECT_EQ(viaQueue.load(), 1);
}

}  // namespace
}  // namespace busdesk::test
