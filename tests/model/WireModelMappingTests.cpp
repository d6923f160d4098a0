#include <gtest/gtest.h>

#include <atomic>
#include <boost/json/parse.hpp>
#include <climits>
#include <thread>

#include "model/WireModel.h"
#include "model/WireModels.h"

namespace busdesk {
namespace {

namespace json = boost::json;

// Test models exercising what the office models do not: required keys, an index, nested models,
// eager lists and every primitive kind.
class Stop : public WireModelBase<Stop> {
    BUSDESK_WIRE_MODEL(Stop)
  public:
    std::optional<std::string> Name;
    double Mile = 0;
    static void declareProperties(WireModelDeclaration<Stop>& d) {
        WIRE_PROPERTY(d, Name);
        WIRE_PROPERTY(d, Mile);
    }
    static bool propertyIsOptional(std::string_view name) { return name == "Mile"; }
};

class Route : public WireModelBase<Route> {
    BUSDESK_WIRE_MODEL(Route)
  public:
    std::optional<std::string> RouteID;
    std::optional<std::string> Title;
    int Seats = 0;
    bool Night = false;    // one-byte boolean: the platform's text reading
    bool Express = false;  // character flag: the BOOL conversions
    float Load = 0;
    WireModelArray<Stop> Stops;  // eager
    WireModelArray<Stop> Later;  // on demand
    std::shared_ptr<Stop> Depot;
    boost::json::object Extra;
    std::function<void()> Callback;
    std::optional<std::string> Scratch;

    static void declareProperties(WireModelDeclaration<Route>& d) {
        WIRE_PROPERTY(d, RouteID).index();
        WIRE_PROPERTY(d, Title);
        WIRE_PROPERTY(d, Seats);
        WIRE_PROPERTY(d, Night);
        WIRE_PROPERTY(d, Express).boolean();
        WIRE_PROPERTY(d, Load);
        WIRE_PROPERTY(d, Stops);
        WIRE_PROPERTY(d, Later).convertOnDemand();
        WIRE_PROPERTY(d, Depot);
        WIRE_PROPERTY(d, Extra);
        WIRE_PROPERTY(d, Callback);
        WIRE_PROPERTY(d, Scratch).ignore();
    }
    static bool propertyIsOptional(std::string_view name) { return name != "RouteID" && name != "Title"; }
};

// A declaration fault: a pointer member has no mapping.
class Broken : public WireModelBase<Broken> {
    BUSDESK_WIRE_MODEL(Broken)
  public:
    double* Ptr = nullptr;
    unsigned short Small = 0;
    std::optional<std::string> Fine;
    static void declareProperties(WireModelDeclaration<Broken>& d) {
        WIRE_PROPERTY(d, Ptr);
        WIRE_PROPERTY(d, Small);
        WIRE_PROPERTY(d, Fine);
    }
    static bool propertyIsOptional(std::string_view) { return true; }
};

json::value parse(std::string_view s) {
    return json::parse(s);
}

TEST(WireModelRequiredKeys, MissingKeysAreListedExactly) {
    Error e;
    EXPECT_EQ(Route::initWithString(R"({"Seats": 3})", &e), nullptr);
    EXPECT_EQ(e.domain, kWireModelErrorDomain);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.description,
              "Invalid JSON data. Required JSON keys are missing from the input. Check the error user "
              "information.");
    EXPECT_EQ(WireModelError::missingKeys(e), (std::vector<std::string>{"RouteID", "Title"}));

    EXPECT_EQ(Stop::initWithString(R"({"Mile": 1})", &e), nullptr);
    EXPECT_EQ(WireModelError::missingKeys(e), (std::vector<std::string>{"Name"}));
}

TEST(WireModelRequiredKeys, NullForRequiredFailsAndNullForOptionalStaysUnset) {
    Error e;
    EXPECT_EQ(Route::initWithString(R"({"RouteID": "7", "Title": null})", &e), nullptr);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.description, "Invalid JSON data: Value of required model key Title is null");
    EXPECT_EQ(WireModelError::keyPath(e), "Title");

    auto r = Route::initWithString(
        R"({"RouteID": "7", "Title": "x", "Seats": null, "Depot": null, "Stops": null})", &e);
    ASSERT_NE(r, nullptr) << e.description;
    EXPECT_EQ(r->Seats, 0);
    EXPECT_EQ(r->Depot, nullptr);
    EXPECT_FALSE(r->Stops.isSet());

    auto login = LoginResult::initWithString(R"({"EmpID": null, "Name": "张三"})");
    ASSERT_NE(login, nullptr);
    EXPECT_FALSE(login->EmpID.has_value());
    EXPECT_EQ(login->Name, "张三");
}

