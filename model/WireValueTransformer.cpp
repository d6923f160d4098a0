#include "model/WireValueTransformer.h"

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <ctime>
#include <limits>

namespace busdesk {

namespace json = boost::json;

namespace {

const json::value* jsonOf(const WireValue& v) {
    return std::get_if<json::value>(&v);
}

bool isNumber(const json::value& v) {
    return v.is_int64() || v.is_uint64() || v.is_double() || v.is_bool();
}

std::string_view trimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() &&
           (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\f' || s[i] == '\v'))
        ++i;
    return s.substr(i);
}

// Length of the longest decimal number (sign, digits, fraction, exponent) at the start of s.
size_t decimalPrefix(std::string_view s, bool allowFraction) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digitsStart = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    size_t intDigits = i - digitsStart;
    size_t fracDigits = 0;
    if (allowFraction && i < s.size() && s[i] == '.') {
        size_t j = i + 1;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
        fracDigits = j - i - 1;
        if (intDigits + fracDigits > 0) i = j;
    }
    if (intDigits + fracDigits == 0) return 0;
    if (allowFraction && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        size_t expStart = j;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
        if (j > expStart) i = j;
    }
    return i;
}

double numberAsDouble(const json::value& v) {
    if (v.is_int64()) return static_cast<double>(v.get_int64());
    if (v.is_uint64()) return static_cast<double>(v.get_uint64());
    if (v.is_double()) return v.get_double();
    if (v.is_bool()) return v.get_bool() ? 1.0 : 0.0;
    return 0.0;
}

// The integer value of a number, truncated toward zero and saturated.
long long numberAsInteger(const json::value& v) {
    if (v.is_int64()) return v.get_int64();
    if (v.is_uint64())
        return v.get_uint64() > static_cast<std::uint64_t>(LLONG_MAX)
                   ? LLONG_MAX
                   : static_cast<long long>(v.get_uint64());
    if (v.is_bool()) return v.get_bool() ? 1 : 0;
    if (v.is_double()) {
        double d = v.get_double();
        if (std::isnan(d)) return 0;
        if (d >= 9.2233720368547758e18) return LLONG_MAX;
        if (d <= -9.2233720368547758e18) return LLONG_MIN;
        return static_cast<long long>(d);
    }
    return 0;
}

std::optional<WireValue> wrap(json::value v) {
    return WireValue(std::move(v));
}

// --- the conversions ----------------------------------------------------------------------------

std::optional<WireValue> mutableStringFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    return wrap(*v);
}

std::optional<WireValue> mutableArrayFromArray(const WireValue& in) {
    if (std::holds_alternative<WireModelArrayHandle>(in)) return in;
    auto* v = jsonOf(in);
    if (!v || !v->is_array()) return std::nullopt;
    return wrap(*v);
}

std::optional<WireValue> passModelArray(const WireValue& in) {
    if (!std::holds_alternative<WireModelArrayHandle>(in)) return std::nullopt;
    return in;
}

std::optional<WireValue> mutableDictionaryFromDictionary(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_object()) return std::nullopt;
    return wrap(*v);
}

std::optional<WireValue> setFromArray(const WireValue& in, bool isMutable) {
    auto* v = jsonOf(in);
    if (!v || !v->is_array()) return std::nullopt;
    WireSet set;
    set.isMutable = isMutable;
    for (const auto& e : v->get_array()) {
        if (std::find(set.elements.begin(), set.elements.end(), e) == set.elements.end())
            set.elements.push_back(e);
    }
    return WireValue(std::move(set));
}
std::optional<WireValue> setFromArrayImmutable(const WireValue& in) {
    return setFromArray(in, false);
}
std::optional<WireValue> setFromArrayMutable(const WireValue& in) {
    return setFromArray(in, true);
}

std::optional<WireValue> jsonFromSet(const WireValue& in) {
    auto* s = std::get_if<WireSet>(&in);
    if (!s) return std::nullopt;
    json::array a;
    for (const auto& e : s->elements) a.push_back(e);
    return wrap(std::move(a));
}

std::optional<WireValue> convertBoolFromNumber(const WireValue& in) {
    if (std::holds_alternative<std::monostate>(in)) return wrap(false);
    auto* v = jsonOf(in);
    if (!v) return std::nullopt;
    if (v->is_null()) return wrap(false);
    if (!isNumber(*v)) return std::nullopt;
    return wrap(WireValueTransformer::boolFromNumber(*v));
}

