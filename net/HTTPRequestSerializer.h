#pragma once

#include <boost/json/value.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "net/URLError.h"
#include "net/URLRequest.h"
#include "platform/Error.h"

namespace busdesk {

class StreamingMultipartFormData;

enum class HTTPRequestQueryStringSerializationStyle { Default = 0 };

// Turns a method, an absolute URL string and optional parameters into a request carrying the
// default headers. Configure it before the first request; afterwards it is only read.
class HTTPRequestSerializer {
  public:
    using QueryStringSerialization = std::function<std::string(
        const URLRequest& request, const boost::json::value& parameters, std::optional<Error>& error)>;

    HTTPRequestSerializer();
    virtual ~HTTPRequestSerializer() = default;
    static std::shared_ptr<HTTPRequestSerializer> serializer();

    std::string stringEncoding = "UTF-8";
    std::set<std::string> HTTPMethodsEncodingParametersInURI{"GET", "HEAD", "DELETE"};

    const HTTPHeaders& HTTPRequestHeaders() const { return headers_; }
    // An empty value removes the header.
    void setValue(const std::optional<std::string>& value, const std::string& field);
    std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const;
    void setAuthorizationHeaderFieldWithUsername(const std::string& username, const std::string& password);
    void setAuthorizationHeaderFieldWithToken(const std::string& token);
    void clearAuthorizationHeader();

    // Any style but Default encodes nothing; a custom serialization, when set, replaces both.
    void setQueryStringSerializationWithStyle(int style);
    int queryStringSerializationStyle() const { return style_; }
    void setQueryStringSerializationWithBlock(QueryStringSerialization block) { custom_ = std::move(block); }

    // The request settings the transport honours. A request gets one only after it was set
    // here; until then it keeps the transport's default (URLRequest).
    std::optional<bool> HTTPShouldHandleCookies;
    std::optional<double> timeoutInterval;   // seconds of silence
    std::optional<double> deadlineInterval;  // seconds from the start

    // nullopt with *error set when the URL is not a valid absolute URL or encoding failed.
    std::optional<URLRequest> requestWithMethod(const std::string& method, const std::string& URLString,
                                                const std::optional<boost::json::value>& parameters,
                                                Error* error = nullptr) const;
    virtual std::optional<URLRequest> requestBySerializingRequest(
        const URLRequest& request, const std::optional<boost::json::value>& parameters,
        Error* error = nullptr) const;
    std::optional<URLRequest> multipartFormRequestWithMethod(
        const std::string& method, const std::string& URLString,
        const std::optional<boost::json::value>& parameters,
        const std::function<void(StreamingMultipartFormData&)>& block, Error* error = nullptr) const;

    // The device's preferred languages, most preferred first (from LANGUAGE, LC_ALL,
    // LC_MESSAGES, LANG on this platform), as language tags such as "zh-Hans" or "en".
    static std::vector<std::string> preferredLanguages();
    static std::vector<std::string> preferredLanguagesFromEnvironment(const char* language, const char* lcAll,
                                                                      const char* lcMessages,
                                                                      const char* lang);
    static std::string acceptLanguageHeaderValue(const std::vector<std::string>& languages);
    static std::optional<std::string> defaultUserAgent();

  private:
    HTTPHeaders headers_;
    int style_ = 0;
    QueryStringSerialization custom_;
};

std::string base64Encode(std::string_view bytes);

}  // namespace busdesk
