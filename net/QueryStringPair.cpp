#include "net/QueryStringPair.h"

#include <algorithm>
#include <boost/json.hpp>
#include <charconv>
#include <cstdio>

#include "platform/Charset.h"

namespace busdesk {

namespace json = boost::json;

bool isUTF8EncodingName(std::string_view encoding) {
    std::string lower;
    for (char c : encoding) {
        if (c != '-' && c != '_') lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower == "utf8";
}

std::optional<std::string> encodeText(std::string_view utf8, std::string_view encoding) {
    if (isUTF8EncodingName(encoding)) return std::string(utf8);
    return Charset::encodeFromUTF8(utf8, encoding);
}

namespace {

// Code points above U+FFFF sort as their surrogates (D800–DFFF), i.e. below U+E000.
std::uint32_t utf16Key(char32_t cp) {
    if (cp >= 0x10000) return 0xD800 + ((cp - 0x10000) >> 10);
    return cp;
}

}  // namespace

bool utf16Less(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // Malformed bytes read as U+FFFD, so the order stays total.
        char32_t ca = Charset::nextCodePoint(a, i), cb = Charset::nextCodePoint(b, j);
        if (ca == cb) continue;
        std::uint32_t ka = utf16Key(ca), kb = utf16Key(cb);
        if (ka != kb) return ka < kb;
        // Same high surrogate: compare the low surrogates.
        return ((ca - 0x10000) & 0x3FF) < ((cb - 0x10000) & 0x3FF);
    }
    return i >= a.size() && j < b.size();
}

std::string descriptionOfJSONValue(const json::value& value) {
    switch (value.kind()) {
        case json::kind::string:
            return std::string(value.get_string());
        case json::kind::int64:
            return std::to_string(value.get_int64());
        case json::kind::uint64:
            return std::to_string(value.get_uint64());
        case json::kind::double_: {
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, value.get_double());
            return std::string(buf, r.ptr);
        }
        case json::kind::bool_:
            return value.get_bool() ? "1" : "0";
        case json::kind::null:
            return "";
        default:
            return json::serialize(value);
    }
}

std::optional<std::string> percentEscapedString(std::string_view text, std::string_view encoding,
                                                bool isField) {
    auto bytes = encodeText(text, encoding);
    if (!bytes) return std::nullopt;
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes->size());
    for (unsigned char c : *bytes) {
        bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '_' || c == '.' || c == '~' || (isField && (c == '[' || c == ']'));
        if (keep) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::optional<std::string> QueryStringPair::URLEncodedStringValueWithEncoding(
    std::string_view encoding) const {
    auto field = percentEscapedString(field_, encoding, true);
    if (!field) return std::nullopt;
    if (value_.is_null()) return field;
    auto value = percentEscapedString(descriptionOfJSONValue(value_), encoding, false);
    if (!value) return std::nullopt;
    return *field + "=" + *value;
}

namespace {

void expand(const std::string* key, const json::value& value, std::vector<QueryStringPair>& out) {
    if (value.is_object()) {
        const json::object& obj = value.get_object();
        std::vector<const json::key_value_pair*> entries;
        entries.reserve(obj.size());
        for (const auto& kv : obj) entries.push_back(&kv);
        std::sort(entries.begin(), entries.end(),
                  [](auto* a, auto* b) { return utf16Less(a->key(), b->key()); });
        for (const auto* kv : entries) {
            std::string nested = key ? *key + "[" + std::string(kv->key()) + "]" : std::string(kv->key());
            expand(&nested, kv->value(), out);
        }
    } else if (value.is_array()) {
        std::string nested = (key ? *key : std::string()) + "[]";
        for (const auto& element : value.get_array()) expand(&nested, element, out);
    } else {
        out.emplace_back(key ? *key : std::string(), value);
    }
}

}  // namespace

std::vector<QueryStringPair> QueryStringPairsFromDictionary(const json::value& parameters) {
    std::vector<QueryStringPair> pairs;
    expand(nullptr, parameters, pairs);
    return pairs;
}

std::optional<std::string> QueryStringFromParametersWithEncoding(const json::value& parameters,
                                                                 std::string_view encoding) {
    std::string out;
    bool first = true;
    for (const auto& pair : QueryStringPairsFromDictionary(parameters)) {
        auto encoded = pair.URLEncodedStringValueWithEncoding(encoding);
        if (!encoded) return std::nullopt;
        if (!first) out += '&';
        out += *encoded;
        first = false;
    }
    return out;
}

}  // namespace busdesk