std::optional<WireValue> convertBoolFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    return wrap(WireValueTransformer::boolFromString(v->get_string()));
}

std::optional<WireValue> jsonFromBool(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !isNumber(*v)) return std::nullopt;
    return wrap(numberAsInteger(*v) != 0);
}

std::optional<WireValue> floatFromObject(const WireValue& in) {
    if (auto* f = std::get_if<float>(&in)) return WireValue(*f);
    auto* v = jsonOf(in);
    if (!v) return std::nullopt;
    if (v->is_string())
        return WireValue(static_cast<float>(WireValueTransformer::doubleFromText(v->get_string())));
    if (isNumber(*v)) return WireValue(static_cast<float>(numberAsDouble(*v)));
    return std::nullopt;
}
std::optional<WireValue> floatFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    return floatFromObject(in);
}
std::optional<WireValue> floatFromNumber(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !isNumber(*v)) return std::nullopt;
    return floatFromObject(in);
}

std::optional<WireValue> numberFromFloat(const WireValue& in) {
    if (auto* f = std::get_if<float>(&in)) return wrap(static_cast<double>(*f));
    return std::nullopt;
}

std::optional<WireValue> numberFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    // Read as a double, kept as a single-precision number: nine significant digits keep about seven.
    float f = static_cast<float>(WireValueTransformer::doubleFromText(v->get_string()));
    return wrap(static_cast<double>(f));
}

std::optional<WireValue> convertStringFromNumber(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !isNumber(*v)) return std::nullopt;
    return wrap(json::string(WireValueTransformer::stringFromNumber(*v)));
}

// Canonical exact decimal text of the decimal number at the start of `text`, or "NaN".
std::string canonicalDecimal(std::string_view text) {
    text = trimLeft(text);
    size_t n = decimalPrefix(text, true);
    if (n == 0) return "NaN";
    std::string_view num = text.substr(0, n);
    bool negative = false;
    size_t i = 0;
    if (num[i] == '+' || num[i] == '-') negative = num[i++] == '-';
    std::string digits;
    long long exponent = 0;
    for (; i < num.size() && num[i] != 'e' && num[i] != 'E'; ++i) {
        if (num[i] == '.') continue;
        digits += num[i];
    }
    size_t dot = num.find('.');
    size_t expPos = num.find_first_of("eE");
    size_t mantEnd = expPos == std::string_view::npos ? num.size() : expPos;
    if (dot != std::string_view::npos) exponent -= static_cast<long long>(mantEnd - dot - 1);
    if (expPos != std::string_view::npos) {
        long long e = 0;
        auto expText = num.substr(expPos + 1);
        if (!expText.empty() && expText[0] == '+') expText.remove_prefix(1);
        auto r = std::from_chars(expText.data(), expText.data() + expText.size(), e);
        if (r.ec != std::errc()) return "NaN";
        exponent += e;
    }
    size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return "0";
    digits.erase(0, firstNonZero);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    std::string out = negative ? "-" : "";
    long long len = static_cast<long long>(digits.size());
    if (exponent > 64 || exponent + len < -64) {
        out += digits + "E" + std::to_string(exponent);
    } else if (exponent >= 0) {
        out += digits + std::string(static_cast<size_t>(exponent), '0');
    } else if (-exponent < len) {
        out += digits.substr(0, static_cast<size_t>(len + exponent)) + "." +
               digits.substr(static_cast<size_t>(len + exponent));
    } else {
        out += "0." + std::string(static_cast<size_t>(-exponent - len), '0') + digits;
    }
    return out;
}

std::optional<WireValue> decimalFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    return WireValue(WireDecimal{canonicalDecimal(v->get_string())});
}

std::optional<WireValue> stringFromDecimal(const WireValue& in) {
    auto* d = std::get_if<WireDecimal>(&in);
    if (!d) return std::nullopt;
    return wrap(json::string(d->text));
}

bool isURLCharacter(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("-._~:/?#[]@!$&'()*+,;=").find(static_cast<char>(c)) != std::string_view::npos;
}
bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::optional<WireValue> urlFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    std::string_view s = v->get_string();
    if (s.empty()) return std::nullopt;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%') {
            if (i + 2 >= s.size() + 0 || !isHex(s[i + 1]) || !isHex(s[i + 2])) return std::nullopt;
            i += 2;
        } else if (!isURLCharacter(static_cast<unsigned char>(s[i]))) {
            return std::nullopt;
        }
    }
    return WireValue(WireURL{std::string(s)});
}

