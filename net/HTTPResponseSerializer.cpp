#include "net/HTTPResponseSerializer.h"

#include <algorithm>

#include "net/URLError.h"

namespace busdesk {

void IndexSet::insertRange(long first, long last) {
    if (last < first) return;
    ranges_.emplace_back(first, last);
    std::sort(ranges_.begin(), ranges_.end());
    std::vector<std::pair<long, long>> merged;
    for (const auto& r : ranges_) {
        if (!merged.empty() && r.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, r.second);
        } else {
            merged.push_back(r);
        }
    }
    ranges_ = std::move(merged);
}

std::size_t IndexSet::count(long value) const {
    for (const auto& r : ranges_) {
        if (value >= r.first && value <= r.second) return 1;
    }
    return 0;
}

std::size_t IndexSet::size() const {
    std::size_t n = 0;
    for (const auto& r : ranges_) n += static_cast<std::size_t>(r.second - r.first + 1);
    return n;
}

HTTPResponseSerializer::HTTPResponseSerializer() = default;

std::shared_ptr<HTTPResponseSerializer> HTTPResponseSerializer::serializer() {
    return std::make_shared<HTTPResponseSerializer>();
}

namespace {
Error validationError(long code, std::string description,
                      const std::shared_ptr<const HTTPURLResponse>& response, const std::string& data) {
    Error e(kURLResponseSerializationErrorDomain, code, std::move(description));
    e.userInfo[kErrorFailingURLKey] = response->URL;
    e.userInfo[kNetworkingOperationFailingURLResponseErrorKey] = response;
    if (!data.empty()) e.userInfo[kNetworkingOperationFailingURLResponseDataErrorKey] = data;
    return e;
}
}  // namespace

bool HTTPResponseSerializer::validateResponse(const std::shared_ptr<const HTTPURLResponse>& response,
                                              const std::string& data, std::optional<Error>& error) const {
    if (!response) return true;
    bool valid = true;
    std::optional<Error> validation;
    if (acceptableContentTypes && !acceptableContentTypes->count(response->MIMEType())) {
        if (!data.empty() && !response->URL.empty()) {
            validation = validationError(URLErrorCode::CannotDecodeContentData,
                                         "Request failed: unacceptable content-type: " + response->MIMEType(),
                                         response, data);
        }
        valid = false;
    }
    if (!acceptableStatusCodes.count(response->statusCode) && !response->URL.empty()) {
        Error status = validationError(
            URLErrorCode::BadServerResponse,
            "Request failed: " + HTTPURLResponse::localizedStringForStatusCode(response->statusCode) + " (" +
                std::to_string(response->statusCode) + ")",
            response, data);
        if (validation) status.underlying = std::make_shared<const Error>(std::move(*validation));
        validation = std::move(status);
        valid = false;
    }
    if (validation) error = std::move(validation);
    return valid;
}

ResponseObject HTTPResponseSerializer::responseObjectForResponse(
    const std::shared_ptr<const HTTPURLResponse>& response, const std::string& data,
    std::optional<Error>& error) const {
    validateResponse(response, data, error);
    ResponseObject object;
    object.data = data;
    return object;
}

}  // namespace busdesk
