#include <gtest/gtest.h>

#include <algorithm>
#include <boost/json/parse.hpp>

#include "model/WireModels.h"

namespace busdesk {
namespace {

struct ClassInfo {
    std::string name;
    const WireModelClass* cls;
    std::function<std::shared_ptr<WireModel>(std::string_view, Error*)> fromString;
    std::function<bool(const boost::json::value&, Error*)> listFrom;
};

template <class T>
ClassInfo info() {
    return {std::string(T::wireClassName), &T::wireClass(),
            [](std::string_view text, Error* e) -> std::shared_ptr<WireModel> {
                return T::initWithString(text, e);
            },
            [](const boost::json::value& v, Error* e) {
                return T::arrayOfModelsFromDictionaries(v, e).has_value();
            }};
}

std::vector<ClassInfo> allClasses() {
    return {info<ArrangeInfo>(),
            info<ArrangeInfoList>(),
            info<DisplanDetailInfo>(),
            info<DisplanDetailInfoArray>(),
            info<DssticketcostSum>(),
            info<DssticketcostSumList>(),
            info<EmployeMonthSalary>(),
            info<FinishDisplanInfo>(),
            info<FinishDisplanInfoArray>(),
            info<LoginResult>(),
            info<MileDriverInfo>(),
            info<MileDriverList>(),
            info<NormalInfo>(),
            info<NormalList>(),
            info<NosendDisplanInfo>(),
            info<NosendDisplanList>(),
            info<ResultInfo>(),
            info<RidingRecordInfo>(),
            info<RidingRecordList>(),
            info<SalaryItem>(),
            info<SubsidyRecharge>(),
            info<SubsidyRechargeList>(),
            info<SuggestInfo>(),
            info<SuggestList>()};
}

// Every wire model of the office service is declared without a fault, maps an empty object, and
// every one of them answers without data rather than failing when keys are missing.
TEST(WireModelInspection, EveryWireModelDeclaresSupportedOptionalProperties) {
    auto classes = allClasses();
    EXPECT_EQ(classes.size(), 24u);
    for (const auto& c : classes) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.cls->name(), c.name);
        EXPECT_TRUE(c.cls->declarationFaults().empty());
        EXPECT_FALSE(c.cls->properties().empty());
        EXPECT_TRUE(c.cls->requiredPropertyNames().empty());
        for (const auto& p : c.cls->properties()) {
            SCOPED_TRACE(p.name);
            EXPECT_TRUE(p.isOptional);
            EXPECT_NE(p.access, nullptr);
            EXPECT_NE(p.kind, WirePropertyKind::Unsupported);
            if (p.kind == WirePropertyKind::Text) {
                EXPECT_NE(p.importConversions[kSourceNumber], nullptr);
            }
            if (p.kind == WirePropertyKind::ModelList) {
                EXPECT_TRUE(p.convertsOnDemand);
                EXPECT_TRUE(p.protocol.has_value());
                EXPECT_NE(p.onDemandPassThrough, nullptr);
            }
        }
        Error error;
        auto model = c.fromString("{}", &error);
        ASSERT_NE(model, nullptr) << error.description;
        EXPECT_EQ(&model->modelClass(), c.cls);
        EXPECT_EQ(model->toDictionary().size(), [&] {
            // Unset texts and lists are left out; numbers always export.
            size_t n = 0;
            for (const auto& p : c.cls->properties())
                if (p.kind == WirePropertyKind::Primitive || p.kind == WirePropertyKind::Boolean) ++n;
            return n;
        }());
        EXPECT_FALSE(c.listFrom(boost::json::parse(R"([{}, 5])"), nullptr));
        EXPECT_TRUE(c.listFrom(boost::json::parse(R"([{}, {}])"), nullptr));
    }
}

TEST(WireModelInspection, InspectionHappensOnceAndIsShared) {
    const WireModelClass* first = &NormalInfo::wireClass();
    auto a = NormalInfo::initWithString(R"({"Title":"a"})");
    auto b = NormalInfo::initWithString(R"({"Title":"b"})");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(&a->modelClass(), first);
    EXPECT_EQ(&b->modelClass(), first);
}

// The wide record keeps its documented order and kinds; a drift here silently breaks a screen.
TEST(WireModelInspection, NormalInfoDeclarationOrderAndKinds) {
    const auto& props = NormalInfo::wireClass().properties();
    ASSERT_EQ(props.size(), 55u);
    EXPECT_EQ(props.front().name, "ContentAbstract");
    EXPECT_EQ(props[10].name, "Num");
    EXPECT_EQ(props[10].primitiveName, "int");
    EXPECT_EQ(props.back().name, "Routename");
    std::vector<std::string> reals;
    for (const auto& p : props)
        if (p.kind == WirePropertyKind::Primitive && p.primitiveName == "double") reals.push_back(p.name);
    EXPECT_EQ(reals, (std::vector<std::string>{"DefMiles", "DefplanMiles", "DefPreMiles", "Totalsum", "Count",
                                               "Price", "Fuelnum"}));
    EXPECT_EQ(NormalInfo::wireClass().property("PublishBy")->kind, WirePropertyKind::Text);
    EXPECT_NE(NormalInfo::wireClass().property("Publishby"), nullptr);
    EXPECT_EQ(NormalInfo::wireClass().property("publishby"), nullptr);
}

TEST(WireModelInspection, DescriptorDescriptions) {
    EXPECT_EQ(NormalInfo::wireClass().property("ID")->description(),
              "@property NSString* ID (Optional, Standard JSON type)");
    EXPECT_EQ(NormalList::wireClass().property("List")->description(),
              "@property NSArray*<NormalInfo> List (Optional, ConvertOnDemand, Standard JSON type)");
    EXPECT_EQ(NormalInfo::wireClass().property("Num")->description(), "@property primitive Num (Optional)");
    EXPECT_EQ(ResultInfo::wireClass().property("IsSuccess")->description(),
              "@property BOOL IsSuccess (Optional)");
    EXPECT_EQ(SuggestInfo::wireClass().property("Imagenames")->description(),
              "@property NSMutableArray* Imagenames (Optional, Mutable, Standard JSON type)");
    EXPECT_EQ(
        DssticketcostSum::wireClass().property("DriverID")->description(),
        "@property NSString* DriverID (Optional, Standard JSON type, Setter = setDriverIDWithNSString:)");
}

}  // namespace
}  // namespace busdesk
