#include "net/HTTPResponseSerializer.h"

#include "net/URLError.h"

namespace busdesk {

HTTPResponseSerializer::HTTPResponseSerializer() {
    for (long code = 200; code < 300; ++code) acceptableStatusCodes.insert(code);
}

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
