// Arbitrary answer bodies through the response serializers, under every charset a server may
// name (UTF-8, GBK and its relatives, Latin-1, unknown names) and through the text decoding the
// response string uses. The first byte picks the charset, the content type and the options.
#include <algorithm>
#include <boost/json.hpp>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "net/HTTPResponseSerializer.h"
#include "net/JSONResponseSerializer.h"
#include "net/TextEncoding.h"
#include "platform/Charset.h"

namespace {

using namespace busdesk;

constexpr const char* kCharsets[] = {nullptr,        "utf-8",     "UTF8",    "gbk",
                                     "GB2312",       "gb18030",   "big5",    "iso-8859-1",
                                     "windows-1252", "shift_jis", "\"gbk\"", "no-such-charset"};
constexpr const char* kTypes[] = {"application/json", "text/html", "text/plain", nullptr};

// Equal values, with numbers compared as numbers: a double far beyond 2^64 does not always come back
// bit for bit from its shortest text, and that is the JSON library's rounding, not ours.
bool sameValue(const boost::json::value& a, const boost::json::value& b) {
    if (a.is_number() && b.is_number()) {
        double x = a.to_number<double>(), y = b.to_number<double>();
        return x == y || std::fabs(x - y) <= 1e-12 * std::max(std::fabs(x), std::fabs(y));
    }
    if (a.kind() != b.kind()) return false;
    if (a.is_array()) {
        const auto &l = a.get_array(), &r = b.get_array();
        if (l.size() != r.size()) return false;
        for (std::size_t i = 0; i < l.size(); ++i)
            if (!sameValue(l[i], r[i])) return false;
        return true;
    }
    if (a.is_object()) {
        const auto &l = a.get_object(), &r = b.get_object();
        if (l.size() != r.size()) return false;
        for (const auto& [key, value] : l) {
            auto it = r.find(key);
            if (it == r.end() || !sameValue(value, it->value())) return false;
        }
        return true;
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned selector = data[0];
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const char* charset = kCharsets[selector % std::size(kCharsets)];
    const char* type = kTypes[(selector / std::size(kCharsets)) % std::size(kTypes)];

    auto response = std::make_shared<HTTPURLResponse>();
    response->URL = "http://127.0.0.1/OfficeServiceQ/Query";
    response->statusCode = (selector & 0x80) ? 500 : 200;
    if (type)
        response->allHeaderFields["Content-Type"] =
            charset ? std::string(type) + "; charset=" + charset : type;
    response->expectedContentLength = static_cast<long long>(body.size());

    // Whatever decodes is UTF-8 afterwards.
    std::string encoding = charset ? charset : "UTF-8";
    if (auto text = decodeText(body, encoding)) {
        if (!Charset::isValidUTF8(*text)) __builtin_trap();
    }
    if (auto text = decodeText(body, "UTF-8"); text.has_value() != Charset::isValidUTF8(body))
        __builtin_trap();

    std::optional<Error> error;
    auto plain = HTTPResponseSerializer::serializer();
    auto raw = plain->responseObjectForResponse(response, body, error);
    if (!raw.data || *raw.data != body) __builtin_trap();  // the bytes pass unchanged

    auto json = JSONResponseSerializer::serializer();
    json->removesKeysWithNullValues = selector & 0x40;
    if (selector & 0x20) json->readingOptions = JSONReadingAllowFragments;
    error.reset();
    auto object = json->responseObjectForResponse(response, body, error);
    if (object.json) {
        // What was parsed serializes and parses back to the same value.
        // A number beyond the double range was read as infinity, whose text the library does not
        // read back; that is not ours to judge.
        boost::system::error_code ec;
        auto again = boost::json::parse(boost::json::serialize(*object.json), ec);
        if (!ec && !sameValue(again, *object.json)) __builtin_trap();
    }
    return 0;
}
