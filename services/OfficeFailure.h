#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Error.h"

namespace busdesk {

class HTTPRequestOperation;

// What a call that did not succeed knew about why: enough to tell a refusal that will stand from
// a failure that may pass (a caller deciding whether to try again later), and to say why.
struct OfficeFailure {
    Error error;
    // The HTTP status of the answer; 0 when no answer arrived (or the request was never sent).
    long statusCode = 0;
    // The server's text when an answer arrived but was refused for what it said ("0" to an upload).
    std::optional<std::string> answer;

    // The error, with the status of the operation's answer when there was one.
    static OfficeFailure from(const std::shared_ptr<HTTPRequestOperation>& operation, const Error& error);

    // True when the same request may succeed later unchanged: no answer (no connection, a dropped
    // connection, a time-out), a server error (5xx), "request timeout" (408) or "too many
    // requests" (429). False when the office answered and would answer the same again: another 4xx,
    // an answer it gave that cannot be used, or a request that cannot be built or sent as it is.
    bool mayPassOnRetry() const;

    // True when the office gave no answer to go by: no connection, a time-out, a dropped
    // connection, or a server error (5xx). Anything it answered (a refusal, another status, an
    // answer that cannot be used) is no such failure, and neither is a request cancelled here.
    bool officeUnreachable() const;

    // One line for the user or a stored record: the server's text when it refused, else the
    // error's description; at most kMaxReasonBytes bytes of UTF-8, control characters as spaces.
    std::string reason() const;
    static constexpr std::size_t kMaxReasonBytes = 200;
    // `text` as such a line.
    static std::string shortLine(const std::string& text);
};

}  // namespace busdesk