TEST(WireModelConversions, NumbersBecomeTheirDecimalText) {
    auto m = LoginResult::initWithString(
        R"({"EmpID": 123, "IsSuccess": true, "sex": false, "OrgID": 1.5, "OrgType": -7,
            "telephone": 13800138000, "serviceAge": 18446744073709551615, "birthday": 2.0})");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->EmpID, "123");
    EXPECT_EQ(m->IsSuccess, "1");
    EXPECT_EQ(m->sex, "0");
    EXPECT_EQ(m->OrgID, "1.5");
    EXPECT_EQ(m->OrgType, "-7");
    EXPECT_EQ(m->telephone, "13800138000");
    EXPECT_EQ(m->serviceAge, "18446744073709551615");
    EXPECT_EQ(m->birthday, "2");
}

TEST(WireModelConversions, NumericTextsBecomeNumbers) {
    auto n = NormalInfo::initWithString(
        R"({"Totalsum": "12.5", "Count": "abc", "Price": " 3.25元", "Fuelnum": 7, "Num": "42次", "DefMiles": "-1e3"})");
    ASSERT_NE(n, nullptr);
    EXPECT_DOUBLE_EQ(n->Totalsum, 12.5);
    EXPECT_DOUBLE_EQ(n->Count, 0);
    EXPECT_DOUBLE_EQ(n->Price, 3.25);
    EXPECT_DOUBLE_EQ(n->Fuelnum, 7);
    EXPECT_EQ(n->Num, 42);
    EXPECT_DOUBLE_EQ(n->DefMiles, -1000);

    auto missing = NormalInfo::initWithString(R"({"Title": "t"})");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->Num, 0);
    EXPECT_DOUBLE_EQ(missing->Totalsum, 0);
}

TEST(WireModelConversions, IntegersSaturateInsteadOfWrapping) {
    auto n = NormalInfo::initWithString(R"({"Num": 1e300})");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Num, INT_MAX);
    n = NormalInfo::initWithString(R"({"Num": "-99999999999999999999999"})");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Num, INT_MIN);
    n = NormalInfo::initWithString(R"({"Num": 3.9})");
    EXPECT_EQ(n->Num, 3);
    n = NormalInfo::initWithString(R"({"Num": 18446744073709551615})");
    EXPECT_EQ(n->Num, INT_MAX);
}

TEST(WireModelConversions, BooleanReadings) {
    for (const char* yes : {"true", "1", "2", "\"1\"", "\"YES\"", "\"True\"", "\"2\"", "\"yes\""}) {
        auto r = ResultInfo::initWithString(std::string(R"({"IsSuccess": )") + yes + "}");
        ASSERT_NE(r, nullptr) << yes;
        EXPECT_TRUE(r->IsSuccess) << yes;
    }
    for (const char* no : {"false", "0", "0.4", "\"0\"", "\"no\"", "\"\"", "\"abc\"", "\"false\""}) {
        auto r = ResultInfo::initWithString(std::string(R"({"IsSuccess": )") + no + "}");
        ASSERT_NE(r, nullptr) << no;
        EXPECT_FALSE(r->IsSuccess) << no;
    }
    auto absent = ResultInfo::initWithString(R"({"FailReason": "旧密码错误"})");
    ASSERT_NE(absent, nullptr);
    EXPECT_FALSE(absent->IsSuccess);
    EXPECT_EQ(absent->FailReason, "旧密码错误");

    // The one-byte boolean reads texts by their first significant character.
    for (auto [text, expected] : std::vector<std::pair<std::string, bool>>{{"\"Y\"", true},
                                                                           {"\"t\"", true},
                                                                           {"\"  +007\"", true},
                                                                           {"\"0\"", false},
                                                                           {"\"n\"", false},
                                                                           {"1", true}}) {
        auto r = Route::initWithString(R"({"RouteID": "1", "Title": "x", "Night": )" + text + "}");
        ASSERT_NE(r, nullptr) << text;
        EXPECT_EQ(r->Night, expected) << text;
    }
}

