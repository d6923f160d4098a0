#pragma once

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>
#include <boost/json/value.hpp>
#include <cfloat>
#include <climits>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "model/WireKeyMapper.h"
#include "model/WireModelArray.h"
#include "model/WireModelClassProperty.h"
#include "model/WireModelError.h"
#include "model/WireValueTransformer.h"
#include "platform/Error.h"

namespace busdesk {

enum class WireComparisonResult { OrderedAscending = -1, OrderedSame = 0, OrderedDescending = 1 };

// The base of every wire model. The typed factories live in WireModelBase<Model>; what is shared by
// all classes (import, export, identity, description) works over the class descriptors.
class WireModel {
  public:
    virtual ~WireModel() = default;
    virtual const WireModelClass& modelClass() const = 0;

    // A model may refuse an otherwise complete mapping; it may fill `error` with its own reason.
    virtual bool validate(Error* error);

    // Imports into this model without the required-key check; nulls, nested models that do not map
    // and values without a conversion are skipped, and nothing is reported.
    void mergeFromDictionary(const boost::json::value& dictionary, bool useKeyMapping);

    boost::json::object toDictionary() const;
    boost::json::object toDictionaryWithKeys(const std::vector<std::string>& propertyNames) const;
    std::string toJSONString() const;
    std::string toJSONStringWithKeys(const std::vector<std::string>& propertyNames) const;

    std::optional<std::string> indexPropertyName() const;
    // The index property's value as JSON (null without an index property or when unset).
    boost::json::value indexValue() const;
    // Equal only with exactly the same class; by index value when there is an index property, else
    // only the same object.
    bool isEqual(const WireModel& other) const;
    WireComparisonResult compare(const WireModel& other) const;
    size_t hash() const;
    std::string description() const;
    // {"json": toJSONString()}; read back with WireModelBase<T>::unarchive.
    boost::json::object archive() const;

    static void setGlobalKeyMapper(std::shared_ptr<WireKeyMapper> mapper);
    static std::shared_ptr<WireKeyMapper> globalKeyMapper();

    // The mapping step shared by every initializer. `owner`, when given, owns `input`.
    bool importDictionary(const boost::json::value& input,
                          const std::shared_ptr<const boost::json::value>* owner, Error* error);
    // Parses a JSON text whose top level is an array or an object; code 3 otherwise.
    static std::shared_ptr<const boost::json::value> parseJSON(std::string_view text, Error* error);
    // JSON bytes in UTF-8, or UTF-16/32 recognised by their byte pattern.
    static std::shared_ptr<const boost::json::value> parseJSONData(std::string_view bytes, Error* error);
    static bool isValidUTF8(std::string_view bytes);

