#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace busdesk {

class InputStream;

struct CaseInsensitiveLess {
    bool operator()(std::string_view a, std::string_view b) const;
    using is_transparent = void;
};

// Header names compare without regard to letter case, as HTTP wants; the first spelling wins.
using HTTPHeaders = std::map<std::string, std::string, CaseInsensitiveLess>;

// A request as the transport will send it. Plain value; a body stream is shared between copies
// (a stream can be sent only once at a time).
struct URLRequest {
    static constexpr double kDefaultTimeoutInterval = 60.0;
    static constexpr double kDefaultDeadlineInterval = 120.0;

    std::string URL;
    std::string HTTPMethod = "GET";
    HTTPHeaders allHTTPHeaderFields;
    std::optional<std::string> HTTPBody;
    std::shared_ptr<InputStream> HTTPBodyStream;

    // Sends and keeps cookies (one store for the process, shared by every request).
    bool HTTPShouldHandleCookies = true;
    // Seconds without any progress after which the request fails with a time-out.
    double timeoutInterval = kDefaultTimeoutInterval;
    // Seconds from the start after which the request fails with a time-out however steadily it
    // is still receiving (a server trickling a byte now and then). Never shorter than
    // timeoutInterval; zero or less means the default.
    double deadlineInterval = kDefaultDeadlineInterval;

    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    // An empty optional removes the header.
    void setValue(const std::optional<std::string>& value, const std::string& field);
};

// The HTTP response head as received (after redirects: the final one).
struct HTTPURLResponse {
    std::string URL;
    long statusCode = 0;
    HTTPHeaders allHeaderFields;
    long long expectedContentLength = -1;

    // The media type of Content-Type, lower-cased, without parameters; "application/octet-stream"
    // when the header is missing.
    std::string MIMEType() const;
    // The charset parameter of Content-Type, if any (as sent, unquoted).
    std::optional<std::string> textEncodingName() const;

    static std::string localizedStringForStatusCode(long statusCode);
};

namespace url {
// True for an absolute URL made only of characters a URL may carry (the callers pass
// percent-escaped text): scheme, "://", a non-empty host.
bool isValidAbsolute(std::string_view text);
bool hasQuery(std::string_view text);
// Resolves `relative` against `base` (RFC 3986); nullopt when the result is not a valid URL.
std::optional<std::string> resolve(std::string_view relative, std::string_view base);
// True when what is sent to `address` may be read on the way: plain "http://" to a host that is
// not this machine's loopback (127.0.0.0/8, ::1, "localhost"). An http address whose host cannot
// be made out counts as read on the way.
bool sendsInTheClear(std::string_view address);
}  // namespace url

}  // namespace busdesk