TEST(WireModelConversions, ValueWithoutConversionFailsWithCodeOneNamingClassAndProperty) {
    struct Case {
        std::string json;
        std::string property;
        std::string kind;
    };
    for (const auto& c : std::vector<Case>{{R"({"Num": [1]})", "Num", "array"},
                                           {R"({"Totalsum": {"a": 1}})", "Totalsum", "object"},
                                           {R"({"Title": {"zh": "通知"}})", "Title", "object"},
                                           {R"({"Title": ["a"]})", "Title", "array"}}) {
        Error e;
        EXPECT_EQ(NormalInfo::initWithString(c.json, &e), nullptr) << c.json;
        EXPECT_EQ(e.code, 1);
        EXPECT_NE(e.description.find("NormalInfo"), std::string::npos) << e.description;
        EXPECT_NE(e.description.find("'" + c.property + "'"), std::string::npos) << e.description;
        EXPECT_NE(e.description.find(c.kind), std::string::npos) << e.description;
        EXPECT_EQ(WireModelError::keyPath(e), c.property);
    }
    Error e;
    EXPECT_EQ(SuggestInfo::initWithString(R"({"Imagenames": "a.jpg"})", &e), nullptr);
    EXPECT_EQ(WireModelError::keyPath(e), "Imagenames");
    EXPECT_EQ(ResultInfo::initWithString(R"({"IsSuccess": [true]})", &e), nullptr);
    EXPECT_EQ(WireModelError::keyPath(e), "IsSuccess");
}

TEST(WireModelTopLevel, WrongKindsAndBadInputHaveTheirCodes) {
    Error e;
    EXPECT_EQ(NormalInfo::initWithString("[{}]", &e), nullptr);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(
        e.description,
        "Invalid JSON data: Attempt to initialize WireModel object using initWithDictionary:error: but the "
        "dictionary parameter was not an 'NSDictionary'.");

    for (const char* bad : {"{", "{\"a\":}", "", "nul", "\"text\"", "42", "{} {}", "{\"a\":1,}"}) {
        Error b;
        EXPECT_EQ(NormalInfo::initWithString(bad, &b), nullptr) << bad;
        EXPECT_EQ(b.code, 3) << bad;
        EXPECT_EQ(b.description, "Malformed JSON. Check the WireModel data input.");
    }

    Error nil;
    EXPECT_EQ(NormalInfo::initWithString(static_cast<const char*>(nullptr), &nil), nullptr);
    EXPECT_EQ(nil.code, 5);
    EXPECT_EQ(nil.description, "Initializing model with nil input object.");
    Error nil2;
    EXPECT_EQ(NormalInfo::initWithDictionary(static_cast<const json::value*>(nullptr), &nil2), nullptr);
    EXPECT_EQ(nil2.code, 5);
    EXPECT_EQ(NormalInfo::initWithDictionary(json::value(nullptr), &nil2), nullptr);
    EXPECT_EQ(nil2.code, 5);

    // Without an error slot a failure is only a missing model.
    EXPECT_EQ(NormalInfo::initWithString("[1,2]"), nullptr);
}

TEST(WireModelTopLevel, DataAndEncodings) {
    // Bytes that are not UTF-8 give no model and leave the error untouched.
    Error e;
    e.code = 99;
    EXPECT_EQ(NormalInfo::initWithData("{\"Title\":\"\xff\xfe\"}", &e), nullptr);
    EXPECT_EQ(e.code, 99);
    // Text given as text that is not UTF-8 is bad JSON, with an error.
    EXPECT_EQ(NormalInfo::initWithString("{\"Title\":\"\xE4\xB8\"}", &e), nullptr);
    EXPECT_EQ(e.code, kWireModelErrorBadJSON);
    EXPECT_EQ(NormalInfo::initWithString("{\"Title\":\"\xE4\xB8\xAD\"}", &e)->Title, "中");

    std::string utf16le;
    for (char c : std::string(R"({"Title":"A"})")) {
        utf16le += c;
        utf16le += '\0';
    }
    auto m = NormalInfo::initWithData(utf16le);
    EXPECT_EQ(m, nullptr);  // not UTF-8: the data initializer does not guess
    auto list = NormalInfo::arrayOfModelsFromData(std::string("\xEF\xBB\xBF") + R"([{"Title":"通知"}])");
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ((*list)[0]->Title, "通知");

    auto enc = NormalInfo::initWithString(R"({"Title":"通知"})", "UTF-16LE");
    ASSERT_NE(enc, nullptr);
    EXPECT_EQ(enc->Title, "通知");
    auto gbk = NormalInfo::initWithString(R"({"Title":"Abc"})", "GBK");
    ASSERT_NE(gbk, nullptr);
    EXPECT_EQ(gbk->Title, "Abc");
    Error unknown;
    EXPECT_EQ(NormalInfo::initWithString(R"({})", "no-such-charset", &unknown), nullptr);
    EXPECT_EQ(unknown.code, 3);

    Error notArray;
    EXPECT_FALSE(NormalInfo::arrayOfModelsFromData(R"({"Title":"x"})", &notArray).has_value());
    EXPECT_EQ(notArray.code, 1);
}

