#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace busdesk {

// Two conversions between JSON key paths and property names, each remembering its answers.
// Safe to share between threads: several rows may be mapped at once on the processing queue.
class WireKeyMapper {
  public:
    using Conversion = std::function<std::string(std::string_view)>;

    WireKeyMapper(Conversion jsonToModel, Conversion modelToJSON);

    // From a table of JSON key paths to property names; names not in the table pass unchanged.
    static std::shared_ptr<WireKeyMapper> initWithDictionary(const std::map<std::string, std::string>& table);
    // "first_name" <-> "firstName".
    static std::shared_ptr<WireKeyMapper> mapperFromUnderscoreCaseToCamelCase();
    // "NAME" <-> "name".
    static std::shared_ptr<WireKeyMapper> mapperFromUpperCaseToLowerCase();

    // isImportingToModel: JSON key -> property name; otherwise property name -> JSON key path.
    std::string convertValue(std::string_view value, bool isImportingToModel) const;
    std::string jsonKeyToPropertyName(std::string_view key) const { return convertValue(key, true); }
    std::string propertyNameToJSONKey(std::string_view name) const { return convertValue(name, false); }

  private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    using Cache = std::unordered_map<std::string, std::string, Hash, std::equal_to<>>;

    Conversion jsonToModel_;
    Conversion modelToJSON_;
    mutable std::mutex mutex_;
    mutable Cache toModelCache_;
    mutable Cache toJSONCache_;
};

}  // namespace busdesk
