#include "model/WireModel.h"

#include <algorithm>
#include <atomic>
#include <boost/json/serialize.hpp>
#include <cmath>
#include <mutex>

#include "platform/Charset.h"
#include "platform/JSONText.h"
#include "platform/Log.h"

namespace busdesk {

namespace json = boost::json;

// --- errors ------------------------------------------------------------------------------------------

namespace wire_detail {

Error noConversionError(const WireImportContext& ctx, const WireModelClassProperty& p, const json::value& v) {
    std::string cls = ctx.modelClass ? ctx.modelClass->name() : std::string("WireModel");
    std::string target = p.structName ? *p.structName : p.type ? *p.type : p.primitiveName;
    std::string_view kind = v.is_array()    ? "array"
                            : v.is_object() ? "object"
                            : v.is_string() ? "text"
                                            : "number";
    Error e = WireModelError::errorInvalidDataWithMessage(
        cls + " property '" + p.name + "' of type " + target + " cannot take a JSON " + std::string(kind) +
        " (" + std::string(WireValueTransformer::clusterClassOf(v)) + ")");
    return WireModelError::withKeyPath(std::move(e), p.name);
}

Error typeMismatchError(const WireModelClassProperty& p, bool dictionary) {
    std::string elem = p.protocol.value_or("");
    std::string text = dictionary ? "Property '" + p.name + "' is declared as NSDictionary<" + elem +
                                        ">* but the corresponding JSON value is not a JSON Object."
                                  : "Property '" + p.name + "' is declared as NSArray<" + elem +
                                        ">* but the corresponding JSON value is not a JSON Array.";
    return WireModelError::withKeyPath(WireModelError::errorInvalidDataWithTypeMismatch(std::move(text)),
                                       p.name);
}

}  // namespace wire_detail

// --- key mapping ---------------------------------------------------------------------------------

namespace {

std::mutex gGlobalMapperMutex;
std::shared_ptr<WireKeyMapper> gGlobalMapper;
std::atomic<bool> gHasGlobalMapper{false};

std::shared_ptr<WireKeyMapper> loadGlobalMapper() {
    if (!gHasGlobalMapper.load(std::memory_order_acquire)) return nullptr;
    std::lock_guard lock(gGlobalMapperMutex);
    return gGlobalMapper;
}

// The JSON key path of a property: the class mapper's answer, or the global mapper's when the class
// mapper leaves the name unchanged.
std::string mappedKeyPath(const std::string& name, const WireKeyMapper* classMapper,
                          const WireKeyMapper* global) {
    std::string path = classMapper ? classMapper->propertyNameToJSONKey(name) : name;
    if (path == name && global) path = global->propertyNameToJSONKey(name);
    return path;
}

// Steps into nested objects along the dots; when the path cannot be followed, the entry of that
// exact key is read instead.
const json::value* valueAtKeyPath(const json::object& obj, std::string_view path) {
    if (path.find('.') != std::string_view::npos) {
        const json::object* current = &obj;
        std::string_view rest = path;
        while (current) {
            size_t dot = rest.find('.');
            std::string_view part = rest.substr(0, dot);
            auto it = current->find(part);
            if (it == current->end()) break;
            if (dot == std::string_view::npos) return &it->value();
            current = it->value().if_object();
            rest = rest.substr(dot + 1);
        }
    }
    auto it = obj.find(path);
    return it == obj.end() ? nullptr : &it->value();
}

void setAtKeyPath(json::object& obj, std::string_view path, json::value v) {
    json::object* current = &obj;
    while (true) {
        size_t dot = path.find('.');
        if (dot == std::string_view::npos) {
            (*current)[path] = std::move(v);
            return;
        }
        json::value& next = (*current)[path.substr(0, dot)];
        if (!next.is_object()) next = json::object();
        current = &next.get_object();
        path = path.substr(dot + 1);
    }
}

}  // namespace

void WireModel::setGlobalKeyMapper(std::shared_ptr<WireKeyMapper> mapper) {
    std::lock_guard lock(gGlobalMapperMutex);
    gGlobalMapper = std::move(mapper);
    gHasGlobalMapper.store(gGlobalMapper != nullptr, std::memory_order_release);
}

std::shared_ptr<WireKeyMapper> WireModel::globalKeyMapper() {
    return loadGlobalMapper();
}

// --- import ----------------------------------------------------------------------------------------

namespace {

bool importOne(WireModel& model, const WireModelClassProperty& p, const json::value& v,
               const WireImportContext& ctx, Error* error) {
    if (v.is_null()) {
        if (p.isOptional || !ctx.validation) return true;
        wire_detail::setError(
            error, WireModelError::withKeyPath(WireModelError::errorInvalidDataWithMessage(
                                                   "Value of required model key " + p.name + " is null"),
                                               p.name));
        return false;
    }
    // JSON has no infinite numbers, but a parser reads 1e400 as one: bad data, refused like a
    // missing value, so the field shows nothing instead of "inf", and said on the console.
    if (v.is_double() && !std::isfinite(v.get_double())) {
        const std::string cls = ctx.modelClass ? ctx.modelClass->name() : std::string("WireModel");
        Log::line(cls + " property '" + p.name + "' refused: the number " + json::serialize(v) +
                  " is not finite");
        if (p.isOptional || !ctx.validation) return true;
        wire_detail::setError(error, WireModelError::withKeyPath(WireModelError::errorInvalidDataWithMessage(
                                                                     "Value of required model key " + p.name +
                                                                     " is not a finite number"),
                                                                 p.name));
        return false;
    }
    if (p.setter) return p.setter(model, v, ctx, error);
    return p.access->importValue(model, p, v, ctx, error);
}

bool importInto(WireModel& model, const WireModelClass& cls, const json::value& input,
                const std::shared_ptr<const json::value>* owner, bool validation, bool useKeyMapping,
                Error* error) {
    if (input.is_null()) {
        wire_detail::setError(error, WireModelError::errorInputIsNil());
        return false;
    }
    const json::object* obj = input.if_object();
    if (!obj) {
        wire_detail::setError(error,
                              WireModelError::errorInvalidDataWithMessage(
                                  "Attempt to initialize WireModel object using initWithDictionary:error: "
                                  "but the dictionary parameter was not an 'NSDictionary'."));
        return false;
    }
    std::shared_ptr<WireKeyMapper> global = useKeyMapping ? loadGlobalMapper() : nullptr;
    const WireKeyMapper* classMapper = useKeyMapping ? cls.keyMapper().get() : nullptr;
    const bool mapped = classMapper || global;
    WireImportContext ctx{&cls, obj, owner, validation};
    const auto& props = cls.properties();

    if (!mapped) {
        if (validation && !cls.requiredPropertyIndexes().empty()) {
            std::vector<std::string> missing;
            for (size_t i : cls.requiredPropertyIndexes())
                if (!obj->contains(props[i].name)) missing.push_back(props[i].name);
            if (!missing.empty()) {
                wire_detail::setError(error,
                                      WireModelError::errorInvalidDataWithMissingKeys(std::move(missing)));
                return false;
            }
        }
        // Walk the row's own keys: a row usually carries far fewer keys than the class declares.
        for (const auto& kv : *obj) {
            const WireModelClassProperty* p = cls.property(kv.key());
            if (!p) continue;
            if (!importOne(model, *p, kv.value(), ctx, validation ? error : nullptr) && validation)
                return false;
        }
        return true;
    }

    std::vector<std::string> paths;
    paths.reserve(props.size());
    for (const auto& p : props) paths.push_back(mappedKeyPath(p.name, classMapper, global.get()));
    if (validation && !cls.requiredPropertyIndexes().empty()) {
        std::vector<std::string> missing;
        for (size_t i : cls.requiredPropertyIndexes())
            if (!valueAtKeyPath(*obj, paths[i])) missing.push_back(props[i].name);
        if (!missing.empty()) {
            wire_detail::setError(error, WireModelError::errorInvalidDataWithMissingKeys(std::move(missing)));
            return false;
        }
    }
    for (size_t i = 0; i < props.size(); ++i) {
        const json::value* v = valueAtKeyPath(*obj, paths[i]);
        if (!v) continue;
        if (!importOne(model, props[i], *v, ctx, validation ? error : nullptr) && validation) return false;
    }
    return true;
}

}  // namespace

bool WireModel::validate(Error*) {
    return true;
}

bool WireModel::importDictionary(const json::value& input, const std::shared_ptr<const json::value>* owner,
                                 Error* error) {
    if (!importInto(*this, modelClass(), input, owner, true, true, error)) return false;
    Error own;
    if (!validate(&own)) {
        wire_detail::setError(error, own.domain.empty() ? WireModelError::errorModelIsInvalid() : own);
        return false;
    }
    return true;
}

void WireModel::mergeFromDictionary(const json::value& dictionary, bool useKeyMapping) {
    importInto(*this, modelClass(), dictionary, nullptr, false, useKeyMapping, nullptr);
}

// --- parsing -----------------------------------------------------------------------------------------

std::shared_ptr<const json::value> WireModel::parseJSON(std::string_view text, Error* error) {
    if (!Charset::isValidUTF8(text)) {
        wire_detail::setError(error, WireModelError::errorBadJSON());
        return nullptr;
    }
    return parseCheckedJSON(text, error);
}

std::shared_ptr<const json::value> WireModel::parseCheckedJSON(std::string_view utf8, Error* error) {
    json::error_code ec;
    // One arena per document: rows are freed together, and lazy lists keep the arena alive.
    auto doc = std::make_shared<json::value>(parseUTF8JSON(utf8, ec));
    if (ec || !(doc->is_object() || doc->is_array())) {
        wire_detail::setError(error, WireModelError::errorBadJSON());
        return nullptr;
    }
    return doc;
}

bool WireModel::isValidUTF8(std::string_view s) {
    return Charset::isValidUTF8(s);
}

std::shared_ptr<const json::value> WireModel::parseJSONData(std::string_view bytes, Error* error) {
    // JSON starts with two ASCII characters, so zero bytes among the first four tell UTF-16/32 apart.
    auto b = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0xFFu; };
    const char* encoding = nullptr;
    if (bytes.size() >= 4 && b(0) == 0 && b(1) == 0 && b(2) == 0 && b(3) != 0)
        encoding = "UTF-32BE";
    else if (bytes.size() >= 4 && b(0) != 0 && b(1) == 0 && b(2) == 0 && b(3) == 0)
        encoding = "UTF-32LE";
    else if (bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF)
        encoding = "UTF-16";
    else if (bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE)
        encoding = "UTF-16";
    else if (bytes.size() >= 2 && b(0) == 0 && b(1) != 0)
        encoding = "UTF-16BE";
    else if (bytes.size() >= 2 && b(0) != 0 && b(1) == 0)
        encoding = "UTF-16LE";
    if (!encoding) {
        if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) bytes.remove_prefix(3);
        return parseJSON(bytes, error);
    }
    auto utf8 = Charset::decodeToUTF8(bytes, encoding);
    if (!utf8) {
        wire_detail::setError(error, WireModelError::errorBadJSON());
        return nullptr;
    }
    std::string_view text = *utf8;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return parseCheckedJSON(text, error);
}

