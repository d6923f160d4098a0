#include "server/FaultSet.h"

namespace busdesk::sim {
namespace {
const std::map<std::string, Fault::Body>& bodyNames() {
    static const std::map<std::string, Fault::Body> names = {
        {"normal", Fault::Body::Normal},       {"malformed", Fault::Body::Malformed},
        {"empty", Fault::Body::Empty},         {"space", Fault::Body::SingleSpace},
        {"wrongKind", Fault::Body::WrongKind}, {"closeMidBody", Fault::Body::CloseMidBody},
        {"noAnswer", Fault::Body::NoAnswer}};
    return names;
}
}  // namespace

std::optional<Fault> Fault::fromJSON(const boost::json::value& v, std::string* error) {
    auto fail = [&](const std::string& why) -> std::optional<Fault> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (!v.is_object()) return fail("fault must be a JSON object");
    const auto& o = v.as_object();
    Fault f;
    auto intField = [&](const char* key, std::optional<int>& out) -> bool {
        if (auto* p = o.if_contains(key)) {
            if (!p->is_int64()) return false;
            out = static_cast<int>(p->as_int64());
        }
        return true;
    };
    auto strField = [&](const char* key, std::optional<std::string>& out) -> bool {
        if (auto* p = o.if_contains(key)) {
            if (!p->is_string()) return false;
            out = std::string(p->as_string());
        }
        return true;
    };
    if (!intField("latencyMs", f.latencyMs) || !intField("status", f.status))
        return fail("latencyMs/status must be integers");
    if (!strField("contentType", f.contentType) || !strField("charset", f.charset))
        return fail("contentType/charset must be text");
    if (auto* b = o.if_contains("body")) {
        if (!b->is_string()) return fail("body must be text");
        auto it = bodyNames().find(std::string(b->as_string()));
        if (it == bodyNames().end()) return fail("unknown body fault: " + std::string(b->as_string()));
        f.body = it->second;
    }
    return f;
}

boost::json::object Fault::toJSON() const {
    boost::json::object o;
    if (latencyMs) o["latencyMs"] = *latencyMs;
    if (status) o["status"] = *status;
    if (contentType) o["contentType"] = *contentType;
    if (charset) o["charset"] = *charset;
    for (auto& [name, b] : bodyNames())
        if (b == body) o["body"] = name;
    return o;
}

void FaultSet::set(const std::string& method, Fault fault) {
    std::lock_guard lock(mutex_);
    faults_[method] = std::move(fault);
}

void FaultSet::clear() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

void FaultSet::clear(const std::string& method) {
    std::lock_guard lock(mutex_);
    faults_.erase(method);
}

std::optional<Fault> FaultSet::lookup(const std::string& method, const std::string& runDate) const {
    std::lock_guard lock(mutex_);
    if (!runDate.empty())
        if (auto it = faults_.find(method + "@" + runDate); it != faults_.end()) return it->second;
    if (auto it = faults_.find(method); it != faults_.end()) return it->second;
    if (auto it = faults_.find("*"); it != faults_.end()) return it->second;
    return std::nullopt;
}

bool FaultSet::apply(const boost::json::value& faultJSON, std::string* error) {
    auto fault = Fault::fromJSON(faultJSON, error);
    if (!fault) return false;
    std::string method = "*";
    if (auto* m = faultJSON.as_object().if_contains("method")) {
        if (!m->is_string()) {
            if (error) *error = "method must be text";
            return false;
        }
        method = std::string(m->as_string());
    }
    set(method, *fault);
    return true;
}

boost::json::object FaultSet::toJSON() const {
    std::lock_guard lock(mutex_);
    boost::json::object o;
    for (auto& [m, f] : faults_) o[m] = f.toJSON();
    return o;
}

}  // namespace busdesk::sim
