#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <regex>

#include "net/HTTPRequestOperationManager.h"
#include "net/HTTPRequestSerializer.h"
#include "net/StreamingMultipartFormData.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

namespace json = boost::json;

const std::string CRLF = "\r\n";

std::string readAll(InputStream& stream, std::size_t chunk) {
    stream.open();
    std::string out;
    std::vector<std::uint8_t> buffer(chunk);
    for (int guard = 0; guard < 10'000'000; ++guard) {
        long n = stream.read(buffer.data(), buffer.size());
        if (n < 0) {
            ADD_FAILURE() << "read failed";
            break;
        }
        if (n == 0) break;
        out.append(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(n));
    }
    stream.close();
    return out;
}

std::string bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + 7) % 256);
    return s;
}

URLRequest multipart(const std::optional<json::value>& params,
                     const std::function<void(StreamingMultipartFormData&)>& block,
                     std::string* boundary = nullptr) {
    HTTPRequestSerializer serializer;
    auto request = serializer.multipartFormRequestWithMethod(
        "POST", "http://127.0.0.1/OfficeServiceQ/Upload/", params, [&](StreamingMultipartFormData& form) {
            if (boundary) *boundary = form.boundary();
            if (block) block(form);
        });
    EXPECT_TRUE(request);
    return *request;
}

TEST(Multipart, OnePhotoPartIsExact) {
    std::string B;
    std::string photo = bytes(1000);
    auto request = multipart(
        std::nullopt,
        [&](StreamingMultipartFormData& form) {
            form.appendPartWithFileData(photo, "1.jpg", "pic", "application/octet-stream");
        },
        &B);
    EXPECT_TRUE(std::regex_match(B, std::regex("Boundary\\+[0-9A-F]{16}")));
    std::string expected =
        "--" + B + CRLF + "Content-Disposition: form-data; name=\"1.jpg\"; filename=\"pic\"" + CRLF +
        "Content-Type: application/octet-stream" + CRLF + CRLF + photo + CRLF + "--" + B + "--" + CRLF;
    ASSERT_TRUE(request.HTTPBodyStream);
    EXPECT_EQ(readAll(*request.HTTPBodyStream, 65536), expected);
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Length"), std::to_string(expected.size()));
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Type"), "multipart/form-data; boundary=" + B);
    EXPECT_FALSE(request.HTTPBody);
    EXPECT_EQ(request.URL, "http://127.0.0.1/OfficeServiceQ/Upload/");  // no query
}

TEST(Multipart, ParametersFirstSortedThenPartsInOrderAnyReadSize) {
    std::string B;
    auto request = multipart(
        json::parse(R"({"b":"二","a":null,"c":[1,2]})"),
        [&](StreamingMultipartFormData& form) {
            form.appendPartWithFileData(bytes(70000), "1.jpg", "pic", "application/octet-stream");
            form.appendPartWithFileData(bytes(3), "2.jpg", "pic", "application/octet-stream");
        },
        &B);
    auto text = [&](const std::string& name, const std::string& value, bool first) {
        return (first ? "" : CRLF) + "--" + B + CRLF + "Content-Disposition: form-data; name=\"" + name +
               "\"" + CRLF + CRLF + value;
    };
    auto file = [&](const std::string& name, const std::string& content) {
        return CRLF + "--" + B + CRLF + "Content-Disposition: form-data; name=\"" + name +
               "\"; filename=\"pic\"" + CRLF + "Content-Type: application/octet-stream" + CRLF + CRLF +
               content;
    };
    std::string expected = text("a", "", true) + text("b", "二", false) + text("c[]", "1", false) +
                           text("c[]", "2", false) + file("1.jpg", bytes(70000)) + file("2.jpg", bytes(3)) +
                           CRLF + "--" + B + "--" + CRLF;
    std::string one = readAll(*request.HTTPBodyStream, 1);
    std::string big = readAll(*request.HTTPBodyStream, 65536);
    std::string odd = readAll(*request.HTTPBodyStream, 7);
    EXPECT_EQ(one, expected);
    EXPECT_EQ(big, expected);
    EXPECT_EQ(odd, expected);
    auto stream = std::dynamic_pointer_cast<MultipartBodyStream>(request.HTTPBodyStream);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->contentLength(), expected.size());
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Length"), std::to_string(expected.size()));
}

