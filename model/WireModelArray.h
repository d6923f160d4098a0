#pragma once

#include <boost/json/array.hpp>
#include <boost/json/serialize.hpp>
#include <boost/json/value.hpp>
#include <memory>
#include <string>
#include <vector>

#include "model/WireValueTransformer.h"

namespace busdesk {

// A list of models whose rows are mapped when first read. `count` never converts; a row that maps
// is kept in place of its raw JSON; a row that fails answers nullptr and is tried again on the next
// read. Copies share one storage (as the list object itself would be shared), so a row converted
// through one copy is converted for all. Not safe for concurrent readers: read it on one thread.
template <class T>
class WireModelArray {
  public:
    // No list at all (count 0, exported as nothing).
    WireModelArray() = default;
    // Already mapped rows, for example from arrayOfModelsFromDictionaries.
    WireModelArray(std::vector<std::shared_ptr<T>> models) : state_(std::make_shared<State>()) {
        state_->slots = std::move(models);
    }
    // Raw rows, copied out of the caller's value.
    explicit WireModelArray(const boost::json::array& raw)
        : WireModelArray(std::make_shared<const boost::json::array>(raw, boost::json::storage_ptr())) {}
    // A JSON array; any other kind gives an empty list.
    explicit WireModelArray(const boost::json::value& raw)
        : WireModelArray(raw.is_array() ? raw.get_array() : boost::json::array()) {}
    // Raw rows shared with a parsed document (no copy).
    // `raw` is moved below; clang-tidy 14 misses a move inside a class template.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    explicit WireModelArray(std::shared_ptr<const boost::json::array> raw)
        : state_(std::make_shared<State>()) {
        state_->raw = std::move(raw);
        state_->slots.resize(state_->raw ? state_->raw->size() : 0);
    }
    static WireModelArray initWithArray(const boost::json::value& raw) { return WireModelArray(raw); }

    bool isSet() const { return state_ != nullptr; }
    size_t count() const { return state_ ? state_->slots.size() : 0; }
    bool empty() const { return count() == 0; }

    // nullptr when the row does not map, or when `index` is not below count().
    std::shared_ptr<T> objectAtIndex(size_t index) const {
        if (!state_ || index >= state_->slots.size()) return nullptr;
        auto& slot = state_->slots[index];
        if (slot) return slot;
        if (!state_->raw) return nullptr;
        // Share the document the rows live in, so nested on-demand lists need no copy either.
        std::shared_ptr<const boost::json::value> owner(state_->raw, &(*state_->raw)[index]);
        slot = T::initWithDictionaryIn((*state_->raw)[index], &owner, nullptr);
        return slot;
    }
    std::shared_ptr<T> operator[](size_t index) const { return objectAtIndex(index); }
    std::shared_ptr<T> objectAtIndexedSubscript(size_t index) const { return objectAtIndex(index); }
    std::shared_ptr<T> firstObject() const { return empty() ? nullptr : objectAtIndex(0); }
    std::shared_ptr<T> lastObject() const { return empty() ? nullptr : objectAtIndex(count() - 1); }

    bool isConvertedAtIndex(size_t index) const {
        return state_ && index < state_->slots.size() && state_->slots[index] != nullptr;
    }
    // The stored row as it is: the raw JSON until the row has been converted, else nullptr.
    const boost::json::value* rawObjectAtIndex(size_t index) const {
        if (!state_ || !state_->raw || index >= state_->slots.size() || state_->slots[index]) return nullptr;
        return &(*state_->raw)[index];
    }

    // The first stored row whose index property equals `value`, rows compared as stored (converted
    // rows by their property, raw rows by their JSON entry); nullptr without an index property.
    std::shared_ptr<T> modelWithIndexValue(const boost::json::value& value) const {
        const auto& indexName = T::wireClass().indexPropertyName();
        if (empty() || !indexName) return nullptr;
        for (size_t i = 0; i < count(); ++i) {
            if (auto& slot = state_->slots[i]) {
                if (slot->indexValue() == value) return slot;
            } else if (state_->raw) {
                const auto& raw = (*state_->raw)[i];
                if (!raw.is_object()) continue;
                auto it = raw.get_object().find(*indexName);
                if (it != raw.get_object().end() && it->value() == value) return objectAtIndex(i);
            }
        }
        return nullptr;
    }

    // Converts every row; nullopt when one of them does not map.
    std::optional<std::vector<std::shared_ptr<T>>> allObjects() const {
        std::vector<std::shared_ptr<T>> out;
        out.reserve(count());
        for (size_t i = 0; i < count(); ++i) {
            auto m = objectAtIndex(i);
            if (!m) return std::nullopt;
            out.push_back(std::move(m));
        }
        return out;
    }

    // Returns the same list (the storage is shared).
    WireModelArray mutableCopy() const { return *this; }

    // Rows as JSON: converted rows exported, raw rows as they arrived.
    boost::json::array exportElements() const {
        boost::json::array out;
        for (size_t i = 0; i < count(); ++i) {
            if (auto& slot = state_->slots[i]) {
                out.emplace_back(slot->toDictionary());
            } else if (state_->raw) {
                out.push_back((*state_->raw)[i]);
            } else {
                out.emplace_back(nullptr);
            }
        }
        return out;
    }

    std::string description() const {
        std::string out = "<WireModelArray[" + std::string(T::wireClassName) + "]>\n";
        for (size_t i = 0; i < count(); ++i) {
            if (auto& slot = state_->slots[i]) {
                out += slot->description();
            } else if (state_->raw) {
                out += boost::json::serialize((*state_->raw)[i]);
            }
            out += ",\n";
        }
        out += "\n</WireModelArray>";
        return out;
    }

    // The list as a value of the transformer table (its identity is the shared storage).
    WireModelArrayHandle handle() const { return {state_, std::string(T::wireClassName)}; }
    static WireModelArray fromHandle(const WireModelArrayHandle& h) {
        WireModelArray a;
        a.state_ = std::const_pointer_cast<State>(std::static_pointer_cast<const State>(h.array));
        return a;
    }
    bool sharesStorageWith(const WireModelArray& other) const { return state_ == other.state_; }

  private:
    struct State {
        std::shared_ptr<const boost::json::array> raw;
        std::vector<std::shared_ptr<T>> slots;
    };
    std::shared_ptr<State> state_;
};

}  // namespace busdesk
