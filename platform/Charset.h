#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace busdesk {

// Text encodings by IANA charset name (UTF-8, GBK, GB18030, ISO-8859-1, ...), over ICU. Names are
// matched case-insensitively through ICU's alias table. Conversion is strict: a byte sequence that
// does not decode (or a character the target cannot hold) gives nothing rather than U+FFFD or '?',
// so a caller can tell damaged text from text.
namespace Charset {
std::optional<std::string> decodeToUTF8(std::string_view bytes, std::string_view ianaName);
std::optional<std::string> encodeFromUTF8(std::string_view utf8, std::string_view ianaName);
bool isKnown(std::string_view ianaName);
// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view bytes);
// The code point that starts at s[i] (i < s.size()), moving i past it. A byte that does not begin
// a well-formed character (a stray continuation byte, a truncated or overlong form, a surrogate,
// anything beyond U+10FFFF) reads as U+FFFD and moves i on by one byte, so a reader always gets on.
char32_t nextCodePoint(std::string_view s, std::size_t& i);
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
// Appends the UTF-8 form of `c`; a surrogate or a value beyond U+10FFFF is written as U+FFFD.
void appendUTF8(std::string& out, char32_t c);
// True for text made only of white space and line breaks (Unicode spaces such as the ideographic
// U+3000 included), the empty text too; bytes that are not UTF-8 are content, not blank.
bool isBlankText(std::string_view text);
}  // namespace Charset

}  // namespace busdesk
