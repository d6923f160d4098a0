#pragma once

#include <boost/json.hpp>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace busdesk::sim {

// How one answer misbehaves. Every field left empty means "answer normally".
struct Fault {
    enum class Body { Normal, Malformed, Empty, SingleSpace, WrongKind, CloseMidBody, NoAnswer };
    std::optional<int> latencyMs;
    std::optional<int> status;
    std::optional<std::string> contentType;  // replaces the whole Content-Type header
    std::optional<std::string> charset;      // body re-encoded into it and named in Content-Type
    Body body = Body::Normal;

    static std::optional<Fault> fromJSON(const boost::json::value& v, std::string* error);
    boost::json::object toJSON() const;
};

// Faults by method name; "*" applies to every method without its own entry. A name
// "Query_Arrange@2026-12-09" applies to that method's requests for that `RunDate` only, before
// the method's own entry.
class FaultSet {
  public:
    void set(const std::string& method, Fault fault);
    void clear();
    void clear(const std::string& method);
    std::optional<Fault> lookup(const std::string& method, const std::string& runDate = {}) const;
    // Reads {"method": "Query_Arrange" | "*", "latencyMs":..., "status":..., "contentType":...,
    // "charset":..., "body": "malformed|empty|space|wrongKind|closeMidBody|noAnswer"}.
    bool apply(const boost::json::value& faultJSON, std::string* error);
    boost::json::object toJSON() const;

  private:
    mutable std::mutex mutex_;
    std::map<std::string, Fault> faults_;
};

}  // namespace busdesk::sim
