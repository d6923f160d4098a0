#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace busdesk {

// Strict: bytes that are not valid in `encoding` give nullopt.
std::optional<std::string> decodeText(std::string_view bytes, std::string_view encoding);
bool isKnownEncoding(std::string_view encoding);

}  // namespace busdesk
