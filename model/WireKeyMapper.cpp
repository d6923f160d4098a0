#include "model/WireKeyMapper.h"

#include <cctype>

namespace busdesk {

WireKeyMapper::WireKeyMapper(Conversion jsonToModel, Conversion modelToJSON)
    : jsonToModel_(std::move(jsonToModel)), modelToJSON_(std::move(modelToJSON)) {}

std::string WireKeyMapper::convertValue(std::string_view value, bool isImportingToModel) const {
    Cache& cache = isImportingToModel ? toModelCache_ : toJSONCache_;
    {
        std::lock_guard lock(mutex_);
        if (auto it = cache.find(value); it != cache.end()) return it->second;
    }
    const Conversion& convert = isImportingToModel ? jsonToModel_ : modelToJSON_;
    std::string result = convert ? convert(value) : std::string(value);
    std::lock_guard lock(mutex_);
    cache.emplace(std::string(value), result);
    return result;
}

std::shared_ptr<WireKeyMapper> WireKeyMapper::initWithDictionary(
    const std::map<std::string, std::string>& table) {
    auto toModel =
        std::make_shared<std::map<std::string, std::string, std::less<>>>(table.begin(), table.end());
    auto toJSON = std::make_shared<std::map<std::string, std::string, std::less<>>>();
    for (const auto& [key, name] : table) toJSON->emplace(name, key);
    return std::make_shared<WireKeyMapper>(
        [toModel](std::string_view key) {
            auto it = toModel->find(key);
            return it == toModel->end() ? std::string(key) : it->second;
        },
        [toJSON](std::string_view name) {
            auto it = toJSON->find(name);
            return it == toJSON->end() ? std::string(name) : it->second;
        });
}

std::shared_ptr<WireKeyMapper> WireKeyMapper::mapperFromUnderscoreCaseToCamelCase() {
    return std::make_shared<WireKeyMapper>(
        [](std::string_view key) {
            std::string out;
            bool upperNext = false;
            for (char c : key) {
                if (c == '_') {
                    upperNext = true;
                    continue;
                }
                if (upperNext && !out.empty()) {
                    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                } else {
                    out += c;
                }
                upperNext = false;
            }
            return out;
        },
        [](std::string_view name) {
            std::string out;
            for (char c : name) {
                if (std::isupper(static_cast<unsigned char>(c))) {
                    if (!out.empty()) out += '_';
                    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                } else {
                    out += c;
                }
            }
            return out;
        });
}

std::shared_ptr<WireKeyMapper> WireKeyMapper::mapperFromUpperCaseToLowerCase() {
    return std::make_shared<WireKeyMapper>(
        [](std::string_view key) {
            std::string out(key);
            for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return out;
        },
        [](std::string_view name) {
            std::string out(name);
            for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return out;
        });
}

}  // namespace busdesk