TEST(WireModelLists, OneBadRowLosesTheWholeList) {
    Error e;
    auto rows = NormalInfo::arrayOfModelsFromDictionaries(parse(R"([{"Title":"a"}, 5, {"Title":"c"}])"), &e);
    EXPECT_FALSE(rows.has_value());
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(WireModelError::keyPath(e), "[1]");

    EXPECT_FALSE(NormalInfo::arrayOfModelsFromDictionaries(parse(R"([{"Num": {}}])"), &e).has_value());
    EXPECT_EQ(WireModelError::keyPath(e), "[0].Num");

    auto ok = NormalInfo::arrayOfModelsFromDictionaries(parse(R"([{"Title":"a"}, {"Title":"b"}])"));
    ASSERT_TRUE(ok.has_value());
    ASSERT_EQ(ok->size(), 2u);
    EXPECT_EQ((*ok)[1]->Title, "b");
    auto empty = NormalInfo::arrayOfModelsFromDictionaries(parse("[]"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(NormalInfo::arrayOfModelsFromDictionaries(json::value(nullptr)).has_value());
    // A dictionary is visited by its keys, and a key is never a dictionary.
    EXPECT_FALSE(NormalInfo::arrayOfModelsFromDictionaries(parse(R"({"a": {}})")).has_value());
    EXPECT_TRUE(NormalInfo::arrayOfModelsFromDictionaries(parse(R"({})")).has_value());
}

TEST(WireModelLists, EagerListRowFailureFailsTheModelWithItsKeyPath) {
    Error e;
    EXPECT_EQ(
        Route::initWithString(
            R"({"RouteID":"1","Title":"x","Stops":[{"Name":"a","Mile":0},{"Name":"b","Mile":[2]}]})", &e),
        nullptr);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(WireModelError::keyPath(e), "Stops[1].Mile");

    EXPECT_EQ(Route::initWithString(R"({"RouteID":"1","Title":"x","Stops":[{"Mile":2}]})", &e), nullptr);
    EXPECT_EQ(WireModelError::missingKeys(e), std::vector<std::string>{"Name"});
    EXPECT_EQ(WireModelError::keyPath(e), "Stops[0]");

    auto r = Route::initWithString(R"({"RouteID":"1","Title":"x","Stops":[{"Name":"a","Mile":"1.5"}]})", &e);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->Stops.count(), 1u);
    EXPECT_TRUE(r->Stops.isConvertedAtIndex(0));
    EXPECT_DOUBLE_EQ(r->Stops.objectAtIndex(0)->Mile, 1.5);
}

TEST(WireModelLists, ListPropertyGivenAnObjectIsATypeMismatch) {
    Error e;
    EXPECT_EQ(NormalList::initWithString(R"({"List": {"Title": "a"}})", &e), nullptr);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(
        e.description,
        "Invalid JSON data. The JSON type mismatches the expected type. Check the error user information.");
    ASSERT_NE(e.info<std::string>(kWireModelTypeMismatch), nullptr);
    EXPECT_EQ(
        *e.info<std::string>(kWireModelTypeMismatch),
        "Property 'List' is declared as NSArray<NormalInfo>* but the corresponding JSON value is not a JSON "
        "Array.");
    EXPECT_EQ(WireModelError::keyPath(e), "List");
}

TEST(WireModelLists, OnDemandListConvertsOnlyTheRowsRead) {
    auto list = NormalList::initWithString(R"({"List": [{"Title":"a"}, 7, {"Title":"c","Num":"3"}]})");
    ASSERT_NE(list, nullptr);
    const auto& rows = list->List;
    EXPECT_EQ(rows.count(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_FALSE(rows.isConvertedAtIndex(i));
    ASSERT_NE(rows.rawObjectAtIndex(0), nullptr);
    EXPECT_TRUE(rows.rawObjectAtIndex(0)->is_object());

    auto third = rows.objectAtIndex(2);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->Num, 3);
    EXPECT_TRUE(rows.isConvertedAtIndex(2));
    EXPECT_FALSE(rows.isConvertedAtIndex(0));
    EXPECT_EQ(rows.objectAtIndex(2), third);  // converted once, then kept

    // The bad row answers nothing, keeps its raw element and is tried again on the next read.
    EXPECT_EQ(rows.objectAtIndex(1), nullptr);
    EXPECT_EQ(rows.objectAtIndex(1), nullptr);
    ASSERT_NE(rows.rawObjectAtIndex(1), nullptr);
    EXPECT_EQ(*rows.rawObjectAtIndex(1), json::value(7));
    EXPECT_FALSE(rows.allObjects().has_value());

    EXPECT_EQ(rows.firstObject()->Title, "a");
    EXPECT_EQ(rows.lastObject(), third);
    EXPECT_EQ(rows.objectAtIndex(3), nullptr);

    // The list outlives the text and the model it came from.
    WireModelArray<NormalInfo> kept = list->List;
    list.reset();
    EXPECT_EQ(kept.objectAtIndex(0)->Title, "a");
}

TEST(WireModelLists, ArrayConstructionFirstLastAndDescription) {
    WireModelArray<SalaryItem> empty;
    EXPECT_EQ(empty.count(), 0u);
    EXPECT_EQ(empty.firstObject(), nullptr);
    EXPECT_EQ(empty.lastObject(), nullptr);
    WireModelArray<SalaryItem> emptyJSON{json::value(json::array())};
    EXPECT_EQ(emptyJSON.firstObject(), nullptr);
    EXPECT_EQ(emptyJSON.lastObject(), nullptr);

    auto a = SalaryItem::initWithString(R"({"ItemName":"基本工资","ItemNum":"3000"})");
    auto b = SalaryItem::initWithString(R"({"ItemName":"实发金额","ItemNum":"2800.5"})");
    WireModelArray<SalaryItem> items(std::vector<std::shared_ptr<SalaryItem>>{a, b});
    EXPECT_EQ(items.count(), 2u);
    EXPECT_EQ(items.firstObject(), a);
    EXPECT_EQ(items.lastObject(), b);

    WireModelArray<SalaryItem> raw(parse(R"([{"ItemName":"x"}])"));
    EXPECT_EQ(raw.description(), "<WireModelArray[SalaryItem]>\n{\"ItemName\":\"x\"},\n\n</WireModelArray>");
    EXPECT_EQ(raw.objectAtIndex(0)->ItemName, "x");
    EXPECT_EQ(raw.description(),
              "<WireModelArray[SalaryItem]>\n<SalaryItem>\n   [ItemName]: \"x\"\n   [ItemNum]: "
              "<nil>\n</SalaryItem>,\n\n"
              "</WireModelArray>");

    WireModelArray<SalaryItem> notList(json::value("abc"));
    EXPECT_EQ(notList.count(), 0u);
}

TEST(WireModelLists, ModelWithIndexValueLooksAtStoredRows) {
    WireModelArray<Route> routes(parse(R"([{"RouteID":"1","Title":"a"},{"RouteID":"2","Title":"b"}])"));
    auto two = routes.modelWithIndexValue(json::value("2"));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->Title, "b");
    EXPECT_EQ(routes.modelWithIndexValue(json::value("9")), nullptr);
    EXPECT_EQ(routes.modelWithIndexValue(json::value("2")), two);
    WireModelArray<SalaryItem> noIndex(parse(R"([{"ItemName":"x"}])"));
    EXPECT_EQ(noIndex.modelWithIndexValue(json::value("x")), nullptr);
}

TEST(WireModelErrors, KeyPathsArePrepended) {
    Error base = WireModelError::errorInvalidDataWithMessage("m");
    EXPECT_EQ(base.description, "Invalid JSON data: m");
    Error mile = WireModelError::errorByPrependingKeyPathComponent(base, "Mile");
    EXPECT_EQ(WireModelError::keyPath(mile), "Mile");
    Error row = WireModelError::errorByPrependingKeyPathComponent(mile, "[3]");
    EXPECT_EQ(WireModelError::keyPath(row), "[3].Mile");
    Error list = WireModelError::errorByPrependingKeyPathComponent(row, "List");
    EXPECT_EQ(WireModelError::keyPath(list), "List[3].Mile");
    EXPECT_EQ(WireModelError::keyPath(mile), "Mile");  // a copy: the original keeps its path

    EXPECT_EQ(WireModelError::errorBadResponse().code, 2);
    EXPECT_EQ(WireModelError::errorBadResponse().description,
              "Bad network response. Probably the JSON URL is unreachable.");
    EXPECT_EQ(WireModelError::errorModelIsInvalid().code, 4);
    EXPECT_EQ(WireModelError::errorModelIsInvalid().description,
              "Model does not validate. The custom validation for the input data failed.");
}

class Checked : public WireModelBase<Checked> {
    BUSDESK_WIRE_MODEL(Checked)
  public:
    std::optional<std::string> Month;
    static void declareProperties(WireModelDeclaration<Checked>& d) { WIRE_PROPERTY(d, Month); }
    bool validate(Error* error) override {
        if (Month && Month->size() == 6) return true;
        if (error) *error = WireModelError::errorInvalidDataWithMessage("Month must have six digits");
        return false;
    }
};

TEST(WireModelErrors, ValidationRejectsAnOtherwiseCompleteMapping) {
    Error e;
    EXPECT_NE(Checked::initWithString(R"({"Month":"202612"})", &e), nullptr);
    EXPECT_EQ(Checked::initWithString(R"({"Month":"2026-12"})", &e), nullptr);
    EXPECT_EQ(e.description, "Invalid JSON data: Month must have six digits");
}

TEST(WireModelInspectionFaults, UnsupportedMembersAreReportedNotMapped) {
    const auto& cls = Broken::wireClass();
    ASSERT_EQ(cls.declarationFaults().size(), 2u);
    EXPECT_EQ(cls.declarationFaults()[0].name, "WireModelProperty type not allowed");
    EXPECT_EQ(cls.declarationFaults()[0].reason,
              "Property type of Broken.Ptr is not supported by WireModel.");
    EXPECT_EQ(cls.declarationFaults()[1].reason,
              "Property type of Broken.Small is not supported by WireModel.");
    ASSERT_EQ(cls.properties().size(), 1u);
    auto m = Broken::initWithString(R"({"Ptr": 1, "Small": 2, "Fine": "ok"})");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Ptr, nullptr);
    EXPECT_EQ(m->Fine, "ok");

    // Blocks and ignored members are dropped; the index is recorded.
    const auto& route = Route::wireClass();
    EXPECT_EQ(route.property("Callback"), nullptr);
    EXPECT_EQ(route.property("Scratch"), nullptr);
    EXPECT_EQ(route.indexPropertyName(), "RouteID");
    EXPECT_EQ(route.requiredPropertyNames(), (std::vector<std::string>{"RouteID", "Title"}));
    EXPECT_EQ(route.property("Express")->structName, "BOOL");
    EXPECT_EQ(route.property("Night")->primitiveName, "BOOL");
    EXPECT_EQ(route.property("Load")->primitiveName, "float");
}

