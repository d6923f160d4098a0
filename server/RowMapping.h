#pragma once

#include <boost/json.hpp>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

namespace busdesk::sim {

class SqlStatement;

// How a result column becomes a JSON value.
enum class Cell {
    Text,     // the column's text; "" for NULL
    Integer,  // a JSON integer, or its decimal text
    Real,     // the stored number as it is
    Amount,   // rounded to the cent: 12.5, or the text "12.50"
    Clock,    // "yyyy-MM-dd HH:mm:ss" → "HH:mm"; "" for anything shorter
};

// The office service writes some numbers as numeric text, field by field and row by row, and so do
// we: given a row's place in the answer (from 0), says whether that row's number is text.
using TextRows = bool (*)(std::size_t row);
namespace rows {
constexpr bool all(std::size_t) {
    return true;
}
constexpr bool even(std::size_t row) {
    return row % 2 == 0;
}
constexpr bool odd(std::size_t row) {
    return row % 2 == 1;
}
}  // namespace rows

// One member of an answer's row object: its key, the result column it is read from, and how.
struct Field {
    const char* key;
    int column;
    Cell cell;
    TextRows asText = nullptr;  // Integer and Amount: null means always a JSON number
};
using Fields = std::span<const Field>;

// A statement's parameters, bound to ?1, ?2, ... in order.
using SqlValue = std::variant<std::string, long long, double>;
using SqlValues = std::vector<SqlValue>;

// Called with every result row, after it was mapped: totals over an answer's rows.
using EachRow = std::function<void(const SqlStatement&)>;

// An answer's rows: `sql` run with `params`, each result row becoming one object per table of
// `shapes` (mostly one; two when one result row is shown as two lines, in that order), the members
// in table order. An invalid statement gives no rows.
boost::json::array mapRows(sqlite3* db, const std::string& sql, const SqlValues& params,
                           std::initializer_list<Fields> shapes, const EachRow& each = {});
boost::json::array mapRows(sqlite3* db, const std::string& sql, const SqlValues& params, Fields shape,
                           const EachRow& each = {});

// Appends the members of `shape` read from the current row of `row` to `out`; `index` is the
// object's place in its answer.
void appendFields(boost::json::object& out, const SqlStatement& row, Fields shape, std::size_t index);

// The figures the office service shows: rounded to the cent, as a number or as "12.50".
double round2(double v);
std::string fixed2(double v);
boost::json::value amount(double v, bool asText);

}  // namespace busdesk::sim