TEST(Multipart, NothingAppendedLeavesNoBody) {
    auto request = multipart(std::nullopt, nullptr);
    EXPECT_FALSE(request.HTTPBodyStream);
    EXPECT_FALSE(request.HTTPBody);
    EXPECT_FALSE(request.valueForHTTPHeaderField("Content-Type"));
    EXPECT_FALSE(request.valueForHTTPHeaderField("Content-Length"));
}

TEST(Multipart, LengthFormulaForASinglePart) {
    StreamingMultipartFormData form(URLRequest{}, "UTF-8");
    form.appendPartWithHeaders({{"X", "y"}}, std::string(10, 'z'));
    auto request = form.requestByFinalizingMultipartFormData();
    const std::size_t H = std::string("X: y\r\n\r\n").size();
    EXPECT_EQ(form.bodyStream()->contentLength(), 2 + 25 + 2 + H + 10 + 2 + 2 + 25 + 2 + 2);
}

TEST(Multipart, ThrottlingLimitsEachRead) {
    StreamingMultipartFormData form(URLRequest{}, "UTF-8");
    form.appendPartWithFormData(std::string(100, 'a'), "f");
    form.throttleBandwidthWithPacketSize(10, 0);
    form.requestByFinalizingMultipartFormData();
    auto& stream = *form.bodyStream();
    stream.open();
    std::uint8_t buffer[64];
    long n;
    std::size_t total = 0;
    while ((n = stream.read(buffer, sizeof buffer)) > 0) {
        EXPECT_LE(n, 10);
        total += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(total, stream.contentLength());
}

TEST(Multipart, FilePartsAndAMissingFile) {
    std::string path = std::string(BUSDESK_BINARY_DIR) + "/net-multipart-test.jpg";
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes(5000);
    }
    std::string B;
    Error error;
    bool missingOK = true;
    auto request = multipart(
        std::nullopt,
        [&](StreamingMultipartFormData& form) {
            EXPECT_TRUE(form.appendPartWithFileURL(path, "photo"));
            missingOK = form.appendPartWithFileURL(path + ".missing", "nope", &error);
        },
        &B);
    EXPECT_FALSE(missingOK);
    EXPECT_FALSE(error.description.empty());
    std::string body = readAll(*request.HTTPBodyStream, 999);
    EXPECT_NE(
        body.find("filename=\"net-multipart-test.jpg\"\r\nContent-Type: image/jpeg\r\n\r\n" + bytes(5000)),
        std::string::npos);
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Length"), std::to_string(body.size()));
    std::remove(path.c_str());
}

// Gives `good` bytes, then fails.
class FailingStream : public InputStream {
  public:
    explicit FailingStream(std::size_t good) : good_(good) {}
    void open() override {
        status_ = StreamStatus::Open;
        sent_ = 0;
    }
    void close() override { status_ = StreamStatus::Closed; }
    long read(std::uint8_t* buffer, std::size_t max) override {
        if (sent_ >= good_) {
            fail(Error("test.stream", 42, "the disk went away"));
            return -1;
        }
        std::size_t n = std::min(max, good_ - sent_);
        std::fill(buffer, buffer + n, 'x');
        sent_ += n;
        return static_cast<long>(n);
    }
    bool hasBytesAvailable() const override { return status_ == StreamStatus::Open; }

  private:
    std::size_t good_, sent_ = 0;
};

TEST(Multipart, FailingAndShortPartStreamsStopTheBody) {
    StreamingMultipartFormData form(URLRequest{}, "UTF-8");
    form.appendPartWithInputStream(std::make_shared<FailingStream>(100), "f", "f.bin", 1000,
                                   "application/octet-stream");
    form.requestByFinalizingMultipartFormData();
    auto& stream = *form.bodyStream();
    stream.open();
    std::uint8_t buffer[4096];
    long n;
    while ((n = stream.read(buffer, sizeof buffer)) > 0) {
    }
    EXPECT_EQ(n, -1);
    ASSERT_TRUE(stream.streamError());
    EXPECT_EQ(stream.streamError()->code, 42);

    // A stream that ends before its announced length must not leave the server waiting.
    StreamingMultipartFormData shortForm(URLRequest{}, "UTF-8");
    shortForm.appendPartWithInputStream(
        std::make_shared<DataInputStream>(std::make_shared<std::string>("abc")), "f", "f.bin", 10,
        "application/octet-stream");
    shortForm.requestByFinalizingMultipartFormData();
    auto& s2 = *shortForm.bodyStream();
    s2.open();
    while ((n = s2.read(buffer, sizeof buffer)) > 0) {
    }
    EXPECT_EQ(n, -1);
}

