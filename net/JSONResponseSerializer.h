#pragma once

#include "net/HTTPResponseSerializer.h"

namespace busdesk {

enum JSONReadingOptions : unsigned {
    JSONReadingNone = 0,
    JSONReadingMutableContainers = 1,
    JSONReadingMutableLeaves = 2,
    JSONReadingAllowFragments = 4,
};

inline constexpr const char* kCocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr long kPropertyListReadCorruptError = 3840;

// Decodes the body with the response's charset, then parses JSON. An empty or single-space
// body yields no object and no error.
class JSONResponseSerializer : public HTTPResponseSerializer {
  public:
    JSONResponseSerializer();
    static std::shared_ptr<JSONResponseSerializer> serializer();

    unsigned readingOptions = JSONReadingNone;
    bool removesKeysWithNullValues = false;

    ResponseObject responseObjectForResponse(const std::shared_ptr<const HTTPURLResponse>& response,
                                             const std::string& data,
                                             std::optional<Error>& error) const override;
};

}  // namespace busdesk
