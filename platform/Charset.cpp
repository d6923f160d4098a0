#include "platform/Charset.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace busdesk {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Opens a converter whose callbacks stop at the first bad sequence in both directions. ICU's
// default is to substitute silently, which would turn damaged bytes into plausible text.
Converter openStrict(std::string_view ianaName) {
    // An empty name makes ICU open the process default converter, which is not what a caller
    // naming a charset means.
    if (ianaName.empty() || ianaName.size() > 64) return nullptr;
    std::string name(ianaName);
    if (name.find('\0') != std::string::npos) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status) || !conv) return nullptr;
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) return nullptr;
    return conv;
}

constexpr std::size_t kMaxInput = static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 4);

std::optional<std::string> utf16ToUTF8(const UChar* data, int32_t length) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8(nullptr, 0, &needed, data, length, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::string out(static_cast<std::size_t>(needed), '\0');
    status = U_ZERO_ERROR;
    // Unpaired surrogates cannot come out of a strict converter, but u_strToUTF8 would reject
    // them anyway.
    u_strToUTF8(out.data(), needed, nullptr, data, length, &status);
    if (U_FAILURE(status)) return std::nullopt;
    return out;
}

std::optional<std::u16string> utf8ToUTF16(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8(nullptr, 0, &needed, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8(out.data(), needed, nullptr, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    return out;
}

}  // namespace

namespace Charset {

std::optional<std::string> decodeToUTF8(std::string_view bytes, std::string_view ianaName) {
    Converter conv = openStrict(ianaName);
    if (!conv || bytes.size() > kMaxInput) return std::nullopt;
    if (bytes.empty()) return std::string();
    // Two UTF-16 units per byte covers every charset (a 4-byte GB18030 sequence gives at most a
    // surrogate pair; a single byte gives at most one unit, or two for rare mappings).
    std::vector<UChar> units(bytes.size() * 2 + 2);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(conv.get(), units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                                   static_cast<int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        units.resize(static_cast<std::size_t>(length) + 1);
        status = U_ZERO_ERROR;
        ucnv_resetToUnicode(conv.get());
        length = ucnv_toUChars(conv.get(), units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                               static_cast<int32_t>(bytes.size()), &status);
    }
    // A truncated multi-byte sequence at the end comes back as U_TRUNCATED_CHAR_FOUND: a failure
    // like any other, not a shorter text.
    if (U_FAILURE(status)) return std::nullopt;
    return utf16ToUTF8(units.data(), length);
}

std::optional<std::string> encodeFromUTF8(std::string_view utf8, std::string_view ianaName) {
    Converter conv = openStrict(ianaName);
    if (!conv || utf8.size() > kMaxInput) return std::nullopt;
    auto units = utf8ToUTF16(utf8);
    if (!units) return std::nullopt;
    if (units->empty()) return std::string();
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed =
        ucnv_fromUChars(conv.get(), nullptr, 0, units->data(), static_cast<int32_t>(units->size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::string out(static_cast<std::size_t>(needed), '\0');
    status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(conv.get());
    ucnv_fromUChars(conv.get(), out.data(), needed, units->data(), static_cast<int32_t>(units->size()),
                    &status);
    if (U_FAILURE(status)) return std::nullopt;
    return out;
}

bool isKnown(std::string_view ianaName) {
    return openStrict(ianaName) != nullptr;
}

}  // namespace Charset
bool Charset::isValidUTF8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (p != end) {
        // Eight ASCII bytes at a time (most of a JSON answer is ASCII), then straight to the first
        // byte that is not.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (const std::uint64_t high = word & kHighBits) {
                // The lowest-addressed byte is the least significant one on a little-endian CPU.
                if constexpr (std::endian::native == std::endian::little) p += __builtin_ctzll(high) / 8;
                break;
            }
            p += 8;
        }
        while (p != end && *p < 0x80) ++p;
        // A run of multi-byte characters (Chinese text is three bytes a character), until ASCII.
        while (p != end && *p >= 0x80) {
            const unsigned lead = *p;
            const auto left = end - p;
            if (lead - 0xE0u < 0x10u) {
                if (left < 3) return false;
                const unsigned b1 = p[1];
                if (((b1 & 0xC0u) ^ 0x80u) | ((p[2] & 0xC0u) ^ 0x80u)) return false;
                // Overlong forms; UTF-16 surrogates.
                if ((lead == 0xE0 && b1 < 0xA0) || (lead == 0xED && b1 > 0x9F)) return false;
                p += 3;
            } else if (lead - 0xC2u < 0x1Eu) {
                if (left < 2 || (p[1] & 0xC0u) != 0x80u) return false;
                p += 2;
            } else if (lead - 0xF0u < 0x05u) {
                if (left < 4) return false;
                const unsigned b1 = p[1];
                if (((b1 & 0xC0u) ^ 0x80u) | ((p[2] & 0xC0u) ^ 0x80u) | ((p[3] & 0xC0u) ^ 0x80u))
                    return false;
                // Overlong forms; beyond U+10FFFF.
                if ((lead == 0xF0 && b1 < 0x90) || (lead == 0xF4 && b1 > 0x8F)) return false;
                p += 4;
            } else {
                return false;  // a continuation byte without a lead, C0/C1, F5 and above
            }
        }
    }
    return true;
}

namespace {

// White space and line breaks as the phone platform's character set counts them: Unicode
// space separators plus tab, line feed, vertical tab, form feed, carriage return, NEL and the
// line/paragraph separators. The ideographic space U+3000 matters for Chinese input.
bool isSpaceOrLineBreak(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

}  // namespace

char32_t Charset::nextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(s[i + k]));
    };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    // The length of the form the lead byte starts, its payload bits, and the range its second
    // byte must lie in (narrower after E0, ED, F0 and F4: no overlong forms, no surrogates,
    // nothing beyond U+10FFFF).
    std::size_t length = 0;
    char32_t c = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || s.size() - i < length || byte(1) < low || byte(1) > high) {
        ++i;
        return kReplacementCharacter;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned b = byte(k);
        if ((b & 0xC0u) != 0x80u) {
            ++i;
            return kReplacementCharacter;
        }
        c = (c << 6) | (b & 0x3Fu);
    }
    i += length;
    return c;
}

void Charset::appendUTF8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool Charset::isBlankText(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        // Bytes that are not text read as U+FFFD: content, not blank.
        if (!isSpaceOrLineBreak(nextCodePoint(s, i))) return false;
    }
    return true;
}

}  // namespace busdesk