std::optional<WireValue> jsonFromURL(const WireValue& in) {
    auto* u = std::get_if<WireURL>(&in);
    if (!u) return std::nullopt;
    return wrap(json::string(u->absoluteString));
}

long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool readDigits(std::string_view& s, size_t n, int& out) {
    if (s.size() < n) return false;
    out = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    s.remove_prefix(n);
    return true;
}

// "yyyy-MM-dd'T'HHmmss" followed by a zone ("Z", "+HHMM", "+HH", "GMT", "GMT+HHMM", "UTC+HH"):
// the import form once every colon is gone.
std::optional<WireValue> dateFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    std::string text;
    for (char c : std::string_view(v->get_string()))
        if (c != ':') text += c;
    std::string_view s = text;
    int year, month, day, hour, minute, second;
    if (!readDigits(s, 4, year) || s.empty() || s[0] != '-') return std::nullopt;
    s.remove_prefix(1);
    if (!readDigits(s, 2, month) || s.empty() || s[0] != '-') return std::nullopt;
    s.remove_prefix(1);
    if (!readDigits(s, 2, day) || s.empty() || s[0] != 'T') return std::nullopt;
    s.remove_prefix(1);
    if (!readDigits(s, 2, hour) || !readDigits(s, 2, minute) || !readDigits(s, 2, second))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    int offsetSeconds = 0;
    if (s == "Z") {
        s = {};
    } else {
        if (s.starts_with("GMT") || s.starts_with("UTC")) s.remove_prefix(3);
        if (!s.empty()) {
            if (s[0] != '+' && s[0] != '-') return std::nullopt;
            int sign = s[0] == '-' ? -1 : 1;
            s.remove_prefix(1);
            int oh = 0, om = 0;
            if (!readDigits(s, 2, oh)) return std::nullopt;
            if (!s.empty() && !readDigits(s, 2, om)) return std::nullopt;
            if (!s.empty() || oh > 23 || om > 59) return std::nullopt;
            offsetSeconds = sign * (oh * 3600 + om * 60);
        } else if (text.size() == s.size()) {
            return std::nullopt;
        }
    }
    if (!s.empty()) return std::nullopt;
    long long days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    double seconds = static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds);
    return WireValue(WireDate{seconds});
}

std::optional<WireValue> jsonFromDate(const WireValue& in) {
    auto* d = std::get_if<WireDate>(&in);
    if (!d || !std::isfinite(d->secondsSince1970)) return std::nullopt;
    std::time_t t = static_cast<std::time_t>(std::floor(d->secondsSince1970));
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return std::nullopt;
    char buf[64];
    size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S%z", &tm);
    if (n == 0) return std::nullopt;
    return wrap(json::string(std::string_view(buf, n)));
}

std::optional<WireValue> dateFromNumber(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !isNumber(*v)) return std::nullopt;
    return WireValue(WireDate{numberAsDouble(*v)});
}

std::optional<WireValue> timeZoneFromString(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_string()) return std::nullopt;
    std::string name(v->get_string());
    std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(name)));
    if (!tz || *tz == icu::TimeZone::getUnknown()) return std::nullopt;
    return WireValue(WireTimeZone{name});
}

std::optional<WireValue> jsonFromTimeZone(const WireValue& in) {
    auto* z = std::get_if<WireTimeZone>(&in);
    if (!z) return std::nullopt;
    return wrap(json::string(z->name));
}

std::optional<WireValue> dictionaryFromArray(const WireValue& in) {
    auto* v = jsonOf(in);
    if (!v || !v->is_array()) return std::nullopt;
    if (v->get_array().empty()) return wrap(json::object());
    return in;  // a filled list comes back unchanged; the mapping rejects it for a dictionary property
}

}  // namespace