class Raced : public WireModelBase<Raced> {
    BUSDESK_WIRE_MODEL(Raced)
  public:
    std::optional<std::string> A;
    static inline std::atomic<int> inspections{0};
    static void declareProperties(WireModelDeclaration<Raced>& d) {
        ++inspections;
        WIRE_PROPERTY(d, A);
    }
};

TEST(WireModelInspectionFaults, ConcurrentFirstUseInspectsOnce) {
    std::vector<std::thread> threads;
    std::vector<const WireModelClass*> seen(8);
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&, i] {
            auto m = Raced::initWithString(R"({"A":"x"})");
            seen[i] = m ? &m->modelClass() : nullptr;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(Raced::inspections.load(), 1);
    for (auto* c : seen) EXPECT_EQ(c, &Raced::wireClass());
}

TEST(WireModelIdentity, EqualityCompareAndHashFollowTheIndex) {
    auto a = Route::initWithString(R"({"RouteID":"12","Title":"a"})");
    auto b = Route::initWithString(R"({"RouteID":"12","Title":"other"})");
    auto c = Route::initWithString(R"({"RouteID":"3","Title":"a"})");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->indexPropertyName(), "RouteID");
    EXPECT_TRUE(a->isEqual(*b));
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(a->isEqual(*c));
    EXPECT_EQ(a->compare(*b), WireComparisonResult::OrderedSame);
    EXPECT_EQ(a->compare(*c), WireComparisonResult::OrderedAscending);  // text order: "12" < "3"
    EXPECT_EQ(c->compare(*a), WireComparisonResult::OrderedDescending);

    auto x = SalaryItem::initWithString(R"({"ItemName":"a"})");
    auto y = SalaryItem::initWithString(R"({"ItemName":"a"})");
    EXPECT_FALSE(x->isEqual(*y));
    EXPECT_TRUE(x->isEqual(*x));
    EXPECT_EQ(x->compare(*y), WireComparisonResult::OrderedSame);
    EXPECT_FALSE(x->indexPropertyName().has_value());
    // Different classes are never equal.
    auto stop = Stop::initWithString(R"({"Name":"a","Mile":1})");
    ASSERT_NE(stop, nullptr);
    EXPECT_FALSE(x->isEqual(*stop));
}

