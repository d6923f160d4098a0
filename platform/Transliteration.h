#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace busdesk {

// Reduces any text to plain ASCII with ICU's "Any-Latin; Latin-ASCII; [:^ASCII:] Remove"
// (Chinese becomes pinyin without tone marks, accents drop, anything left over is removed).
// Nothing when the input is not valid UTF-8 or ICU lacks the transform.
std::optional<std::string> transliterateToASCII(std::string_view utf8);

}  // namespace busdesk
