#include "server/RowMapping.h"

#include <cmath>
#include <cstdio>

#include "server/SqlStatement.h"

namespace busdesk::sim {
namespace json = boost::json;

double round2(double v) {
    return std::round(v * 100.0) / 100.0;
}

std::string fixed2(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", v);
    return b;
}

json::value amount(double v, bool asText) {
    return asText ? json::value(fixed2(v)) : json::value(round2(v));
}

namespace {

json::value cellValue(const SqlStatement& row, const Field& f, std::size_t index) {
    const bool asText = f.asText && f.asText(index);
    switch (f.cell) {
        case Cell::Text:
            return json::value(row.text(f.column));
        case Cell::Integer:
            return asText ? json::value(std::to_string(row.integer(f.column)))
                          : json::value(row.integer(f.column));
        case Cell::Real:
            return json::value(row.real(f.column));
        case Cell::Amount:
            return amount(row.real(f.column), asText);
        case Cell::Clock: {
            std::string stamp = row.text(f.column);
            return json::value(stamp.size() >= 16 ? stamp.substr(11, 5) : std::string());
        }
    }
    return nullptr;
}

void bindAll(SqlStatement& s, const SqlValues& params) {
    int i = 0;
    for (auto& p : params) {
        ++i;
        std::visit([&](const auto& v) { s.bind(i, v); }, p);
    }
}

}  // namespace

void appendFields(json::object& out, const SqlStatement& row, Fields shape, std::size_t index) {
    for (const Field& f : shape) out[f.key] = cellValue(row, f, index);
}

json::array mapRows(sqlite3* db, const std::string& sql, const SqlValues& params,
                    std::initializer_list<Fields> shapes, const EachRow& each) {
    json::array out;
    SqlStatement s(db, sql.c_str());
    bindAll(s, params);
    while (s.step()) {
        for (Fields shape : shapes) {
            json::object o;
            appendFields(o, s, shape, out.size());
            out.push_back(std::move(o));
        }
        if (each) each(s);
    }
    return out;
}

json::array mapRows(sqlite3* db, const std::string& sql, const SqlValues& params, Fields shape,
                    const EachRow& each) {
    return mapRows(db, sql, params, {shape}, each);
}

}  // namespace busdesk::sim
