#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace busdesk {

// Values a conversion can take or give besides plain JSON. JSON itself only knows strings, numbers,
// booleans, arrays, objects and null; the rest exist for property types that need a richer form.
struct WireSet {
    std::vector<boost::json::value> elements;  // unique, in insertion order
    bool isMutable = false;
    bool operator==(const WireSet&) const = default;
};
struct WireURL {
    std::string absoluteString;
    bool operator==(const WireURL&) const = default;
};
// Exact decimal: the canonical decimal text ("NaN" when the input was not a number).
struct WireDecimal {
    std::string text;
    bool operator==(const WireDecimal&) const = default;
};
struct WireDate {
    double secondsSince1970 = 0;
    bool operator==(const WireDate&) const = default;
};
struct WireTimeZone {
    std::string name;
    bool operator==(const WireTimeZone&) const = default;
};
// An on-demand list handed through the table untouched; `array` is the WireModelArray's shared state.
struct WireModelArrayHandle {
    std::shared_ptr<const void> array;
    std::string targetClass;
    bool operator==(const WireModelArrayHandle&) const = default;
};

using WireValue = std::variant<std::monostate, boost::json::value, float, WireSet, WireURL, WireDecimal,
                               WireDate, WireTimeZone, WireModelArrayHandle>;

// The conversions between JSON values and the declared property types, found by name the way the
// mapping forms them: "<Target>From<Source>:" and, failing that, the same with the prefix "__".
class WireValueTransformer {
  public:
    // nullopt: the conversion produced nothing (an invalid URL, an unparsable date).
    using Conversion = std::optional<WireValue> (*)(const WireValue&);

    static const WireValueTransformer& shared();

    // Type code of a primitive declaration -> primitive name (eleven entries).
    static const std::vector<std::pair<std::string, std::string>>& primitivesNames();
    static std::optional<std::string> primitiveNameForCode(std::string_view code);
    // The names a primitive property may carry (the inspection checks names, not codes).
    static const std::vector<std::string>& allowedPrimitiveNames();
    // The nine classes a JSON input value may have.
    static const std::vector<std::string>& allowedJSONTypes();

    // NSMutableString -> NSString, NSDecimalNumber -> NSNumber, NSMutableArray -> NSArray, ...;
    // classes outside the clusters (WireModelArray among them) stay as they are.
    static std::string classByResolvingClusterClasses(std::string_view className);
    // The cluster-resolved class name of a value: string NSString, any number or boolean NSNumber,
    // array NSArray, object NSDictionary, null NSNull.
    static std::string_view clusterClassOf(const boost::json::value& value);
    static std::string clusterClassOf(const WireValue& value);

    // Exact look-up of an operation name such as "NSStringFromNSNumber:".
    Conversion find(std::string_view selector) const;
    // The formed name with the "__" fallback; `usedName` receives the name found.
    Conversion findConversion(std::string_view target, std::string_view source,
                              std::string* usedName = nullptr) const;
    // nullopt when the operation does not exist or gave nothing.
    std::optional<WireValue> transform(std::string_view selector, const WireValue& value) const;
    std::vector<std::string> selectorNames() const;

    static std::string_view importDateFormat() { return "yyyy-MM-dd'T'HHmmssZZZZ"; }
    static std::string_view exportDateFormat() { return "yyyy-MM-dd'T'HH:mm:ssZZZ"; }

    // Readings shared with the mapping's fast paths.
    // The standard decimal text of a JSON number or boolean (true "1", integers without a fraction).
    static std::string stringFromNumber(const boost::json::value& number);
    // Decimal reading from the start of a text, after spaces; 0 when there is no number there.
    static double doubleFromText(std::string_view text);
    static long long integerFromText(std::string_view text);  // saturating
    // The one-byte boolean's reading of a text: after spaces, a sign and zeros, Y y T t or 1-9.
    static bool boolValueOfText(std::string_view text);
    // BOOLFromNSString: "true"/"yes" in any case, otherwise the integer reading is not 0.
    static bool boolFromString(std::string_view text);
    static bool boolFromNumber(const boost::json::value& number);
    // A JSON number's (or boolean's) value: as a double, or truncated toward zero and saturated.
    static double doubleFromNumber(const boost::json::value& number);
    static long long integerFromNumber(const boost::json::value& number);

  private:
    WireValueTransformer();
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Conversion, Hash, std::equal_to<>> table_;
};

}  // namespace busdesk
