#pragma once

#include <httplib.h>

#include <boost/json.hpp>
#include <cctype>
#include <cmath>
#include <string>

#include "server/OfficeSimulator.h"

namespace busdesk::sim::test {

// Every byte but letters, digits and '-' percent-escaped: Chinese values in a query string.
inline std::string pct(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// The server on a fixed day and time, so what has already happened is the same on every run.
inline SimOptions at(const std::string& day, const std::string& time) {
    SimOptions o;
    o.today = day;
    o.timeOfDay = time;
    return o;
}

// Office calls against a running server: the answer as JSON (a text answer as a JSON string; no
// answer at all as null).
class SimClient {
  public:
    explicit SimClient(int port) : client_("127.0.0.1", port) {
        client_.set_keep_alive(true);
        client_.set_read_timeout(30, 0);  // a bound against a hang on a slow, busy machine
    }
    boost::json::value get(const std::string& path, int* status = nullptr) {
        auto r = client_.Get(("/OfficeServiceQ/" + path).c_str());
        if (!r) return nullptr;
        if (status) *status = r->status;
        std::error_code ec;
        auto v = boost::json::parse(r->body, ec);
        return ec ? boost::json::value(r->body) : v;
    }
    boost::json::array rows(const std::string& path) {
        auto v = get(path);
        return v.is_array() ? v.as_array() : boost::json::array();
    }
    httplib::Client& http() { return client_; }

  private:
    httplib::Client client_;
};

// A figure the server sends as a JSON number or as numeric text, in cents.
inline long long cents(const boost::json::value& v) {
    double d = v.is_string() ? std::stod(std::string(v.as_string())) : v.to_number<double>();
    return std::llround(d * 100);
}

inline std::string text(const boost::json::value& v) {
    return v.is_string() ? std::string(v.as_string()) : boost::json::serialize(v);
}

}  // namespace busdesk::sim::test
