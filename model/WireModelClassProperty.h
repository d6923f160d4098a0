#pragma once

#include <array>
#include <boost/json/object.hpp>
#include <boost/json/value.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/WireKeyMapper.h"
#include "model/WireValueTransformer.h"
#include "platform/Error.h"

namespace busdesk {

class WireModel;
class WireModelClass;
struct WireModelClassProperty;

enum class WirePropertyKind {
    Text,             // std::optional<std::string>
    Primitive,        // a number kind of the primitive table, or the one-byte BOOL
    Boolean,          // a bool declared as a character flag: read through the BOOL conversions
    Model,            // std::shared_ptr<Nested>
    ModelList,        // WireModelArray<Element>
    ModelDictionary,  // std::map<std::string, std::shared_ptr<Element>>
    PlainList,        // boost::json::array
    Dictionary,       // boost::json::object
    Block,            // std::function: never mapped
    Unsupported,      // any other member type: a declaration fault
};

// The value kinds a conversion can start from, in the order of the descriptor's conversion slots.
enum WireSourceCluster : unsigned {
    kSourceString = 0,
    kSourceNumber = 1,
    kSourceArray = 2,
    kSourceObject = 3
};
inline constexpr std::array<std::string_view, 4> kSourceClusterNames = {"NSString", "NSNumber", "NSArray",
                                                                        "NSDictionary"};
inline unsigned sourceClusterOf(const boost::json::value& v) {
    switch (v.kind()) {
        case boost::json::kind::string:
            return kSourceString;
        case boost::json::kind::array:
            return kSourceArray;
        case boost::json::kind::object:
            return kSourceObject;
        default:
            return kSourceNumber;
    }
}

// What an import step needs besides the value: whether failures count, and the parsed document the
// input lives in when the mapping owns it (on-demand lists then share it instead of copying rows).
struct WireImportContext {
    const WireModelClass* modelClass = nullptr;
    const boost::json::object* source = nullptr;
    const std::shared_ptr<const boost::json::value>* owner = nullptr;
    bool validation = true;
};

// Reads and writes one member of a model; created by the declaration for the member's exact type.
class WirePropertyAccess {
  public:
    virtual ~WirePropertyAccess() = default;
    // False on failure; the error (when asked for) carries the key path of the failing value.
    virtual bool importValue(WireModel& model, const WireModelClassProperty& property,
                             const boost::json::value& value, const WireImportContext& context,
                             Error* error) const = 0;
    // nullopt: the member is unset (an empty text, no nested model, an empty list).
    virtual std::optional<boost::json::value> exportValue(const WireModel& model,
                                                          const WireModelClassProperty& property) const = 0;
    virtual std::string describeValue(const WireModel& model, const WireModelClassProperty& property) const;
};

// One mapped property of a model class, built once by the class inspection and shared by all instances.
struct WireModelClassProperty {
    using Setter =
        std::function<bool(WireModel&, const boost::json::value&, const WireImportContext&, Error*)>;
    using Getter = std::function<std::optional<boost::json::value>(const WireModel&)>;

    std::string name;                       // the JSON key before key mapping
    std::optional<std::string> type;        // declared class; none for primitives
    std::optional<std::string> structName;  // "BOOL" for a character flag
    std::optional<std::string> protocol;    // element model class
    bool isOptional = false;
    bool isStandardJSONType = false;
    bool isMutable = false;
    bool convertsOnDemand = false;
    bool isIndex = false;
    int getterType = 0;  // 0 undecided, 1 custom, 2 none
    int setterType = 0;
    std::string customGetter;
    std::string customSetter;

    WirePropertyKind kind = WirePropertyKind::Unsupported;
    std::string typeCode;       // primitives: the type code ("i", "d", "B", ...)
    std::string primitiveName;  // primitives: the table's name for that code

    // Looked up once by name per source kind, so no row forms a selector name again.
    std::array<WireValueTransformer::Conversion, 4> importConversions{};
    std::array<std::string, 4> importConversionNames{};
    WireValueTransformer::Conversion exportConversion = nullptr;
    std::string exportConversionName;
    // On-demand lists: the pass-through operation a WireModelArray is assigned through.
    WireValueTransformer::Conversion onDemandPassThrough = nullptr;
    std::string onDemandPassThroughName;

