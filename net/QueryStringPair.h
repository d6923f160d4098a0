#pragma once

#include <boost/json/value.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busdesk {

// One field of an encoded parameter dictionary. A null value encodes as the bare field.
class QueryStringPair {
  public:
    QueryStringPair(std::string field, boost::json::value value)
        : field_(std::move(field)), value_(std::move(value)) {}
    static QueryStringPair initWithField(std::string field, boost::json::value value) {
        return QueryStringPair(std::move(field), std::move(value));
    }

    const std::string& field() const { return field_; }
    const boost::json::value& value() const { return value_; }

    // nullopt when the text cannot be represented in `encoding`.
    std::optional<std::string> URLEncodedStringValueWithEncoding(std::string_view encoding) const;

  private:
    std::string field_;
    boost::json::value value_;
};

// Expands parameters into ordered pairs: object keys sorted by UTF-16 code units, nested
// fields "outer[key]", array elements "outer[]" in array order.
std::vector<QueryStringPair> QueryStringPairsFromDictionary(const boost::json::value& parameters);
// The pairs encoded and joined with "&"; nullopt when some text is not representable.
std::optional<std::string> QueryStringFromParametersWithEncoding(const boost::json::value& parameters,
                                                                 std::string_view encoding);

// The textual description of a scalar JSON value (numbers in decimal, booleans as 1 / 0).
std::string descriptionOfJSONValue(const boost::json::value& value);
// Percent-escapes `text` in `encoding`, keeping letters, digits and "-_.~" (and "[]" for fields).
std::optional<std::string> percentEscapedString(std::string_view text, std::string_view encoding,
                                                bool isField);
// UTF-16 code-unit order on UTF-8 text, the order the platform's string compare uses.
bool utf16Less(std::string_view a, std::string_view b);
bool isUTF8EncodingName(std::string_view encoding);
// Text in UTF-8 to bytes of `encoding`; nullopt when not representable.
std::optional<std::string> encodeText(std::string_view utf8, std::string_view encoding);

}  // namespace busdesk
