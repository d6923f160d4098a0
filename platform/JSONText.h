#pragma once

#include <boost/json/value.hpp>
#include <cstddef>
#include <string_view>

namespace busdesk {

// Parses JSON text already known to be UTF-8 (checked with Charset::isValidUTF8, or decoded into
// UTF-8). The parser's own check, byte by byte inside every string, costs about as much as the rest
// of parsing and is left out. The document lives in an arena that each of its values keeps alive;
// `firstBlock` sizes the arena's first block (0: it starts small and grows).
boost::json::value parseUTF8JSON(std::string_view utf8, boost::json::error_code& ec,
                                 std::size_t firstBlock = 0);

}  // namespace busdesk
