#include "services/OfficeFailure.h"

#include <array>

#include "net/HTTPRequestOperation.h"
#include "net/URLError.h"
#include "platform/ConsoleText.h"

namespace busdesk {

namespace {

// Transport errors that asking again cannot mend: the request itself is wrong or too large.
constexpr std::array kLastingTransportCodes = {URLErrorCode::BadURL, URLErrorCode::UnsupportedURL,
                                               URLErrorCode::DataLengthExceedsMaximum};

// Statuses outside 5xx that mean "not now" rather than "no".
constexpr std::array kPassingStatuses = {408L, 429L};

template <class Array>
bool holds(const Array& array, long value) {
    for (long v : array)
        if (v == value) return true;
    return false;
}

}  // namespace

OfficeFailure OfficeFailure::from(const std::shared_ptr<HTTPRequestOperation>& operation,
                                  const Error& error) {
    OfficeFailure out;
    out.error = error;
    if (operation)
        if (auto response = operation->response()) out.statusCode = response->statusCode;
    return out;
}

bool OfficeFailure::officeUnreachable() const {
    if (statusCode >= 500 && statusCode <= 599) return true;
    if (error.domain != kURLErrorDomain || error.code == URLErrorCode::Cancelled) return false;
    return !holds(kLastingTransportCodes, error.code);
}

bool OfficeFailure::mayPassOnRetry() const {
    // A transport error decides even when a status arrived: the body may have been cut off.
    if (error.domain == kURLErrorDomain) return !holds(kLastingTransportCodes, error.code);
    if (statusCode >= 500 && statusCode <= 599) return true;
    if (holds(kPassingStatuses, statusCode)) return true;
    // The office answered and its answer stands, or the request could not be built at all.
    return false;
}

std::string OfficeFailure::reason() const {
    return shortLine(answer ? *answer : error.description);
}

std::string OfficeFailure::shortLine(const std::string& text) {
    std::string line = consoleSafe(text);
    if (line.size() <= kMaxReasonBytes) return line;
    const std::string ellipsis = "…";
    std::size_t cut = kMaxReasonBytes - ellipsis.size();
    // Never in the middle of a character: step back over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line.resize(cut);
    return line + ellipsis;
}

}  // namespace busdesk