    const WirePropertyAccess* access = nullptr;
    Setter setter;
    Getter getter;

    // "@property NSString* ID (Optional, Standard JSON type)"
    std::string description() const;
};

struct WireDeclarationFault {
    std::string name;    // "WireModelProperty type not allowed", ...
    std::string reason;  // "Property type of NormalInfo.Num is not supported by WireModel."
};

// Everything known about a model class: built on first use, never changed afterwards.
class WireModelClass {
  public:
    WireModelClass(std::string name, std::vector<WireModelClassProperty> properties,
                   std::vector<std::unique_ptr<WirePropertyAccess>> accesses,
                   std::shared_ptr<WireKeyMapper> keyMapper, std::vector<WireDeclarationFault> faults);
    WireModelClass(const WireModelClass&) = delete;
    WireModelClass& operator=(const WireModelClass&) = delete;

    const std::string& name() const { return name_; }
    const std::vector<WireModelClassProperty>& properties() const { return properties_; }
    const WireModelClassProperty* property(std::string_view name) const {
        auto it = byName_.find(name);
        return it == byName_.end() ? nullptr : &properties_[it->second];
    }
    const std::vector<std::string>& requiredPropertyNames() const { return requiredNames_; }
    const std::vector<size_t>& requiredPropertyIndexes() const { return required_; }
    const std::optional<std::string>& indexPropertyName() const { return indexName_; }
    const std::shared_ptr<WireKeyMapper>& keyMapper() const { return keyMapper_; }
    const std::vector<WireDeclarationFault>& declarationFaults() const { return faults_; }

  private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::string name_;
    std::vector<WireModelClassProperty> properties_;
    std::vector<std::unique_ptr<WirePropertyAccess>> accesses_;
    std::unordered_map<std::string_view, size_t, Hash, std::equal_to<>> byName_;
    std::vector<size_t> required_;
    std::vector<std::string> requiredNames_;
    std::optional<std::string> indexName_;
    std::shared_ptr<WireKeyMapper> keyMapper_;
    std::vector<WireDeclarationFault> faults_;
};

// One entry of a model's declaration table, as the model writes it; the inspection turns it into
// a descriptor.
struct WirePropertyDeclaration {
    WireModelClassProperty property;
    std::unique_ptr<WirePropertyAccess> access;
    bool ignored = false;
    bool readOnly = false;

    WirePropertyDeclaration& optional() {
        property.isOptional = true;
        return *this;
    }
    WirePropertyDeclaration& index() {
        property.isIndex = true;
        return *this;
    }
    WirePropertyDeclaration& convertOnDemand() {
        property.convertsOnDemand = true;
        return *this;
    }
    WirePropertyDeclaration& ignore() {
        ignored = true;
        return *this;
    }
    WirePropertyDeclaration& readonly() {
        readOnly = true;
        return *this;
    }
    // A bool that reads texts and numbers through BOOLFromNSString: / BOOLFromNSNumber:.
    WirePropertyDeclaration& boolean() {
        if (property.typeCode == "B") property.typeCode = "c";
        return *this;
    }
    // Declares which primitive kind an integral member stands for (for example "I" for NSInteger).
    WirePropertyDeclaration& primitiveCode(std::string code) {
        property.typeCode = std::move(code);
        return *this;
    }
    WirePropertyDeclaration& setter(std::string name, WireModelClassProperty::Setter fn) {
        property.customSetter = std::move(name);
        property.setter = std::move(fn);
        return *this;
    }
    WirePropertyDeclaration& getter(std::string name, WireModelClassProperty::Getter fn) {
        property.customGetter = std::move(name);
        property.getter = std::move(fn);
        return *this;
    }
};

// Runs the inspection over a declaration table. Never throws: faults are collected in the result.
std::unique_ptr<WireModelClass> inspectWireModelClass(
    std::string className, std::vector<std::unique_ptr<WirePropertyDeclaration>> declared,
    bool (*propertyIsOptional)(std::string_view), bool (*propertyIsIgnored)(std::string_view),
    std::shared_ptr<WireKeyMapper> keyMapper);

}  // namespace busdesk
