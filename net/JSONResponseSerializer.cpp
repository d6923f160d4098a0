#include "net/JSONResponseSerializer.h"

#include <boost/json.hpp>

#include "net/QueryStringPair.h"
#include "net/TextEncoding.h"
#include "net/URLError.h"
#include "platform/Charset.h"
#include "platform/JSONText.h"

namespace busdesk {

namespace json = boost::json;

JSONResponseSerializer::JSONResponseSerializer() {
    acceptableContentTypes =
        std::set<std::string>{"application/json", "text/json", "text/javascript", "text/html"};
}

std::shared_ptr<JSONResponseSerializer> JSONResponseSerializer::serializer() {
    return std::make_shared<JSONResponseSerializer>();
}

namespace {

void removeNulls(json::value& v) {
    if (v.is_object()) {
        json::object& obj = v.get_object();
        for (auto it = obj.begin(); it != obj.end();) {
            if (it->value().is_null()) {
                it = obj.erase(it);
            } else {
                removeNulls(it->value());
                ++it;
            }
        }
    } else if (v.is_array()) {
        for (auto& element : v.get_array()) removeNulls(element);
    }
}

Error parseError(const std::string& debug) {
    Error e(kCocoaErrorDomain, kPropertyListReadCorruptError,
            "The data couldn\u2019t be read because it isn\u2019t in the correct format.");
    e.userInfo["NSDebugDescription"] = debug;
    return e;
}

}  // namespace

ResponseObject JSONResponseSerializer::responseObjectForResponse(
    const std::shared_ptr<const HTTPURLResponse>& response, const std::string& data,
    std::optional<Error>& error) const {
    ResponseObject object;
    std::optional<Error> validation;
    if (!validateResponse(response, data, validation)) {
        if (validation && validation->hasInChain(kURLResponseSerializationErrorDomain,
                                                 URLErrorCode::CannotDecodeContentData)) {
            error = std::move(validation);
            return object;
        }
    }

    std::string encoding = stringEncoding;
    if (response) {
        if (auto name = response->textEncodingName(); name && isKnownEncoding(*name)) encoding = *name;
    }
    std::optional<Error> serialization;
    // UTF-8 bodies (the usual case) are checked in place; other charsets are decoded first. Our
    // decoded text is already UTF-8, so the platform's re-encoding step cannot fail here.
    std::optional<std::string> decoded;
    std::string_view text;
    bool decodes;
    if (isUTF8EncodingName(encoding)) {
        // Checked here rather than by the parser, which checks byte by byte inside every string
        // and takes about as long for that as for the rest of parsing.
        decodes = Charset::isValidUTF8(data);
        if (decodes) text = data;
    } else {
        decoded = decodeText(data, encoding);
        decodes = decoded.has_value();
        if (decoded) text = *decoded;
    }
    if (decodes && text != " ") {
        std::string_view body = text;
        if (body.size() >= 3 && body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
        if (!body.empty()) {
            boost::system::error_code ec;
            // The text is UTF-8 by now (checked, or decoded into it). The arena's first block is
            // sized from the text, so a usual answer is parsed into one block (pages of it never
            // written are never made resident).
            json::value parsed = parseUTF8JSON(body, ec, body.size() * 2);
            if (ec) {
                serialization = parseError(ec.message());
            } else if (!(readingOptions & JSONReadingAllowFragments) && !parsed.is_array() &&
                       !parsed.is_object()) {
                serialization = parseError(
                    "JSON text did not start with array or object and option to allow "
                    "fragments not set.");
            } else {
                if (removesKeysWithNullValues) removeNulls(parsed);
                object.json = std::move(parsed);
            }
        }
    }

    if (serialization) {
        if (validation) serialization->underlying = std::make_shared<const Error>(std::move(*validation));
        error = std::move(serialization);
    } else if (validation) {
        error = std::move(validation);
    }
    return object;
}

}  // namespace busdesk
