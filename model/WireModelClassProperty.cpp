#include "model/WireModelClassProperty.h"

#include <algorithm>
#include <boost/json/serialize.hpp>

#include "platform/Log.h"

namespace busdesk {

std::string WirePropertyAccess::describeValue(const WireModel& model,
                                              const WireModelClassProperty& property) const {
    auto v = exportValue(model, property);
    return v ? boost::json::serialize(*v) : std::string("<nil>");
}

std::string WireModelClassProperty::description() const {
    std::vector<std::string> flags;
    if (isIndex) flags.emplace_back("Index");
    if (isOptional) flags.emplace_back("Optional");
    if (isMutable) flags.emplace_back("Mutable");
    if (convertsOnDemand) flags.emplace_back("ConvertOnDemand");
    if (isStandardJSONType) flags.emplace_back("Standard JSON type");
    if (setterType == 1) flags.push_back("Setter = " + customSetter);
    if (getterType == 1) flags.push_back("Getter = " + customGetter);
    std::string joined;
    for (size_t i = 0; i < flags.size(); ++i) {
        if (i) joined += ", ";
        joined += flags[i];
    }
    std::string typeText = type ? *type + "*" : structName ? *structName : std::string("primitive");
    std::string protocolText = protocol ? "<" + *protocol + ">" : std::string();
    return "@property " + typeText + protocolText + " " + name + " (" + joined + ")";
}

WireModelClass::WireModelClass(std::string name, std::vector<WireModelClassProperty> properties,
                               std::vector<std::unique_ptr<WirePropertyAccess>> accesses,
                               std::shared_ptr<WireKeyMapper> keyMapper,
                               std::vector<WireDeclarationFault> faults)
    : name_(std::move(name)),
      properties_(std::move(properties)),
      accesses_(std::move(accesses)),
      keyMapper_(std::move(keyMapper)),
      faults_(std::move(faults)) {
    // properties_ never changes after this point, so views of its names stay valid.
    for (size_t i = 0; i < properties_.size(); ++i) {
        const auto& p = properties_[i];
        byName_[p.name] = i;
        if (!p.isOptional) {
            required_.push_back(i);
            requiredNames_.push_back(p.name);
        }
        if (p.isIndex && !indexName_) indexName_ = p.name;
    }
}

namespace {

bool isStandardJSONClass(const std::string& cls) {
    const auto& names = WireValueTransformer::allowedJSONTypes();
    return std::find(names.begin(), names.end(), cls) != names.end();
}

// Looks the import conversions up once per source kind, so a row never forms a name again.
void resolveImportConversions(WireModelClassProperty& p, std::string_view target) {
    const auto& t = WireValueTransformer::shared();
    for (unsigned s = 0; s < kSourceClusterNames.size(); ++s) {
        std::string used;
        p.importConversions[s] = t.findConversion(target, kSourceClusterNames[s], &used);
        p.importConversionNames[s] = p.importConversions[s] ? used : std::string();
    }
}

}  // namespace

std::unique_ptr<WireModelClass> inspectWireModelClass(
    std::string className, std::vector<std::unique_ptr<WirePropertyDeclaration>> declared,
    bool (*propertyIsOptional)(std::string_view), bool (*propertyIsIgnored)(std::string_view),
    std::shared_ptr<WireKeyMapper> keyMapper) {
    std::vector<WireModelClassProperty> properties;
    std::vector<std::unique_ptr<WirePropertyAccess>> accesses;
    std::vector<WireDeclarationFault> faults;
    const auto& transformer = WireValueTransformer::shared();

    auto fault = [&](const WireModelClassProperty& p) {
        faults.push_back(
            {"WireModelProperty type not allowed",
             "Property type of " + className + "." + p.name + " is not supported by WireModel."});
    };
    // Every conversion a kind relies on must be in the table; a missing one is a declaration fault.
    auto requireTransformer = [&](std::string_view selector) {
        if (!transformer.find(selector))
            faults.push_back({"Value transformer not found",
                              "[WireValueTransformer " + std::string(selector) + "] not found"});
    };

    for (auto& decl : declared) {
        if (!decl || decl->readOnly || decl->ignored) continue;
        WireModelClassProperty p = std::move(decl->property);
        if (propertyIsIgnored && propertyIsIgnored(p.name)) continue;
        if (propertyIsOptional && propertyIsOptional(p.name)) p.isOptional = true;

        switch (p.kind) {
            case WirePropertyKind::Unsupported:
                fault(p);
                continue;
            case WirePropertyKind::Block:
                continue;  // blocks are never mapped
            case WirePropertyKind::Primitive: {
                auto primitive = WireValueTransformer::primitiveNameForCode(p.typeCode);
                const auto& allowed = WireValueTransformer::allowedPrimitiveNames();
                if (!primitive || std::find(allowed.begin(), allowed.end(), *primitive) == allowed.end() ||
                    *primitive == "Block") {
                    fault(p);
                    continue;
                }
                p.primitiveName = *primitive;
                if (p.typeCode == "c") {
                    // A character flag is a boolean read through the BOOL conversions.
                    p.kind = WirePropertyKind::Boolean;
                    p.structName = "BOOL";
                    resolveImportConversions(p, "BOOL");
                    p.exportConversion =
                        transformer.findConversion("JSONObject", "BOOL", &p.exportConversionName);
                    requireTransformer("BOOLFromNSNumber:");
                    requireTransformer("BOOLFromNSString:");
                    requireTransformer("JSONObjectFromBOOL:");
                }
                break;
            }
            case WirePropertyKind::Text:
                p.isStandardJSONType = true;
                resolveImportConversions(p, *p.type);
                requireTransformer("NSStringFromNSNumber:");
                break;
            case WirePropertyKind::Model:
                break;
            case WirePropertyKind::ModelList:
            case WirePropertyKind::ModelDictionary:
                p.isStandardJSONType = isStandardJSONClass(*p.type);
                if (p.kind == WirePropertyKind::ModelList && p.convertsOnDemand) {
                    p.onDemandPassThrough =
                        transformer.findConversion(*p.type, "WireModelArray", &p.onDemandPassThroughName);
                    if (!p.onDemandPassThrough) requireTransformer("NSArrayFromWireModelArray:");
                }
                break;
            case WirePropertyKind::PlainList:
            case WirePropertyKind::Dictionary:
                p.isStandardJSONType = isStandardJSONClass(*p.type);
                resolveImportConversions(p, *p.type);
                break;
            case WirePropertyKind::Boolean:
                break;
        }
        if (p.type) p.isMutable = p.type->find("Mutable") != std::string::npos;
        if (p.kind != WirePropertyKind::ModelList) p.convertsOnDemand = false;
        p.setterType = p.setter ? 1 : 2;
        p.getterType = p.getter ? 1 : 2;
        p.access = decl->access.get();

        // A later declaration of the same name replaces the earlier one.
        auto same = std::find_if(properties.begin(), properties.end(),
                                 [&](const WireModelClassProperty& q) { return q.name == p.name; });
        if (same != properties.end()) {
            *same = std::move(p);
        } else {
            properties.push_back(std::move(p));
        }
        accesses.push_back(std::move(decl->access));
    }
    for (const auto& f : faults) Log::line(f.name + ": " + f.reason);
    return std::make_unique<WireModelClass>(std::move(className), std::move(properties), std::move(accesses),
                                            std::move(keyMapper), std::move(faults));
}

}  // namespace busdesk