TEST(WireModelExport, DictionaryAndJSONTextRoundTrip) {
    auto r = Route::initWithString(
        R"({"RouteID":"12","Title":"夜班","Seats":"40","Express":"yes","Load":0.5,"Stops":[{"Name":"东站","Mile":1.5}],
            "Later":[{"Name":"西站"}],"Depot":{"Name":"总站"},"Extra":{"k":[1,2]},"Unknown":1})");
    ASSERT_NE(r, nullptr);
    auto d = r->toDictionary();
    EXPECT_EQ(d.at("RouteID"), json::value("12"));
    EXPECT_EQ(d.at("Seats"), json::value(40));
    EXPECT_EQ(d.at("Express"), json::value(true));
    EXPECT_EQ(d.at("Stops"), parse(R"([{"Name":"东站","Mile":1.5}])"));
    EXPECT_EQ(d.at("Later"), parse(R"([{"Name":"西站"}])"));
    EXPECT_EQ(d.at("Depot"), parse(R"({"Name":"总站","Mile":0.0})"));
    EXPECT_EQ(d.at("Extra"), parse(R"({"k":[1,2]})"));
    EXPECT_FALSE(d.contains("Unknown"));
    EXPECT_FALSE(d.contains("Callback"));

    auto back = Route::initWithString(r->toJSONString());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->toDictionary(), d);
    EXPECT_EQ(r->toDictionaryWithKeys({"Title", "Nope"}), parse(R"({"Title":"夜班"})").get_object());
    EXPECT_EQ(parse(r->toJSONStringWithKeys({"Seats"})), parse(R"({"Seats":40})"));

    // A required property left unset exports as null; an optional one is left out.
    Route empty;
    auto e = empty.toDictionary();
    EXPECT_TRUE(e.at("Title").is_null());
    EXPECT_FALSE(e.contains("Depot"));

    auto models = Route::arrayOfDictionariesFromModels({r, back});
    ASSERT_EQ(models.size(), 2u);
    EXPECT_EQ(models[0], json::value(d));

    auto restored = Route::unarchive(json::value(r->archive()));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Title, "夜班");
}

