#pragma once

#include <boost/json/object.hpp>
#include <string>
#include <vector>

namespace busdesk {

// What identifies one office query: the method, its parameters in the order the query string
// sends them, and the signed-in employee the answer is for. Equal keys ask the office the same
// question on behalf of the same person, so an answer kept under a key can stand in for it.
struct QueryKey {
    struct Parameter {
        std::string name;
        std::string value;  // as the query string writes it (numbers in decimal, booleans 1 / 0)
        bool operator==(const Parameter&) const = default;
    };

    std::string method;
    std::vector<Parameter> parameters;
    std::string user;  // the session's EmpID; empty when nobody is signed in

    // The key of `method` asked with `parameters` (any order; nested ones as the query string
    // flattens them) for `user`.
    static QueryKey of(std::string method, const boost::json::object& parameters, std::string user);

    // The one text form: "<method>?<name>=<value>&...#<user>", every name, value and the user
    // percent-escaped byte by byte (all but letters, digits and "-._~"). Equal keys give equal
    // texts and different keys different ones.
    std::string text() const;

    bool operator==(const QueryKey&) const = default;
};

}  // namespace busdesk
