#pragma once

#include <string>
#include <string_view>

namespace busdesk {

// What may reach a terminal. Every console line and every screen dump goes through these, so no
// layer has to remember it: a password never appears in clear, and text that came from a server
// never carries a byte a terminal would obey.

// Replaces the value of every field whose name ends in "password" (any letter case: Password,
// OldPassword, NewPassword, zt_password) with ***, in query form (`Password=S3cret%21`, up to the
// next &, #, quote or blank) and in JSON form (`"Password":"S3cret!"`).
std::string maskSecrets(std::string_view text);

// Control characters written out: \n, \r, \t as such, the other C0 characters and DEL as \xHH,
// the C1 characters (U+0080..U+009F) as \u00HH, and a byte that is not part of valid UTF-8 as
// \xHH. Everything else, backslashes included, is left as it is.
std::string escapeControlCharacters(std::string_view text);

// Both, for one printed line.
inline std::string consoleSafe(std::string_view text) {
    return escapeControlCharacters(maskSecrets(text));
}

}  // namespace busdesk
