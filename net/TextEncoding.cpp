#include "net/TextEncoding.h"

#include <cstdint>
#include <cstring>

#include "net/QueryStringPair.h"
#include "platform/Charset.h"

namespace busdesk {

bool isValidUTF8(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        // Eight ASCII bytes at a time: most of a JSON answer is ASCII.
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if (word & 0x8080808080808080ULL) break;
            i += 8;
        }
        if (i >= n) break;
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (int k = 1; k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        i += len;
    }
    return true;
}

std::optional<std::string> decodeText(std::string_view bytes, std::string_view encoding) {
    if (isUTF8EncodingName(encoding)) {
        if (!isValidUTF8(bytes)) return std::nullopt;
        return std::string(bytes);
    }
    return Charset::decodeToUTF8(bytes, encoding);
}

bool isKnownEncoding(std::string_view encoding) {
    return isUTF8EncodingName(encoding) || Charset::isKnown(encoding);
}

}  // namespace busdesk
