#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "net/ResponseObject.h"
#include "net/URLRequest.h"
#include "platform/Error.h"

namespace busdesk {

inline constexpr const char* kURLResponseSerializationErrorDomain =
    "com.corvane.error.serialization.response";
inline constexpr const char* kNetworkingOperationFailingURLResponseErrorKey =
    "com.corvane.serialization.response.error.response";
inline constexpr const char* kNetworkingOperationFailingURLResponseDataErrorKey =
    "com.corvane.serialization.response.error.data";

// A set of integers kept as sorted closed ranges (status codes come in ranges such as 200-299).
class IndexSet {
  public:
    IndexSet() = default;
    IndexSet(long first, long last) { insertRange(first, last); }
    void insertRange(long first, long last);
    void insert(long value) { insertRange(value, value); }
    std::size_t count(long value) const;
    std::size_t size() const;

  private:
    std::vector<std::pair<long, long>> ranges_;
};

// Validates status and content type and hands the body bytes back unchanged. Called on the
// processing queue; configure it before the first request.
class HTTPResponseSerializer {
  public:
    HTTPResponseSerializer();
    virtual ~HTTPResponseSerializer() = default;
    static std::shared_ptr<HTTPResponseSerializer> serializer();

    std::string stringEncoding = "UTF-8";
    IndexSet acceptableStatusCodes{200, 299};
    // Unset: every content type passes.
    std::optional<std::set<std::string>> acceptableContentTypes;

    // False when invalid; `error` is set except for a bad content type with an empty body.
    virtual bool validateResponse(const std::shared_ptr<const HTTPURLResponse>& response,
                                  const std::string& data, std::optional<Error>& error) const;
    virtual ResponseObject responseObjectForResponse(const std::shared_ptr<const HTTPURLResponse>& response,
                                                     const std::string& data,
                                                     std::optional<Error>& error) const;
};

}  // namespace busdesk
