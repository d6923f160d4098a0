#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "model/NormalInfo.h"
#include "model/WireModelArray.h"
#include "model/WireValueTransformer.h"

namespace busdesk {
namespace {

namespace json = boost::json;

const WireValueTransformer& T() {
    return WireValueTransformer::shared();
}

json::value J(const std::optional<WireValue>& v) {
    if (!v) return json::value("<none>");
    auto* j = std::get_if<json::value>(&*v);
    return j ? *j : json::value("<not json>");
}

TEST(WireValueTransformer, PrimitiveTableAndClusters) {
    const auto& names = WireValueTransformer::primitivesNames();
    EXPECT_EQ(names.size(), 11u);
    EXPECT_EQ(WireValueTransformer::primitiveNameForCode("q"), "long");
    EXPECT_EQ(WireValueTransformer::primitiveNameForCode("I"), "NSInteger");
    EXPECT_EQ(WireValueTransformer::primitiveNameForCode("c"), "BOOL");
    EXPECT_EQ(WireValueTransformer::primitiveNameForCode("@?"), "Block");
    EXPECT_FALSE(WireValueTransformer::primitiveNameForCode("S").has_value());
    EXPECT_FALSE(WireValueTransformer::primitiveNameForCode("^d").has_value());

    EXPECT_EQ(WireValueTransformer::classByResolvingClusterClasses("NSMutableArray"), "NSArray");
    EXPECT_EQ(WireValueTransformer::classByResolvingClusterClasses("NSDecimalNumber"), "NSNumber");
    EXPECT_EQ(WireValueTransformer::classByResolvingClusterClasses("NSMutableString"), "NSString");
    EXPECT_EQ(WireValueTransformer::classByResolvingClusterClasses("WireModelArray"), "WireModelArray");
    EXPECT_EQ(WireValueTransformer::clusterClassOf(json::value(true)), "NSNumber");
    EXPECT_EQ(WireValueTransformer::clusterClassOf(json::value(std::uint64_t(1) << 63)), "NSNumber");
    EXPECT_EQ(WireValueTransformer::clusterClassOf(json::parse("{}")), "NSDictionary");
    EXPECT_EQ(WireValueTransformer::clusterClassOf(WireValue(WireDecimal{"1.5"})), "NSNumber");
}

TEST(WireValueTransformer, LookUpByFormedNameWithTheUnderscoreFallback) {
    std::string used;
    EXPECT_NE(T().findConversion("NSString", "NSNumber", &used), nullptr);
    EXPECT_EQ(used, "NSStringFromNSNumber:");
    EXPECT_NE(T().findConversion("NSDate", "NSString", &used), nullptr);
    EXPECT_EQ(used, "__NSDateFromNSString:");
    EXPECT_EQ(T().findConversion("NSString", "NSArray"), nullptr);
    EXPECT_EQ(T().find("NSDateFromNSString:"), nullptr);  // only reachable through the fallback
}

TEST(WireValueTransformer, NumbersTextsAndBooleans) {
    EXPECT_EQ(J(T().transform("NSStringFromNSNumber:", json::value(42))), json::value("42"));
    EXPECT_EQ(J(T().transform("NSStringFromNSNumber:", json::value(1.5))), json::value("1.5"));
    EXPECT_EQ(J(T().transform("NSStringFromNSNumber:", json::value(true))), json::value("1"));
    EXPECT_EQ(J(T().transform("NSStringFromNSNumber:", json::value(3.0))), json::value("3"));
    EXPECT_EQ(J(T().transform("NSStringFromNSNumber:", json::value(0.1))), json::value("0.1"));

    for (const char* yes : {"YES", "True", "2", "yes"})
        EXPECT_EQ(J(T().transform("BOOLFromNSString:", json::value(yes))), json::value(true)) << yes;
    for (const char* no : {"0", "no", "", "false", "abc"})
        EXPECT_EQ(J(T().transform("BOOLFromNSString:", json::value(no))), json::value(false)) << no;
    EXPECT_EQ(J(T().transform("BOOLFromNSNumber:", json::value(nullptr))), json::value(false));
    EXPECT_EQ(J(T().transform("BOOLFromNSNumber:", json::value(0.5))),
              json::value(false));  // integer value 0
    EXPECT_EQ(J(T().transform("BOOLFromNSNumber:", json::value(-3))), json::value(true));
    EXPECT_EQ(J(T().transform("JSONObjectFromBOOL:", json::value(7))), json::value(true));

    // Single precision: nine significant digits keep about seven.
    auto n = J(T().transform("NSNumberFromNSString:", json::value("0.1")));
    ASSERT_TRUE(n.is_double());
    EXPECT_EQ(n.get_double(), static_cast<double>(0.1f));
    EXPECT_NE(n.get_double(), 0.1);
    auto f = T().transform("floatFromNSString:", json::value("2.5abc"));
    ASSERT_TRUE(f && std::holds_alternative<float>(*f));
    EXPECT_EQ(std::get<float>(*f), 2.5f);
    EXPECT_EQ(J(T().transform("NSNumberFromfloat:", WireValue(0.25f))), json::value(0.25));

    EXPECT_EQ(WireValueTransformer::doubleFromText("  12.5 km"), 12.5);
    EXPECT_EQ(WireValueTransformer::doubleFromText("abc"), 0.0);
    EXPECT_EQ(WireValueTransformer::doubleFromText("1e999"), HUGE_VAL);
    EXPECT_EQ(WireValueTransformer::integerFromText("-12.9"), -12);
    EXPECT_EQ(WireValueTransformer::integerFromText("99999999999999999999999"), LLONG_MAX);
    EXPECT_TRUE(WireValueTransformer::boolValueOfText("  +007"));
    EXPECT_TRUE(WireValueTransformer::boolValueOfText("yes"));
    EXPECT_FALSE(WireValueTransformer::boolValueOfText("000"));
    EXPECT_FALSE(WireValueTransformer::boolValueOfText("no"));
}

TEST(WireValueTransformer, DecimalsUrlsSetsAndZones) {
    auto d = T().transform("NSDecimalNumberFromNSString:", json::value("0012.3400"));
    ASSERT_TRUE(d && std::holds_alternative<WireDecimal>(*d));
    EXPECT_EQ(std::get<WireDecimal>(*d).text, "12.34");
    EXPECT_EQ(
        std::get<WireDecimal>(*T().transform("NSDecimalNumberFromNSString:", json::value("1.5e3"))).text,
        "1500");
    EXPECT_EQ(std::get<WireDecimal>(*T().transform("NSDecimalNumberFromNSString:", json::value("x"))).text,
              "NaN");
    EXPECT_EQ(J(T().transform("NSStringFromNSDecimalNumber:", WireValue(WireDecimal{"0.000123"}))),
              json::value("0.000123"));

    auto url = T().transform("NSURLFromNSString:", json::value("http://127.0.0.1:8088/a%20b?x=1"));
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(J(T().transform("JSONObjectFromNSURL:", *url)), json::value("http://127.0.0.1:8088/a%20b?x=1"));
    EXPECT_FALSE(T().transform("NSURLFromNSString:", json::value("http://a b")).has_value());
    EXPECT_FALSE(T().transform("NSURLFromNSString:", json::value("bad%zz")).has_value());

    auto set = T().transform("NSSetFromNSArray:", json::parse("[1,2,1,\"a\"]"));
    ASSERT_TRUE(set && std::holds_alternative<WireSet>(*set));
    EXPECT_EQ(std::get<WireSet>(*set).elements.size(), 3u);
    EXPECT_EQ(J(T().transform("JSONObjectFromNSSet:", *set)), json::parse("[1,2,\"a\"]"));

    auto zone = T().transform("NSTimeZoneFromNSString:", json::value("Asia/Shanghai"));
    ASSERT_TRUE(zone.has_value());
    EXPECT_EQ(J(T().transform("JSONObjectFromNSTimeZone:", *zone)), json::value("Asia/Shanghai"));
    EXPECT_FALSE(T().transform("NSTimeZoneFromNSString:", json::value("Mars/Olympus")).has_value());
}

TEST(WireValueTransformer, DatesIgnoreColonsAndNumbersAreEpochSeconds) {
    auto a = T().transform("__NSDateFromNSString:", json::value("2014-05-01T12:30:45+0800"));
    auto b = T().transform("__NSDateFromNSString:", json::value("2014-05-01T123045+0800"));
    auto c = T().transform("__NSDateFromNSString:", json::value("2014-05-01T12:30:45GMT+08:00"));
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(std::get<WireDate>(*a), std::get<WireDate>(*b));
    EXPECT_EQ(std::get<WireDate>(*a), std::get<WireDate>(*c));
    EXPECT_EQ(std::get<WireDate>(*a).secondsSince1970, 1398918645.0);
    EXPECT_FALSE(T().transform("__NSDateFromNSString:", json::value("2014-05-01")).has_value());
    EXPECT_FALSE(T().transform("__NSDateFromNSString:", json::value("2014-13-01T000000Z")).has_value());
    EXPECT_EQ(std::get<WireDate>(*T().transform("NSDateFromNSNumber:", json::value(86400))).secondsSince1970,
              86400.0);
    auto text = J(T().transform("__JSONObjectFromNSDate:", *a));
    ASSERT_TRUE(text.is_string());
    // Written back in the device zone, it reads as the same moment.
    EXPECT_EQ(std::get<WireDate>(*T().transform("__NSDateFromNSString:", text)), std::get<WireDate>(*a));
}

TEST(WireValueTransformer, ContainersAndOnDemandListsPassThrough) {
    EXPECT_EQ(J(T().transform("__NSDictionaryFromNSArray:", json::parse("[]"))), json::parse("{}"));
    EXPECT_EQ(J(T().transform("__NSDictionaryFromNSArray:", json::parse("[1]"))), json::parse("[1]"));
    EXPECT_EQ(J(T().transform("NSMutableArrayFromNSArray:", json::parse("[1,2]"))), json::parse("[1,2]"));
    EXPECT_EQ(J(T().transform("NSMutableDictionaryFromNSDictionary:", json::parse("{\"a\":1}"))),
              json::parse("{\"a\":1}"));

    WireModelArray<NormalInfo> lazy(json::parse(R"([{"Title":"a"},{"Title":"b"}])"));
    for (const char* op :
         {"NSMutableArrayFromNSArray:", "NSArrayFromWireModelArray:", "NSMutableArrayFromWireModelArray:"}) {
        auto out = T().transform(op, WireValue(lazy.handle()));
        ASSERT_TRUE(out && std::holds_alternative<WireModelArrayHandle>(*out)) << op;
        auto back = WireModelArray<NormalInfo>::fromHandle(std::get<WireModelArrayHandle>(*out));
        EXPECT_TRUE(back.sharesStorageWith(lazy)) << op;
        EXPECT_FALSE(back.isConvertedAtIndex(1)) << op;  // still converting on demand
    }
}

}  // namespace
}  // namespace busdesk