  protected:
    // parseJSON for text already known to be UTF-8.
    static std::shared_ptr<const boost::json::value> parseCheckedJSON(std::string_view utf8, Error* error);
    WireModel() = default;
    WireModel(const WireModel&) = default;
    WireModel& operator=(const WireModel&) = default;
};

namespace wire_detail {

Error noConversionError(const WireImportContext& ctx, const WireModelClassProperty& p,
                        const boost::json::value& v);
Error typeMismatchError(const WireModelClassProperty& p, bool dictionary);
inline void setError(Error* slot, Error e) {
    if (slot) *slot = std::move(e);
}

template <class M>
std::string typeCode() {
    using U = std::remove_cv_t<M>;
    if constexpr (std::is_same_v<U, bool>)
        return "B";
    else if constexpr (std::is_same_v<U, char> || std::is_same_v<U, signed char>)
        return "c";
    else if constexpr (std::is_same_v<U, unsigned char>)
        return "C";
    else if constexpr (std::is_same_v<U, short>)
        return "s";
    else if constexpr (std::is_same_v<U, unsigned short>)
        return "S";
    else if constexpr (std::is_same_v<U, int>)
        return "i";
    else if constexpr (std::is_same_v<U, unsigned int>)
        return "I";
    else if constexpr (std::is_same_v<U, long>)
        return "l";
    else if constexpr (std::is_same_v<U, unsigned long>)
        return "Q";
    else if constexpr (std::is_same_v<U, long long>)
        return "q";
    else if constexpr (std::is_same_v<U, unsigned long long>)
        return "Q";
    else if constexpr (std::is_same_v<U, float>)
        return "f";
    else if constexpr (std::is_same_v<U, double>)
        return "d";
    else if constexpr (std::is_same_v<U, long double>)
        return "D";
    else if constexpr (std::is_pointer_v<U>)
        return "^" + typeCode<std::remove_pointer_t<U>>();
    else
        return "?";
}

// Saturating stores into a numeric member: neither a huge JSON number nor a long digit run may
// wrap around or invoke an undefined conversion.
template <class M>
M fromInteger(long long v) {
    if constexpr (std::is_same_v<M, bool>) {
        return v != 0;
    } else if constexpr (std::is_floating_point_v<M>) {
        return static_cast<M>(v);
    } else if constexpr (std::is_signed_v<M>) {
        if (v < static_cast<long long>(std::numeric_limits<M>::min())) return std::numeric_limits<M>::min();
        if (v > static_cast<long long>(std::numeric_limits<M>::max())) return std::numeric_limits<M>::max();
        return static_cast<M>(v);
    } else {
        if (v < 0) return 0;
        if (static_cast<unsigned long long>(v) >
            static_cast<unsigned long long>(std::numeric_limits<M>::max()))
            return std::numeric_limits<M>::max();
        return static_cast<M>(v);
    }
}

template <class M>
M fromDouble(double d) {
    if constexpr (std::is_same_v<M, float>) {
        if (d > FLT_MAX) return std::numeric_limits<float>::infinity();
        if (d < -FLT_MAX) return -std::numeric_limits<float>::infinity();
        return static_cast<float>(d);
    } else if constexpr (std::is_floating_point_v<M>) {
        return static_cast<M>(d);
    } else {
        return fromInteger<M>(WireValueTransformer::integerFromNumber(boost::json::value(d)));
    }
}

template <class M>
M fromNumber(const boost::json::value& v) {
    if constexpr (std::is_floating_point_v<M>) {
        return fromDouble<M>(WireValueTransformer::doubleFromNumber(v));
    } else if constexpr (std::is_same_v<M, bool>) {
        return WireValueTransformer::doubleFromNumber(v) != 0.0;
    } else {
        if constexpr (std::is_unsigned_v<M>) {
            if (v.is_uint64()) {
                return v.get_uint64() > std::numeric_limits<M>::max() ? std::numeric_limits<M>::max()
                                                                      : static_cast<M>(v.get_uint64());
            }
        }
        return fromInteger<M>(WireValueTransformer::integerFromNumber(v));
    }
}

template <class M>
M fromText(std::string_view text) {
    if constexpr (std::is_floating_point_v<M>) {
        return fromDouble<M>(WireValueTransformer::doubleFromText(text));
    } else if constexpr (std::is_same_v<M, bool>) {
        return WireValueTransformer::boolValueOfText(text);
    } else {
        return fromInteger<M>(WireValueTransformer::integerFromText(text));
    }
}

template <class M>
boost::json::value toJSONNumber(M v) {
    if constexpr (std::is_same_v<M, bool>)
        return boost::json::value(v);
    else if constexpr (std::is_floating_point_v<M>)
        return boost::json::value(static_cast<double>(v));
    else if constexpr (std::is_unsigned_v<M>)
        return boost::json::value(static_cast<std::uint64_t>(v));
    else
        return boost::json::value(static_cast<std::int64_t>(v));
}

template <class T>
class TextAccess final : public WirePropertyAccess {
  public:
    explicit TextAccess(std::optional<std::string> T::*m) : m_(m) {}
    bool importValue(WireModel& model, const WireModelClassProperty& p, const boost::json::value& v,
                     const WireImportContext& ctx, Error* error) const override {
        auto& member = static_cast<T&>(model).*m_;
        if (v.is_string()) {
            const auto& s = v.get_string();
            member.emplace(s.data(), s.size());
            return true;
        }
        auto convert = p.importConversions[sourceClusterOf(v)];
        if (!convert) {
            setError(error, noConversionError(ctx, p, v));
            return false;
        }
        auto out = convert(WireValue(v));
        if (auto* j = out ? std::get_if<boost::json::value>(&*out) : nullptr; j && j->is_string()) {
            member.emplace(j->get_string().data(), j->get_string().size());
            return true;
        }
        setError(error, noConversionError(ctx, p, v));
        return false;
    }
    std::optional<boost::json::value> exportValue(const WireModel& model,
                                                  const WireModelClassProperty&) const override {
        const auto& member = static_cast<const T&>(model).*m_;
        if (!member) return std::nullopt;
        return boost::json::value(boost::json::string(*member));
    }

