#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "net/JSONResponseSerializer.h"
#include "platform/Charset.h"

namespace busdesk {
namespace {

std::shared_ptr<const HTTPURLResponse> response(long status, std::optional<std::string> contentType) {
    auto r = std::make_shared<HTTPURLResponse>();
    r->URL = "http://h/x";
    r->statusCode = status;
    if (contentType) r->allHeaderFields["content-type"] = *contentType;
    return r;
}

TEST(ResponseHead, MIMETypeAndCharsetParsing) {
    EXPECT_EQ(response(200, "Application/JSON; Charset=\"GBK\"")->MIMEType(), "application/json");
    EXPECT_EQ(response(200, "Application/JSON; Charset=\"GBK\"")->textEncodingName(), "GBK");
    EXPECT_EQ(response(200, "text/html;foo=bar; charset=utf-8")->textEncodingName(), "utf-8");
    EXPECT_FALSE(response(200, "text/html")->textEncodingName());
    EXPECT_EQ(response(200, std::nullopt)->MIMEType(), "application/octet-stream");
    EXPECT_EQ(HTTPURLResponse::localizedStringForStatusCode(404), "not found");
    EXPECT_EQ(HTTPURLResponse::localizedStringForStatusCode(599), "server error");
}

TEST(JSONSerializer, AcceptableTypesAndStatuses) {
    JSONResponseSerializer s;
    EXPECT_EQ(*s.acceptableContentTypes,
              (std::set<std::string>{"application/json", "text/json", "text/javascript", "text/html"}));
    EXPECT_EQ(s.acceptableStatusCodes.size(), 100u);
    EXPECT_TRUE(s.acceptableStatusCodes.count(200) && s.acceptableStatusCodes.count(299));
    EXPECT_FALSE(s.acceptableStatusCodes.count(300));
    std::optional<Error> error;
    EXPECT_TRUE(s.validateResponse(response(204, "text/javascript; charset=utf-8"), "x", error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(s.validateResponse(response(200, std::nullopt), "[1]", error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description, "Request failed: unacceptable content-type: application/octet-stream");
}

TEST(JSONSerializer, NullRemovalAndFragments) {
    JSONResponseSerializer s;
    s.removesKeysWithNullValues = true;
    std::optional<Error> error;
    auto obj = s.responseObjectForResponse(response(200, "application/json"),
                                           R"({"a":null,"b":[{"c":null,"d":1}]})", error);
    EXPECT_FALSE(error);
    EXPECT_EQ(boost::json::serialize(*obj.json), R"({"b":[{"d":1}]})");

    s.readingOptions = JSONReadingAllowFragments;
    obj = s.responseObjectForResponse(response(200, "application/json"), "12", error);
    EXPECT_FALSE(error);
    EXPECT_EQ(obj.json->as_int64(), 12);
}

TEST(JSONSerializer, UnknownCharsetFallsBackToUTF8AndBadGBKIsNoObject) {
    JSONResponseSerializer s;
    std::optional<Error> error;
    auto obj =
        s.responseObjectForResponse(response(200, "application/json; charset=x-no-such"), R"(["中"])", error);
    EXPECT_FALSE(error);
    EXPECT_EQ(obj.json->at(0).as_string(), "中");
    // A truncated two-byte GBK character does not decode: success without object.
    obj = s.responseObjectForResponse(response(200, "application/json; charset=GBK"), "[\"\xD6\"]", error);
    EXPECT_FALSE(error);
    EXPECT_FALSE(obj.json);
}

TEST(JSONSerializer, TextThatIsNotUTF8IsNoObjectAndMalformedJSONIsAnError) {
    JSONResponseSerializer s;
    std::optional<Error> error;
    // Bytes that are not UTF-8, inside a string or outside one: success without object.
    for (const std::string& body : {std::string("[\"\xE4\xB8\"]"), std::string("[\"\xED\xA0\x80\"]"),
                                    std::string("[\"ok\"]\xFF"), std::string("{\"\xC0\xAF\":1}")}) {
        auto obj = s.responseObjectForResponse(response(200, "application/json"), body, error);
        EXPECT_FALSE(error) << body;
        EXPECT_FALSE(obj.json) << body;
    }
    // Well-formed text that is not JSON is a parse error.
    auto obj = s.responseObjectForResponse(response(200, "application/json"), "[\"中\",]", error);
    EXPECT_FALSE(obj.json);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 3840);
    // Escaped characters, four-byte ones and a byte order mark still come through whole.
    error.reset();
    obj = s.responseObjectForResponse(response(200, "application/json"),
                                      "\xEF\xBB\xBF[\"\\u4e2d\xF0\x9F\x9A\x8C\u6587\"]", error);
    EXPECT_FALSE(error);
    ASSERT_TRUE(obj.json);
    EXPECT_EQ(obj.json->at(0).as_string(), "\xE4\xB8\xAD\xF0\x9F\x9A\x8C\xE6\x96\x87");
}

TEST(HTTPSerializer, InvalidStillReturnsTheBytes) {
    HTTPResponseSerializer s;
    std::optional<Error> error;
    auto obj = s.responseObjectForResponse(response(503, "text/plain"), "down", error);
    EXPECT_EQ(obj.data, "down");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, -1011);
    EXPECT_EQ(error->description, "Request failed: service unavailable (503)");
    EXPECT_FALSE(error->underlying);  // no content-type restriction
}

}  // namespace
}  // namespace busdesk
