#pragma once

#include <string>

#include "platform/Error.h"

namespace busdesk {

// The domain of request-building failures.
inline constexpr const char* kRequestSerializationErrorDomain = "com.corvane.error.serialization.request";

// Codes of the URL error domain that the transport reports (the values the office client's
// platform uses, so callers can compare them across layers).
namespace URLErrorCode {
inline constexpr long Cancelled = -999;
inline constexpr long BadURL = -1000;
inline constexpr long TimedOut = -1001;
inline constexpr long UnsupportedURL = -1002;
inline constexpr long CannotFindHost = -1003;
inline constexpr long CannotConnectToHost = -1004;
inline constexpr long NetworkConnectionLost = -1005;
inline constexpr long HTTPTooManyRedirects = -1007;
inline constexpr long BadServerResponse = -1011;
inline constexpr long UserAuthenticationRequired = -1013;
inline constexpr long CannotDecodeRawData = -1015;
inline constexpr long CannotDecodeContentData = -1016;
inline constexpr long RequestBodyStreamExhausted = -1021;
inline constexpr long Unknown = -1;
inline constexpr long DataLengthExceedsMaximum = -1103;
inline constexpr long SecureConnectionFailed = -1200;
inline constexpr long ServerCertificateUntrusted = -1202;
inline constexpr long ClientCertificateRejected = -1205;
}  // namespace URLErrorCode

// An error in the URL domain with the failing URL in its user information.
Error makeURLError(long code, const std::string& description, const std::string& failingURL);

}  // namespace busdesk
