#pragma once

#include <any>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace busdesk {

// A failure as a value: domain, code, description, user information and an optional
// underlying error, in the manner of the platform errors the office client speaks of.
struct Error {
    std::string domain;
    long code = 0;
    std::string description;
    std::map<std::string, std::any> userInfo;
    std::shared_ptr<const Error> underlying;

    Error() = default;
    Error(std::string d, long c, std::string desc)
        : domain(std::move(d)), code(c), description(std::move(desc)) {}

    template <class T>
    const T* info(const std::string& key) const {
        auto it = userInfo.find(key);
        return it == userInfo.end() ? nullptr : std::any_cast<T>(&it->second);
    }
    std::optional<std::string> infoString(const std::string& key) const {
        if (auto* s = info<std::string>(key)) return *s;
        return std::nullopt;
    }
    // True when this error or one in its underlying chain has the domain and code.
    bool hasInChain(const std::string& d, long c) const {
        for (const Error* e = this; e; e = e->underlying.get()) {
            if (e->domain == d && e->code == c) return true;
        }
        return false;
    }
};

// User-information keys shared across layers.
inline constexpr const char* kErrorFailingURLKey = "NSErrorFailingURLKey";
inline constexpr const char* kErrorFailureReasonKey = "NSLocalizedFailureReason";
inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";

}  // namespace busdesk
