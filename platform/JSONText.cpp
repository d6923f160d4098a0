#include "platform/JSONText.h"

#include <boost/json/monotonic_resource.hpp>
#include <boost/json/parse.hpp>

namespace busdesk {

boost::json::value parseUTF8JSON(std::string_view utf8, boost::json::error_code& ec, std::size_t firstBlock) {
    namespace json = boost::json;
    json::parse_options options;
    options.allow_invalid_utf8 = true;
    auto arena = firstBlock > 0 ? json::make_shared_resource<json::monotonic_resource>(firstBlock)
                                : json::make_shared_resource<json::monotonic_resource>();
    return json::parse(utf8, ec, std::move(arena), options);
}

}  // namespace busdesk