WireValueTransformer::WireValueTransformer() {
    table_ = {
        {"NSMutableStringFromNSString:", &mutableStringFromString},
        {"NSMutableArrayFromNSArray:", &mutableArrayFromArray},
        {"NSArrayFromWireModelArray:", &passModelArray},
        {"NSMutableArrayFromWireModelArray:", &passModelArray},
        {"NSMutableDictionaryFromNSDictionary:", &mutableDictionaryFromDictionary},
        {"NSSetFromNSArray:", &setFromArrayImmutable},
        {"NSMutableSetFromNSArray:", &setFromArrayMutable},
        {"JSONObjectFromNSSet:", &jsonFromSet},
        {"JSONObjectFromNSMutableSet:", &jsonFromSet},
        {"BOOLFromNSNumber:", &convertBoolFromNumber},
        {"BOOLFromNSString:", &convertBoolFromString},
        {"JSONObjectFromBOOL:", &jsonFromBool},
        {"floatFromObject:", &floatFromObject},
        {"floatFromNSString:", &floatFromString},
        {"floatFromNSNumber:", &floatFromNumber},
        {"NSNumberFromfloat:", &numberFromFloat},
        {"NSNumberFromNSString:", &numberFromString},
        {"NSStringFromNSNumber:", &convertStringFromNumber},
        {"NSDecimalNumberFromNSString:", &decimalFromString},
        {"NSStringFromNSDecimalNumber:", &stringFromDecimal},
        {"NSURLFromNSString:", &urlFromString},
        {"JSONObjectFromNSURL:", &jsonFromURL},
        {"__NSDateFromNSString:", &dateFromString},
        {"__JSONObjectFromNSDate:", &jsonFromDate},
        {"NSDateFromNSNumber:", &dateFromNumber},
        {"NSTimeZoneFromNSString:", &timeZoneFromString},
        {"JSONObjectFromNSTimeZone:", &jsonFromTimeZone},
        {"__NSDictionaryFromNSArray:", &dictionaryFromArray},
        {"__NSMutableDictionaryFromNSArray:", &dictionaryFromArray},
    };
}

const WireValueTransformer& WireValueTransformer::shared() {
    static const WireValueTransformer instance;
    return instance;
}

const std::vector<std::pair<std::string, std::string>>& WireValueTransformer::primitivesNames() {
    static const std::vector<std::pair<std::string, std::string>> names = {
        {"f", "float"},      {"i", "int"},   {"d", "double"}, {"l", "long"},
        {"c", "BOOL"},       {"s", "short"}, {"q", "long"},   {"I", "NSInteger"},
        {"Q", "NSUInteger"}, {"B", "BOOL"},  {"@?", "Block"},
    };
    return names;
}

std::optional<std::string> WireValueTransformer::primitiveNameForCode(std::string_view code) {
    for (const auto& [c, name] : primitivesNames())
        if (c == code) return name;
    return std::nullopt;
}

const std::vector<std::string>& WireValueTransformer::allowedPrimitiveNames() {
    static const std::vector<std::string> names = {"BOOL",  "float",     "int",        "long", "double",
                                                   "short", "NSInteger", "NSUInteger", "Block"};
    return names;
}

const std::vector<std::string>& WireValueTransformer::allowedJSONTypes() {
    static const std::vector<std::string> names = {
        "NSString",        "NSNumber",       "NSDecimalNumber",    "NSArray", "NSDictionary", "NSNull",
        "NSMutableString", "NSMutableArray", "NSMutableDictionary"};
    return names;
}

std::string WireValueTransformer::classByResolvingClusterClasses(std::string_view className) {
    // Each known class with the chain of classes it descends from; the clusters are tested in order.
    static const std::vector<std::pair<std::string_view, std::vector<std::string_view>>> ancestry = {
        {"NSString", {"NSString"}},
        {"NSMutableString", {"NSString"}},
        {"NSNumber", {"NSNumber"}},
        {"NSDecimalNumber", {"NSNumber"}},
        {"NSArray", {"NSArray"}},
        {"NSMutableArray", {"NSArray"}},
        {"NSDictionary", {"NSDictionary"}},
        {"NSMutableDictionary", {"NSDictionary"}},
        {"NSDate", {"NSDate"}},
    };
    for (const auto& [cls, chain] : ancestry)
        if (cls == className) return std::string(chain.front());
    return std::string(className);
}

std::string_view WireValueTransformer::clusterClassOf(const json::value& value) {
    switch (value.kind()) {
        case json::kind::string:
            return "NSString";
        case json::kind::int64:
        case json::kind::uint64:
        case json::kind::double_:
        case json::kind::bool_:
            return "NSNumber";
        case json::kind::array:
            return "NSArray";
        case json::kind::object:
            return "NSDictionary";
        case json::kind::null:
            return "NSNull";
    }
    return "NSNull";
}

