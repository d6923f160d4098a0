#include "services/QueryKey.h"

#include <boost/json/value.hpp>

#include "net/QueryStringPair.h"

namespace busdesk {

namespace {

// Byte by byte: UTF-8 text passes through the encoder unchanged, so this never fails.
std::string escaped(const std::string& text) {
    return percentEscapedString(text, "UTF-8", false).value_or(std::string());
}

}  // namespace

QueryKey QueryKey::of(std::string method, const boost::json::object& parameters, std::string user) {
    QueryKey key;
    key.method = std::move(method);
    key.user = std::move(user);
    // The pairs in the order the request serializer writes them.
    for (const auto& pair : QueryStringPairsFromDictionary(boost::json::value(parameters)))
        key.parameters.push_back({pair.field(), descriptionOfJSONValue(pair.value())});
    return key;
}

std::string QueryKey::text() const {
    std::string out = escaped(method) + "?";
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i > 0) out += '&';
        out += escaped(parameters[i].name) + "=" + escaped(parameters[i].value);
    }
    return out + "#" + escaped(user);
}

}  // namespace busdesk