std::shared_ptr<const json::value> parseJSONInEncoding(std::string_view utf8, std::string_view encoding,
                                                       Error* error) {
    auto bytes = Charset::encodeFromUTF8(utf8, encoding);
    if (!bytes) {
        // Text that the charset cannot hold (or an unknown charset) gives no JSON bytes at all.
        wire_detail::setError(error, WireModelError::errorBadJSON());
        return nullptr;
    }
    return WireModel::parseJSONData(*bytes, error);
}

// --- export, identity, description ------------------------------------------------------------------

namespace {

json::object exportProperties(const WireModel& model, const std::vector<std::string>* only) {
    const auto& cls = model.modelClass();
    auto global = loadGlobalMapper();
    json::object out;
    for (const auto& p : cls.properties()) {
        if (only && std::find(only->begin(), only->end(), p.name) == only->end()) continue;
        std::optional<json::value> v = p.getter ? p.getter(model) : p.access->exportValue(model, p);
        if (!v || v->is_null()) {
            if (p.isOptional) continue;
            v = json::value();
        }
        std::string path = mappedKeyPath(p.name, cls.keyMapper().get(), global.get());
        setAtKeyPath(out, path, std::move(*v));
    }
    return out;
}

}  // namespace

json::object WireModel::toDictionary() const {
    return exportProperties(*this, nullptr);
}
json::object WireModel::toDictionaryWithKeys(const std::vector<std::string>& names) const {
    return exportProperties(*this, &names);
}
std::string WireModel::toJSONString() const {
    return json::serialize(toDictionary());
}
std::string WireModel::toJSONStringWithKeys(const std::vector<std::string>& names) const {
    return json::serialize(toDictionaryWithKeys(names));
}

