#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

namespace busdesk {

inline constexpr const char* kWireModelErrorDomain = "WireModelErrorDomain";
// User-information keys of a mapping error.
inline constexpr const char* kWireModelMissingKeys = "kWireModelMissingKeys";    // std::vector<std::string>
inline constexpr const char* kWireModelTypeMismatch = "kWireModelTypeMismatch";  // std::string
inline constexpr const char* kWireModelKeyPath = "kWireModelKeyPath";            // std::string

enum WireModelErrorCode : long {
    kWireModelErrorInvalidData = 1,
    kWireModelErrorBadResponse = 2,
    kWireModelErrorBadJSON = 3,
    kWireModelErrorModelIsInvalid = 4,
    kWireModelErrorNilInput = 5,
};

// Constructors of the errors the mapping reports. Every error is a plain platform Error in
// kWireModelErrorDomain, so callers treat it like any other failure value.
struct WireModelError {
    static Error errorInvalidDataWithMessage(std::string_view message);
    // The keys are listed in declaration order of the model's properties.
    static Error errorInvalidDataWithMissingKeys(std::vector<std::string> keys);
    static Error errorInvalidDataWithTypeMismatch(std::string mismatch);
    static Error errorBadResponse();
    static Error errorBadJSON();
    static Error errorModelIsInvalid();
    static Error errorInputIsNil();

    // A copy whose key path is `component` in front of the old path: joined with "." unless the old
    // path starts with "[" (so "List" + "[3].Mile" gives "List[3].Mile").
    static Error errorByPrependingKeyPathComponent(const Error& error, std::string_view component);
    static Error withKeyPath(Error error, std::string keyPath);
    static std::optional<std::string> keyPath(const Error& error);
    static std::vector<std::string> missingKeys(const Error& error);
};

}  // namespace busdesk
