#pragma once

#include <boost/json/value.hpp>
#include <optional>
#include <string>

namespace busdesk {

// What a response serializer hands to the success callback: the JSON serializer fills `json`
// (nothing at all for an empty or blank body), the plain HTTP serializer fills `data` with the
// raw body bytes.
struct ResponseObject {
    std::optional<boost::json::value> json;
    std::optional<std::string> data;

    bool empty() const { return !json && !data; }
};

}  // namespace busdesk
