#include "platform/ConsoleText.h"

#include <cctype>

namespace busdesk {

namespace {

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool endsSecretName(std::string_view text, std::size_t end) {
    constexpr std::string_view kSecret = "password";
    if (end < kSecret.size()) return false;
    for (std::size_t i = 0; i < kSecret.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[end - kSecret.size() + i])) != kSecret[i])
            return false;
    return true;
}

bool endsQueryValue(char c) {
    return c == '&' || c == '#' || c == '"' || c == '\'' || std::isspace(static_cast<unsigned char>(c));
}

}  // namespace

std::string maskSecrets(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        // The end of a name: copy up to it, then look at what follows.
        if (!isNameChar(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && isNameChar(text[i])) ++i;
        out.append(text.substr(start, i - start));
        if (!endsSecretName(text, i)) continue;
        if (i < text.size() && text[i] == '=') {
            out += "=***";
            ++i;
            while (i < text.size() && !endsQueryValue(text[i])) ++i;
            continue;
        }
        // JSON: the name closes its quotes, then a colon and a string.
        if (start == 0 || text[start - 1] != '"' || i >= text.size() || text[i] != '"') continue;
        std::size_t j = i + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
        if (j >= text.size() || text[j] != ':') continue;
        ++j;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
        if (j >= text.size() || text[j] != '"') continue;
        std::size_t k = j + 1;
        while (k < text.size() && text[k] != '"') k += text[k] == '\\' ? 2 : 1;
        out.append(text.substr(i, j - i));
        out += "\"***\"";
        i = k < text.size() ? k + 1 : text.size();
    }
    return out;
}

std::string escapeControlCharacters(std::string_view text) {
    static const char* hex = "0123456789abcdef";
    auto byteEscape = [](std::string& out, unsigned char b) {
        out += "\\x";
        out += hex[b >> 4];
        out += hex[b & 0xF];
    };
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (b == '\n') {
                out += "\\n";
            } else if (b == '\r') {
                out += "\\r";
            } else if (b == '\t') {
                out += "\\t";
            } else if (b < 0x20 || b == 0x7F) {
                byteEscape(out, b);
            } else {
                out += static_cast<char>(b);
            }
            ++i;
            continue;
        }
        // The length of a well-formed UTF-8 sequence starting here, or 0.
        std::size_t length = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (valid && length == 3) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            valid = !(b == 0xE0 && c1 < 0xA0) && !(b == 0xED && c1 > 0x9F);  // overlong, surrogate
        } else if (valid && length == 4) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            valid = !(b == 0xF0 && c1 < 0x90) && !(b == 0xF4 && c1 > 0x8F);
        }
        if (!valid) {
            byteEscape(out, b);
            ++i;
            continue;
        }
        if (length == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            const auto c = static_cast<unsigned char>(text[i + 1]);  // U+0080..U+009F
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

}  // namespace busdesk
