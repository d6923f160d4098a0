// Arbitrary parameters through the query-string encoder. The first byte picks the text encoding
// and how the rest becomes parameters (a JSON document, or the bytes as a field name and value).
// In UTF-8 every pair decodes back to its field and value, and only URL-safe bytes come out.
#include <boost/json.hpp>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/QueryStringPair.h"

namespace {

using namespace busdesk;

constexpr const char* kEncodings[] = {"UTF-8", "gbk", "gb18030", "iso-8859-1", "big5"};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Strict: anything but "%XX" in upper-case hex or a kept character is a fault of the encoder.
std::string percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) __builtin_trap();
        int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) __builtin_trap();
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

bool isURLSafe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~' || c == '%' || c == '&' || c == '=' || c == '[' || c == ']';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned selector = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view encoding = kEncodings[selector % std::size(kEncodings)];

    boost::json::value parameters;
    if (selector & 0x80) {
        boost::system::error_code ec;
        parameters = boost::json::parse(rest, ec);
        if (ec) return 0;
    } else {
        const auto half = rest.size() / 2;
        parameters = boost::json::object{{rest.substr(0, half), rest.substr(half)}};
    }

    const auto pairs = QueryStringPairsFromDictionary(parameters);
    const auto query = QueryStringFromParametersWithEncoding(parameters, encoding);
    if (!query) {
        if (isUTF8EncodingName(encoding)) __builtin_trap();  // UTF-8 represents any text
        return 0;
    }
    for (char c : *query)
        if (!isURLSafe(c)) __builtin_trap();
    if (!isUTF8EncodingName(encoding)) return 0;

    // Split on "&": one piece per pair, each "field" or "field=value", decoding to the pair.
    size_t start = 0;
    for (size_t index = 0; index < pairs.size(); ++index) {
        if (start > query->size()) __builtin_trap();
        size_t end = query->find('&', start);
        if (end == std::string::npos) end = query->size();
        if ((end == query->size()) != (index + 1 == pairs.size())) __builtin_trap();
        std::string_view piece(query->data() + start, end - start);
        size_t eq = piece.find('=');
        if (percentDecode(piece.substr(0, eq)) != pairs[index].field()) __builtin_trap();
        if (pairs[index].value().is_null()) {
            if (eq != std::string_view::npos) __builtin_trap();
        } else {
            if (eq == std::string_view::npos) __builtin_trap();
            if (percentDecode(piece.substr(eq + 1)) != descriptionOfJSONValue(pairs[index].value()))
                __builtin_trap();
        }
        start = end + 1;
    }
    return 0;
}