std::string WireValueTransformer::clusterClassOf(const WireValue& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return "NSNull"; }
        std::string operator()(const json::value& v) const { return std::string(clusterClassOf(v)); }
        std::string operator()(float) const { return "float"; }
        std::string operator()(const WireSet& s) const { return s.isMutable ? "NSMutableSet" : "NSSet"; }
        std::string operator()(const WireURL&) const { return "NSURL"; }
        std::string operator()(const WireDecimal&) const { return "NSNumber"; }
        std::string operator()(const WireDate&) const { return "NSDate"; }
        std::string operator()(const WireTimeZone&) const { return "NSTimeZone"; }
        std::string operator()(const WireModelArrayHandle&) const { return "WireModelArray"; }
    };
    return std::visit(Visitor{}, value);
}

WireValueTransformer::Conversion WireValueTransformer::find(std::string_view selector) const {
    auto it = table_.find(selector);
    return it == table_.end() ? nullptr : it->second;
}

WireValueTransformer::Conversion WireValueTransformer::findConversion(std::string_view target,
                                                                      std::string_view source,
                                                                      std::string* usedName) const {
    std::string name;
    name.reserve(target.size() + source.size() + 8);
    name.append(target).append("From").append(source).append(":");
    if (auto c = find(name)) {
        if (usedName) *usedName = name;
        return c;
    }
    name.insert(0, "__");
    if (auto c = find(name)) {
        if (usedName) *usedName = name;
        return c;
    }
    return nullptr;
}

std::optional<WireValue> WireValueTransformer::transform(std::string_view selector,
                                                         const WireValue& value) const {
    auto c = find(selector);
    if (!c) return std::nullopt;
    return c(value);
}

std::vector<std::string> WireValueTransformer::selectorNames() const {
    std::vector<std::string> names;
    for (const auto& [name, fn] : table_) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

std::string WireValueTransformer::stringFromNumber(const json::value& number) {
    char buf[64];
    if (number.is_bool()) return number.get_bool() ? "1" : "0";
    if (number.is_int64()) return std::to_string(number.get_int64());
    if (number.is_uint64()) return std::to_string(number.get_uint64());
    if (number.is_double()) {
        double d = number.get_double();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15) {
            return std::to_string(static_cast<long long>(d));
        }
        auto r = std::to_chars(buf, buf + sizeof buf, d);
        return std::string(buf, r.ptr);
    }
    return {};
}

double WireValueTransformer::doubleFromText(std::string_view text) {
    text = trimLeft(text);
    size_t n = decimalPrefix(text, true);
    if (n == 0) return 0.0;
    std::string_view num = text.substr(0, n);
    if (num[0] == '+') num.remove_prefix(1);
    double d = 0;
    auto r = std::from_chars(num.data(), num.data() + num.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
        // Distinguish overflow from underflow by the exponent's sign.
        size_t e = num.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < num.size() && num[e + 1] == '-';
        if (tiny) return 0.0;
        return num[0] == '-' ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity();
    }
    return d;
}

long long WireValueTransformer::integerFromText(std::string_view text) {
    text = trimLeft(text);
    size_t n = decimalPrefix(text, false);
    if (n == 0) return 0;
    std::string_view num = text.substr(0, n);
    bool negative = num[0] == '-';
    if (num[0] == '+' || num[0] == '-') num.remove_prefix(1);
    unsigned long long magnitude = 0;
    for (char c : num) {
        if (magnitude > (ULLONG_MAX - 9) / 10) return negative ? LLONG_MIN : LLONG_MAX;
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    }
    if (negative) {
        if (magnitude > static_cast<unsigned long long>(LLONG_MAX) + 1) return LLONG_MIN;
        return magnitude == static_cast<unsigned long long>(LLONG_MAX) + 1
                   ? LLONG_MIN
                   : -static_cast<long long>(magnitude);
    }
    return magnitude > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MAX
                                                                  : static_cast<long long>(magnitude);
}

bool WireValueTransformer::boolValueOfText(std::string_view text) {
    text = trimLeft(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i >= text.size()) return false;
    char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

bool WireValueTransformer::boolFromString(std::string_view text) {
    auto equalsIgnoringCase = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
            if (x != b[i]) return false;
        }
        return true;
    };
    if (equalsIgnoringCase(text, "true") || equalsIgnoringCase(text, "yes")) return true;
    return integerFromText(text) != 0;
}

double WireValueTransformer::doubleFromNumber(const json::value& number) {
    return numberAsDouble(number);
}
long long WireValueTransformer::integerFromNumber(const json::value& number) {
    return numberAsInteger(number);
}

bool WireValueTransformer::boolFromNumber(const json::value& number) {
    if (number.is_null()) return false;
    return numberAsInteger(number) != 0;
}

}  // namespace busdesk
