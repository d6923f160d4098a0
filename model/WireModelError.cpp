#include "model/WireModelError.h"

namespace busdesk {

Error WireModelError::errorInvalidDataWithMessage(std::string_view message) {
    return Error(kWireModelErrorDomain, kWireModelErrorInvalidData,
                 "Invalid JSON data: " + std::string(message));
}

Error WireModelError::errorInvalidDataWithMissingKeys(std::vector<std::string> keys) {
    Error e(kWireModelErrorDomain, kWireModelErrorInvalidData,
            "Invalid JSON data. Required JSON keys are missing from the input. Check the error user "
            "information.");
    e.userInfo[kWireModelMissingKeys] = std::move(keys);
    return e;
}

Error WireModelError::errorInvalidDataWithTypeMismatch(std::string mismatch) {
    Error e(kWireModelErrorDomain, kWireModelErrorInvalidData,
            "Invalid JSON data. The JSON type mismatches the expected type. Check the error user "
            "information.");
    e.userInfo[kWireModelTypeMismatch] = std::move(mismatch);
    return e;
}

Error WireModelError::errorBadResponse() {
    return Error(kWireModelErrorDomain, kWireModelErrorBadResponse,
                 "Bad network response. Probably the JSON URL is unreachable.");
}

Error WireModelError::errorBadJSON() {
    return Error(kWireModelErrorDomain, kWireModelErrorBadJSON,
                 "Malformed JSON. Check the WireModel data input.");
}

Error WireModelError::errorModelIsInvalid() {
    return Error(kWireModelErrorDomain, kWireModelErrorModelIsInvalid,
                 "Model does not validate. The custom validation for the input data failed.");
}

Error WireModelError::errorInputIsNil() {
    return Error(kWireModelErrorDomain, kWireModelErrorNilInput, "Initializing model with nil input object.");
}

Error WireModelError::errorByPrependingKeyPathComponent(const Error& error, std::string_view component) {
    Error copy = error;
    std::string path(component);
    if (auto old = keyPath(error)) {
        if (!old->empty() && old->front() != '[') path += '.';
        path += *old;
    }
    copy.userInfo[kWireModelKeyPath] = std::move(path);
    return copy;
}

Error WireModelError::withKeyPath(Error error, std::string keyPath) {
    error.userInfo[kWireModelKeyPath] = std::move(keyPath);
    return error;
}

std::optional<std::string> WireModelError::keyPath(const Error& error) {
    return error.infoString(kWireModelKeyPath);
}

std::vector<std::string> WireModelError::missingKeys(const Error& error) {
    if (auto* keys = error.info<std::vector<std::string>>(kWireModelMissingKeys)) return *keys;
    return {};
}

}  // namespace busdesk