  private:
    std::optional<std::string> T::*m_;
};

template <class T, class M>
class PrimitiveAccess final : public WirePropertyAccess {
  public:
    explicit PrimitiveAccess(M T::*m) : m_(m) {}
    bool importValue(WireModel& model, const WireModelClassProperty& p, const boost::json::value& v,
                     const WireImportContext& ctx, Error* error) const override {
        auto& member = static_cast<T&>(model).*m_;
        if (p.kind == WirePropertyKind::Boolean) {
            auto convert = p.importConversions[sourceClusterOf(v)];
            std::optional<WireValue> out;
            if (convert) out = convert(WireValue(v));
            auto* j = out ? std::get_if<boost::json::value>(&*out) : nullptr;
            if (!j || !j->is_bool()) {
                setError(error, noConversionError(ctx, p, v));
                return false;
            }
            member = static_cast<M>(j->get_bool());
            return true;
        }
        switch (v.kind()) {
            case boost::json::kind::string:
                member = fromText<M>(v.get_string());
                return true;
            case boost::json::kind::int64:
            case boost::json::kind::uint64:
            case boost::json::kind::double_:
            case boost::json::kind::bool_:
                member = fromNumber<M>(v);
                return true;
            default:
                setError(error, noConversionError(ctx, p, v));
                return false;
        }
    }
    std::optional<boost::json::value> exportValue(const WireModel& model,
                                                  const WireModelClassProperty& p) const override {
        M value = static_cast<const T&>(model).*m_;
        if (p.kind == WirePropertyKind::Boolean && p.exportConversion) {
            auto out =
                p.exportConversion(WireValue(boost::json::value(static_cast<std::int64_t>(value ? 1 : 0))));
            if (auto* j = out ? std::get_if<boost::json::value>(&*out) : nullptr) return *j;
        }
        return toJSONNumber<M>(value);
    }

  private:
    M T::*m_;
};

template <class T, class E>
class ModelAccess final : public WirePropertyAccess {
  public:
    explicit ModelAccess(std::shared_ptr<E> T::*m) : m_(m) {}
    bool importValue(WireModel& model, const WireModelClassProperty& p, const boost::json::value& v,
                     const WireImportContext& ctx, Error* error) const override {
        Error inner;
        auto nested = E::initWithDictionaryIn(v, ctx.owner, error ? &inner : nullptr);
        if (!nested) {
            if (p.isOptional || !ctx.validation) return true;
            setError(error, WireModelError::errorByPrependingKeyPathComponent(inner, p.name));
            return false;
        }
        static_cast<T&>(model).*m_ = std::move(nested);
        return true;
    }
    std::optional<boost::json::value> exportValue(const WireModel& model,
                                                  const WireModelClassProperty&) const override {
        const auto& member = static_cast<const T&>(model).*m_;
        if (!member) return std::nullopt;
        return boost::json::value(member->toDictionary());
    }