class MultipartUploadTest : public ::testing::Test {
  protected:
    ScriptedServer& server = ScriptedServer::shared();
    std::shared_ptr<HTTPRequestOperationManager> manager = HTTPRequestOperationManager::manager();
    Outcome outcome;
};

TEST_F(MultipartUploadTest, ServerReceivesThePartsAndTheAnnouncedLength) {
    server.respond("upload-ok", 200, "text/plain", "OK");
    manager->setResponseSerializer(HTTPResponseSerializer::serializer());
    std::string photo1 = bytes(300000), photo2 = bytes(1234);
    std::uint64_t sent = 0;
    // Built by hand so the progress block is in place before the transfer can start.
    auto request = manager->requestSerializer()->multipartFormRequestWithMethod(
        "POST", server.url("upload-ok"), json::object{{"EmpID", "12"}, {"Content", "车门 坏了"}},
        [&](StreamingMultipartFormData& form) {
            form.appendPartWithFileData(photo1, "1.jpg", "pic", "application/octet-stream");
            form.appendPartWithFileData(photo2, "2.jpg", "pic", "application/octet-stream");
        });
    ASSERT_TRUE(request);
    auto op = manager->HTTPRequestOperationWithRequest(*request, outcome.success(), outcome.failure());
    ASSERT_TRUE(op);
    op->setUploadProgressBlock([&](std::uint64_t, std::uint64_t total, std::int64_t) { sent = total; });
    manager->operationQueue().addOperation(op);
    ASSERT_TRUE(outcome.wait());
    drainMainQueue();
    ASSERT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.operation->responseString(), "OK");
    auto seen = server.lastRequest("upload-ok");
    EXPECT_EQ(seen.header("Content-Length"), op->request().valueForHTTPHeaderField("Content-Length"));
    ASSERT_EQ(seen.files.count("1.jpg"), 1u);
    EXPECT_EQ(seen.files.find("1.jpg")->second.content, photo1);
    EXPECT_EQ(seen.files.find("1.jpg")->second.filename, "pic");
    EXPECT_EQ(seen.files.find("1.jpg")->second.content_type, "application/octet-stream");
    EXPECT_EQ(seen.files.find("2.jpg")->second.content, photo2);
    EXPECT_EQ(seen.files.find("Content")->second.content, "车门 坏了");
    EXPECT_EQ(seen.files.find("EmpID")->second.content, "12");
    EXPECT_EQ(std::to_string(sent), seen.header("Content-Length"));
}

TEST_F(MultipartUploadTest, FailingPartStreamFailsTheRequest) {
    server.respond("upload-fail", 200, "application/json", "{}");
    manager->POST(
        server.url("upload-fail"), std::nullopt,
        [&](StreamingMultipartFormData& form) {
            form.appendPartWithInputStream(std::make_shared<FailingStream>(200000), "f", "f.bin", 400000,
                                           "application/octet-stream");
        },
        outcome.success(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    drainMainQueue();
    EXPECT_EQ(outcome.calls(), 1);
    ASSERT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.error->domain, "test.stream");
    EXPECT_EQ(outcome.error->code, 42);
}

TEST_F(MultipartUploadTest, UploadGoesOnWhileTheMainThreadIsBlocked) {
    std::mutex m;
    std::condition_variable cv;
    bool received = false;
    std::size_t receivedSize = 0;
    server.on("upload-blocked", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(m);
        received = true;
        receivedSize = req.files.count("big") ? req.files.find("big")->second.content.size() : 0;
        // Under the lock: the test may return and destroy the condition as soon as it sees `received`.
        cv.notify_all();
        res.set_content("{}", "application/json");
    });
    manager->POST(
        server.url("upload-blocked"), std::nullopt,
        [&](StreamingMultipartFormData& form) {
            form.appendPartWithFileData(bytes(2'000'000), "big", "pic", "application/octet-stream");
        },
        outcome.success(), outcome.failure());
    {
        // The main thread does not run its loop here: the whole body must still be sent.
        std::unique_lock lock(m);
        EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(20), [&] { return received; }));
        EXPECT_EQ(receivedSize, 2'000'000u);
    }
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.successes, 1);
}

}  // namespace
}  // namespace busdesk::test