TEST(WireModelExport, CopyKeepsValuesAndSharesOnDemandRows) {
    auto r = Route::initWithString(R"({"RouteID":"1","Title":"a","Later":[{"Name":"x"}]})");
    ASSERT_NE(r, nullptr);
    auto c = r->copy();
    EXPECT_EQ(c->Title, "a");
    c->Title = "b";
    EXPECT_EQ(r->Title, "a");
    EXPECT_TRUE(c->Later.sharesStorageWith(r->Later));
    c->Later.objectAtIndex(0);
    EXPECT_TRUE(r->Later.isConvertedAtIndex(0));
    EXPECT_TRUE(c->isEqual(*r));  // same index value
}

TEST(WireModelMerge, MergeSkipsWhatDoesNotMapAndChecksNoRequiredKeys) {
    auto r = Route::init();
    r->mergeFromDictionary(parse(R"({"Title":"a","Seats":[1],"Depot":{"Mile":1},"Load":"2.5","Extra":5})"),
                           false);
    EXPECT_EQ(r->Title, "a");
    EXPECT_EQ(r->Seats, 0);
    EXPECT_EQ(r->Depot, nullptr);
    EXPECT_FLOAT_EQ(r->Load, 2.5f);
    r->mergeFromDictionary(parse(R"({"Title":null,"Seats":4})"), true);
    EXPECT_EQ(r->Title, "a");
    EXPECT_EQ(r->Seats, 4);
    r->mergeFromDictionary(parse("[1]"), true);  // not a dictionary: nothing happens
    EXPECT_EQ(r->Seats, 4);
}

class Mapped : public WireModelBase<Mapped> {
    BUSDESK_WIRE_MODEL(Mapped)
  public:
    std::optional<std::string> cardNumber;
    std::optional<std::string> city;
    static void declareProperties(WireModelDeclaration<Mapped>& d) {
        WIRE_PROPERTY(d, cardNumber);
        WIRE_PROPERTY(d, city);
    }
    static std::shared_ptr<WireKeyMapper> keyMapper() {
        return WireKeyMapper::initWithDictionary({{"card.number", "cardNumber"}});
    }
};

TEST(WireKeyMapping, DictionaryMapperFollowsKeyPathsBothWays) {
    Error e;
    auto m = Mapped::initWithString(R"({"card":{"number":"A1"},"city":"苏州"})", &e);
    ASSERT_NE(m, nullptr) << e.description;
    EXPECT_EQ(m->cardNumber, "A1");
    EXPECT_EQ(m->city, "苏州");
    EXPECT_EQ(m->toDictionary(), parse(R"({"card":{"number":"A1"},"city":"苏州"})").get_object());
    // The dotted key itself is read when the path cannot be followed.
    m = Mapped::initWithString(R"({"card.number":"B2","city":"x"})", &e);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->cardNumber, "B2");
    EXPECT_EQ(Mapped::initWithString(R"({"cardNumber":"C3","city":"x"})", &e), nullptr);
    EXPECT_EQ(WireModelError::missingKeys(e), std::vector<std::string>{"cardNumber"});
}