  private:
    std::shared_ptr<E> T::*m_;
};

template <class T, class E>
class ModelListAccess final : public WirePropertyAccess {
  public:
    explicit ModelListAccess(WireModelArray<E> T::*m) : m_(m) {}
    bool importValue(WireModel& model, const WireModelClassProperty& p, const boost::json::value& v,
                     const WireImportContext& ctx, Error* error) const override {
        auto& member = static_cast<T&>(model).*m_;
        if (!v.is_array()) {
            setError(error, typeMismatchError(p, false));
            return false;
        }
        if (p.convertsOnDemand) {
            WireModelArray<E> lazy =
                ctx.owner && *ctx.owner
                    ? WireModelArray<E>(std::shared_ptr<const boost::json::array>(*ctx.owner, &v.get_array()))
                    : WireModelArray<E>(v.get_array());
            // The on-demand list is handed through the table's pass-through operation as it is.
            auto out = p.onDemandPassThrough ? p.onDemandPassThrough(WireValue(lazy.handle())) : std::nullopt;
            auto* h = out ? std::get_if<WireModelArrayHandle>(&*out) : nullptr;
            member = h ? WireModelArray<E>::fromHandle(*h) : std::move(lazy);
            return true;
        }
        Error inner;
        auto rows = E::arrayOfModelsIn(v, ctx.owner, error ? &inner : nullptr);
        if (!rows) {
            setError(error, WireModelError::errorByPrependingKeyPathComponent(inner, p.name));
            return false;
        }
        member = WireModelArray<E>(std::move(*rows));
        return true;
    }
    std::optional<boost::json::value> exportValue(const WireModel& model,
                                                  const WireModelClassProperty&) const override {
        const auto& member = static_cast<const T&>(model).*m_;
        if (!member.isSet()) return std::nullopt;
        return boost::json::value(member.exportElements());
    }
    std::string describeValue(const WireModel& model, const WireModelClassProperty&) const override {
        return (static_cast<const T&>(model).*m_).description();
    }

  private:
    WireModelArray<E> T::*m_;
};

template <class T, class E>
class ModelDictionaryAccess final : public WirePropertyAccess {
  public:
    using Map = std::map<std::string, std::shared_ptr<E>>;
    explicit ModelDictionaryAccess(Map T::*m) : m_(m) {}
    bool importValue(WireModel& model, const WireModelClassProperty& p, const boost::json::value& v,
                     const WireImportContext& ctx, Error* error) const override {
        if (!v.is_object()) {
            setError(error, typeMismatchError(p, true));
            return false;
        }
        Map out;
        for (const auto& kv : v.get_object()) {
            Error inner;
            auto m = E::initWithDictionaryIn(kv.value(), ctx.owner, error ? &inner : nullptr);
            if (!m) {
                if (error) {
                    *error = WireModelError::errorByPrependingKeyPathComponent(
                        WireModelError::errorByPrependingKeyPathComponent(inner, kv.key()), p.name);
                }
                return false;
            }
            out.emplace(std::string(kv.key()), std::move(m));
        }
        static_cast<T&>(model).*m_ = std::move(out);
        return true;
    }
    std::optional<boost::json::value> exportValue(const WireModel& model,
                                                  const WireModelClassProperty&) const override {
        const auto& member = static_cast<const T&>(model).*m_;
        if (member.empty()) return std::nullopt;
        boost::json::object o;
        for (const auto& [k, m] : member)
            o[k] = m ? boost::json::value(m->toDictionary()) : boost::json::value();
        return boost::json::value(std::move(o));
    }

  private:
    Map T::*m_;
};

// Plain lists and plain dictionaries: copied into the model's own storage, so a model never keeps a
// whole parsed document alive for one small member.
template <class T, class M>
class JSONContainerAccess final : public WirePropertyAccess {
  public:
    explicit JSONContainerAccess(M T::*m) : m_(m) {}
    bool importValue(WireModel& model, const WireModelClassProperty& p, const boost::json::value& v,
                     const WireImportContext& ctx, Error* error) const override {
        auto convert = p.importConversions[sourceClusterOf(v)];
        std::optional<WireValue> out;
        if (convert) out = convert(WireValue(v));
        auto* j = out ? std::get_if<boost::json::value>(&*out) : nullptr;
        if constexpr (std::is_same_v<M, boost::json::array>) {
            if (j && j->is_array()) {
                static_cast<T&>(model).*m_ = boost::json::array(j->get_array(), boost::json::storage_ptr());
                return true;
            }
        } else {
            if (j && j->is_object()) {
                static_cast<T&>(model).*m_ = boost::json::object(j->get_object(), boost::json::storage_ptr());
                return true;
            }
        }
        setError(error, noConversionError(ctx, p, v));
        return false;
    }
    std::optional<boost::json::value> exportValue(const WireModel& model,
                                                  const WireModelClassProperty& p) const override {
        const auto& member = static_cast<const T&>(model).*m_;
        if (member.empty() && p.isOptional) return std::nullopt;
        return boost::json::value(member);
    }