std::optional<std::string> WireModel::indexPropertyName() const {
    return modelClass().indexPropertyName();
}

json::value WireModel::indexValue() const {
    const auto& name = modelClass().indexPropertyName();
    if (!name) return nullptr;
    const auto* p = modelClass().property(*name);
    auto v = p->access->exportValue(*this, *p);
    return v ? *v : json::value();
}

bool WireModel::isEqual(const WireModel& other) const {
    if (&modelClass() != &other.modelClass()) return false;
    if (!indexPropertyName()) return this == &other;
    return indexValue() == other.indexValue();
}

WireComparisonResult WireModel::compare(const WireModel& other) const {
    if (!indexPropertyName() || &modelClass() != &other.modelClass())
        return WireComparisonResult::OrderedSame;
    json::value a = indexValue(), b = other.indexValue();
    auto order = [](auto x, auto y) {
        return x < y   ? WireComparisonResult::OrderedAscending
               : y < x ? WireComparisonResult::OrderedDescending
                       : WireComparisonResult::OrderedSame;
    };
    if (a.is_string() && b.is_string())
        return order(std::string_view(a.get_string()), std::string_view(b.get_string()));
    auto isNum = [](const json::value& v) { return v.is_number() || v.is_bool(); };
    if (isNum(a) && isNum(b))
        return order(WireValueTransformer::doubleFromNumber(a), WireValueTransformer::doubleFromNumber(b));
    return WireComparisonResult::OrderedSame;
}

size_t WireModel::hash() const {
    if (!indexPropertyName()) return std::hash<const void*>{}(this);
    json::value v = indexValue();
    if (v.is_string()) return std::hash<std::string_view>{}(v.get_string());
    return std::hash<std::string>{}(json::serialize(v));
}

std::string WireModel::description() const {
    const auto& cls = modelClass();
    std::string out = "<" + cls.name() + ">\n";
    for (const auto& p : cls.properties()) {
        out += "   [" + p.name + "]: " + p.access->describeValue(*this, p) + "\n";
    }
    out += "</" + cls.name() + ">";
    return out;
}

json::object WireModel::archive() const {
    json::object o;
    o["json"] = toJSONString();
    return o;
}

}  // namespace busdesk