TEST(WireKeyMapping, FactoryMappersAndCaches) {
    auto camel = WireKeyMapper::mapperFromUnderscoreCaseToCamelCase();
    EXPECT_EQ(camel->jsonKeyToPropertyName("route_name_id"), "routeNameId");
    EXPECT_EQ(camel->propertyNameToJSONKey("routeNameId"), "route_name_id");
    EXPECT_EQ(camel->propertyNameToJSONKey("routeNameId"), "route_name_id");  // from the cache
    auto upper = WireKeyMapper::mapperFromUpperCaseToLowerCase();
    EXPECT_EQ(upper->jsonKeyToPropertyName("EMPID"), "empid");
    EXPECT_EQ(upper->propertyNameToJSONKey("empid"), "EMPID");
    auto table = WireKeyMapper::initWithDictionary({{"a_b", "ab"}});
    EXPECT_EQ(table->jsonKeyToPropertyName("a_b"), "ab");
    EXPECT_EQ(table->propertyNameToJSONKey("ab"), "a_b");
    EXPECT_EQ(table->propertyNameToJSONKey("zz"), "zz");
}

TEST(WireKeyMapping, GlobalMapperAppliesWhenTheClassHasNone) {
    WireModel::setGlobalKeyMapper(WireKeyMapper::mapperFromUnderscoreCaseToCamelCase());
    Error e;
    auto s = Stop::initWithString(R"({"name":"东站","mile":"2"})", &e);
    auto item = SalaryItem::initWithString(R"({"item_name":"x","ItemName":"y"})");
    auto missing = Stop::initWithString(R"({"Name":"东站"})");
    WireModel::setGlobalKeyMapper(nullptr);
    ASSERT_NE(s, nullptr) << e.description;
    EXPECT_EQ(s->Name, "东站");
    EXPECT_DOUBLE_EQ(s->Mile, 2);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ItemName, "x");
    EXPECT_EQ(missing, nullptr);
    // Gone again: keys are the property names exactly.
    auto plain = SalaryItem::initWithString(R"({"item_name":"x","ItemName":"y"})");
    EXPECT_EQ(plain->ItemName, "y");
}

TEST(WireKeyMapping, PlanTripsComeFromDisplanDetailList) {
    auto plan = DisplanDetailInfoArray::initWithString(
        R"({"MilePlanSum":"320.5","DisplanDetailList":[{"Busname":"苏E-1234","ISSent":"0"}],"DisplanDetailInfos":[]})");
    ASSERT_NE(plan, nullptr);
    ASSERT_EQ(plan->DisplanDetailInfos.count(), 1u);
    EXPECT_EQ(plan->DisplanDetailInfos.objectAtIndex(0)->Busname, "苏E-1234");
    EXPECT_EQ(plan->MilePlanSum, "320.5");
}

TEST(WireModelRevenue, EitherDriverKeyFillsDriverID) {
    auto summary = DssticketcostSum::initWithString(R"({"DriverID":"10086","Drivername":"李四"})");
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->driverID, "10086");
    EXPECT_FALSE(summary->DriverID.has_value());
    auto numeric = DssticketcostSum::initWithString(R"({"DriverID":10086})");
    EXPECT_EQ(numeric->driverID, "10086");
    auto both = DssticketcostSum::initWithString(R"({"DriverID":"2","driverID":"1"})");
    EXPECT_EQ(both->driverID, "1");
    auto bothReversed = DssticketcostSum::initWithString(R"({"driverID":"1","DriverID":"2"})");
    EXPECT_EQ(bothReversed->driverID, "1");
    auto nullLower = DssticketcostSum::initWithString(R"({"driverID":null,"DriverID":"2"})");
    EXPECT_EQ(nullLower->driverID, "2");
    Error e;
    EXPECT_EQ(DssticketcostSum::initWithString(R"({"DriverID":{}})", &e), nullptr);
    EXPECT_EQ(WireModelError::keyPath(e), "DriverID");
    auto oneDay =
        DssticketcostSum::initWithString(R"({"driverID":"7","GeneralTicketNum":"15","IClIncome":"30.5"})");
    EXPECT_EQ(oneDay->driverID, "7");
    EXPECT_EQ(oneDay->GeneralTicketNum, 15);
    EXPECT_DOUBLE_EQ(oneDay->IClIncome, 30.5);
}

}  // namespace
}  // namespace busdesk