  private:
    M T::*m_;
};

template <class X>
struct IsModelArray : std::false_type {};
template <class E>
struct IsModelArray<WireModelArray<E>> : std::true_type {
    using Element = E;
};
template <class X>
struct IsModelPointer : std::false_type {};
template <class E>
struct IsModelPointer<std::shared_ptr<E>> : std::bool_constant<std::is_base_of_v<WireModel, E>> {
    using Element = E;
};
template <class X>
struct IsModelMap : std::false_type {};
template <class E>
struct IsModelMap<std::map<std::string, std::shared_ptr<E>>>
    : std::bool_constant<std::is_base_of_v<WireModel, E>> {
    using Element = E;
};
template <class X>
struct IsFunction : std::false_type {};
template <class F>
struct IsFunction<std::function<F>> : std::true_type {};

}  // namespace wire_detail

// The declaration table of one model class. Each property is declared once, by name and member;
// its kind comes from the member's type.
template <class T>
class WireModelDeclaration {
  public:
    using Model = T;

    template <class M>
    WirePropertyDeclaration& add(std::string_view name, M T::*member) {
        using namespace wire_detail;
        auto d = std::make_unique<WirePropertyDeclaration>();
        auto& p = d->property;
        p.name = std::string(name);
        if constexpr (std::is_same_v<M, std::optional<std::string>>) {
            p.kind = WirePropertyKind::Text;
            p.type = "NSString";
            d->access = std::make_unique<TextAccess<T>>(member);
        } else if constexpr (std::is_arithmetic_v<M>) {
            p.kind = WirePropertyKind::Primitive;
            p.typeCode = typeCode<M>();
            d->access = std::make_unique<PrimitiveAccess<T, M>>(member);
        } else if constexpr (IsModelPointer<M>::value) {
            using E = typename IsModelPointer<M>::Element;
            p.kind = WirePropertyKind::Model;
            p.type = std::string(E::wireClassName);
            d->access = std::make_unique<ModelAccess<T, E>>(member);
        } else if constexpr (IsModelArray<M>::value) {
            using E = typename IsModelArray<M>::Element;
            p.kind = WirePropertyKind::ModelList;
            p.type = "NSArray";
            p.protocol = std::string(E::wireClassName);
            d->access = std::make_unique<ModelListAccess<T, E>>(member);
        } else if constexpr (IsModelMap<M>::value) {
            using E = typename IsModelMap<M>::Element;
            p.kind = WirePropertyKind::ModelDictionary;
            p.type = "NSDictionary";
            p.protocol = std::string(E::wireClassName);
            d->access = std::make_unique<ModelDictionaryAccess<T, E>>(member);
        } else if constexpr (std::is_same_v<M, boost::json::array>) {
            p.kind = WirePropertyKind::PlainList;
            p.type = "NSMutableArray";
            d->access = std::make_unique<JSONContainerAccess<T, M>>(member);
        } else if constexpr (std::is_same_v<M, boost::json::object>) {
            p.kind = WirePropertyKind::Dictionary;
            p.type = "NSMutableDictionary";
            d->access = std::make_unique<JSONContainerAccess<T, M>>(member);
        } else if constexpr (IsFunction<M>::value) {
            p.kind = WirePropertyKind::Block;
            p.typeCode = "@?";
        } else {
            p.kind = WirePropertyKind::Unsupported;
            p.typeCode = typeCode<M>();
        }
        entries_.push_back(std::move(d));
        return *entries_.back();
    }

    std::vector<std::unique_ptr<WirePropertyDeclaration>> take() { return std::move(entries_); }

  private:
    std::vector<std::unique_ptr<WirePropertyDeclaration>> entries_;
};

// Declares a property under its member's own name, so name, member and JSON key cannot drift apart.
#define WIRE_PROPERTY(declaration, member) \
    (declaration).add(#member, &std::remove_reference_t<decltype(declaration)>::Model::member)

// Inside a model class: its name as the mapping reports it.
#define BUSDESK_WIRE_MODEL(Class) \
  public:                         \
    static constexpr std::string_view wireClassName = #Class;

// Typed factories and hooks of a model class `T` (CRTP). A model class hides the hooks
// (`propertyIsOptional`, `propertyIsIgnored`, `keyMapper`) with its own static functions.
template <class T>
class WireModelBase : public WireModel {
  public:
    using Models = std::vector<std::shared_ptr<T>>;

    // Inspects the class on first use (thread-safe), then answers the cached descriptors.
    static const WireModelClass& wireClass() {
        static const std::unique_ptr<WireModelClass> cls = [] {
            WireModelDeclaration<T> d;
            T::declareProperties(d);
            return inspectWireModelClass(std::string(T::wireClassName), d.take(), &T::propertyIsOptional,
                                         &T::propertyIsIgnored, T::keyMapper());
        }();
        return *cls;
    }
    const WireModelClass& modelClass() const override { return wireClass(); }

    static bool propertyIsOptional(std::string_view) { return false; }
    static bool propertyIsIgnored(std::string_view) { return false; }
    static std::shared_ptr<WireKeyMapper> keyMapper() { return nullptr; }

    static std::shared_ptr<T> init() {
        wireClass();
        return std::make_shared<T>();
    }

    static std::shared_ptr<T> initWithString(std::string_view text, Error* error = nullptr) {
        auto doc = parseJSON(text, error);
        if (!doc) return nullptr;
        return initWithDictionaryIn(*doc, &doc, error);
    }
    // A missing text (nullptr) fails with code 5.
    static std::shared_ptr<T> initWithString(const char* text, Error* error = nullptr) {
        if (!text) {
            wire_detail::setError(error, WireModelError::errorInputIsNil());
            return nullptr;
        }
        return initWithString(std::string_view(text), error);
    }
    // The UTF-8 text is encoded in `encoding` (an IANA charset name) and those bytes parsed as JSON.
    static std::shared_ptr<T> initWithString(std::string_view text, std::string_view encoding,
                                             Error* error = nullptr) {
        auto doc = parseEncoded(text, encoding, error);
        if (!doc) return nullptr;
        return initWithDictionaryIn(*doc, &doc, error);
    }
    // Bytes that are not UTF-8 give nullptr and leave the error slot untouched.
    static std::shared_ptr<T> initWithData(std::string_view bytes, Error* error = nullptr) {
        if (!isValidUTF8(bytes)) return nullptr;
        auto doc = parseCheckedJSON(bytes, error);
        if (!doc) return nullptr;
        return initWithDictionaryIn(*doc, &doc, error);
    }
    static std::shared_ptr<T> initWithDictionary(const boost::json::value& dictionary,
                                                 Error* error = nullptr) {
        return initWithDictionaryIn(dictionary, nullptr, error);
    }
    static std::shared_ptr<T> initWithDictionary(const boost::json::value* dictionary,
                                                 Error* error = nullptr) {
        if (!dictionary) {
            wire_detail::setError(error, WireModelError::errorInputIsNil());
            return nullptr;
        }
        return initWithDictionaryIn(*dictionary, nullptr, error);
    }

    // One bad row loses the whole list; the error's key path starts with the row's "[n]".
    static std::optional<Models> arrayOfModelsFromDictionaries(const boost::json::value& list,
                                                               Error* error = nullptr) {
        return arrayOfModelsIn(list, nullptr, error);
    }
    // A top level that is not an array gives nullopt.
    static std::optional<Models> arrayOfModelsFromData(std::string_view bytes, Error* error = nullptr) {
        auto doc = parseJSONData(bytes, error);
        if (!doc) return std::nullopt;
        if (!doc->is_array()) {
            wire_detail::setError(error,
                                  WireModelError::errorInvalidDataWithMessage(
                                      "Attempt to map a list of models from JSON data whose top level is "
                                      "not an array."));
            return std::nullopt;
        }
        return arrayOfModelsIn(*doc, &doc, error);
    }

    static boost::json::array arrayOfDictionariesFromModels(const Models& models) {
        boost::json::array out;
        out.reserve(models.size());
        for (const auto& m : models)
            out.emplace_back(m ? boost::json::value(m->toDictionary()) : boost::json::value());
        return out;
    }
    static boost::json::array arrayOfDictionariesFromModels(
        const Models& models, const std::vector<std::string>& propertyNamesToExport) {
        boost::json::array out;
        for (const auto& m : models)
            out.emplace_back(m ? boost::json::value(m->toDictionaryWithKeys(propertyNamesToExport))
                               : boost::json::value());
        return out;
    }

    static std::shared_ptr<T> unarchive(const boost::json::value& archive, Error* error = nullptr) {
        const auto* o = archive.if_object();
        const auto* it = o ? o->if_contains("json") : nullptr;
        if (!it || !it->is_string()) {
            wire_detail::setError(error, WireModelError::errorInputIsNil());
            return nullptr;
        }
        return initWithString(std::string_view(it->get_string()), error);
    }

    // A member-wise copy (on-demand lists share their storage with the original).
    std::shared_ptr<T> copy() const { return std::make_shared<T>(static_cast<const T&>(*this)); }

    // Used by nested properties and lazy lists: `owner`, when given, keeps `value` alive.
    static std::shared_ptr<T> initWithDictionaryIn(const boost::json::value& value,
                                                   const std::shared_ptr<const boost::json::value>* owner,
                                                   Error* error) {
        auto model = std::make_shared<T>();
        if (!model->importDictionary(value, owner, error)) return nullptr;
        return model;
    }
    static std::optional<Models> arrayOfModelsIn(const boost::json::value& list,
                                                 const std::shared_ptr<const boost::json::value>* owner,
                                                 Error* error) {
        Models out;
        if (list.is_null()) {
            wire_detail::setError(error, WireModelError::errorInputIsNil());
            return std::nullopt;
        }
        if (const auto* obj = list.if_object()) {
            // A dictionary is visited by its keys, and a key is never a dictionary itself.
            size_t i = 0;
            for (const auto& kv : *obj) {
                Error inner;
                if (!initWithDictionaryIn(boost::json::value(kv.key()), nullptr, error ? &inner : nullptr)) {
                    wire_detail::setError(error, WireModelError::errorByPrependingKeyPathComponent(
                                                     inner, "[" + std::to_string(i) + "]"));
                    return std::nullopt;
                }
                ++i;
            }
            return out;
        }
        const auto* arr = list.if_array();
        if (!arr) {
            wire_detail::setError(error,
                                  WireModelError::errorInvalidDataWithMessage(
                                      "Attempt to map a list of models from a value that is not an array."));
            return std::nullopt;
        }
        out.reserve(arr->size());
        for (size_t i = 0; i < arr->size(); ++i) {
            Error inner;
            std::shared_ptr<const boost::json::value> rowOwner;
            if (owner && *owner) rowOwner = std::shared_ptr<const boost::json::value>(*owner, &(*arr)[i]);
            auto m = initWithDictionaryIn((*arr)[i], owner && *owner ? &rowOwner : nullptr,
                                          error ? &inner : nullptr);
            if (!m) {
                wire_detail::setError(error, WireModelError::errorByPrependingKeyPathComponent(
                                                 inner, "[" + std::to_string(i) + "]"));
                return std::nullopt;
            }
            out.push_back(std::move(m));
        }
        return out;
    }

  protected:
    WireModelBase() = default;
    WireModelBase(const WireModelBase&) = default;
    WireModelBase& operator=(const WireModelBase&) = default;

  private:
    static std::shared_ptr<const boost::json::value> parseEncoded(std::string_view text,
                                                                  std::string_view encoding, Error* error);
};

// Defined in WireModel.cpp; used by the encoded-text initializer.
std::shared_ptr<const boost::json::value> parseJSONInEncoding(std::string_view utf8,
                                                              std::string_view encoding, Error* error);

template <class T>
std::shared_ptr<const boost::json::value> WireModelBase<T>::parseEncoded(std::string_view text,
                                                                         std::string_view encoding,
                                                                         Error* error) {
    return parseJSONInEncoding(text, encoding, error);
}

}  // namespace busdesk
