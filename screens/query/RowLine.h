#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace busdesk {

// A value a row line prints: text (absent prints as empty text), a whole number or a decimal.
using LineValue = std::variant<std::optional<std::string>, int, double>;

// Fills the one conversion of `format` with `value`, as the rows print them:
//   "%@"            the value as text (a number prints as its shortest text: 3, 12.5);
//   "%d"            a whole number (decimals cut; text that reads as a number is read first);
//   "%.2f", "%0.2f" two decimals (text that reads as a number is read first, other text as is).
// "%%" prints a percent sign. A format without a conversion prints the caption and then the value.
// The format is translated first (tr), so a table marks its captions with N_ only.
std::string formatLine(std::string_view format, const LineValue& value);

// One line of a row: a caption format and the field of the record it prints, written as a table
// entry: {"车号：%@", &NormalInfo::Busname}, {"保养里程：%.2f", &NormalInfo::DefMiles}. Lines that
// need more than one field or a choice give a function instead.
template <class Model>
struct RowLine {
    using Text = std::optional<std::string> Model::*;
    using Whole = int Model::*;
    using Decimal = double Model::*;
    using Compute = std::function<std::string(const Model&)>;

    RowLine(const char* format, Text field) : format(format), field(field) {}
    RowLine(const char* format, Whole field) : format(format), field(field) {}
    RowLine(const char* format, Decimal field) : format(format), field(field) {}
    explicit RowLine(Compute compute) : field(std::move(compute)) {}

    std::string print(const Model& m) const {
        if (auto* c = std::get_if<Compute>(&field)) return (*c)(m);
        if (auto* t = std::get_if<Text>(&field)) return formatLine(format, m.**t);
        if (auto* w = std::get_if<Whole>(&field)) return formatLine(format, m.**w);
        return formatLine(format, m.*std::get<Decimal>(field));
    }

    std::string format;
    std::variant<Text, Whole, Decimal, Compute> field;
};

template <class Model>
std::vector<std::string> printLines(const std::vector<RowLine<Model>>& table, const Model& m) {
    std::vector<std::string> out;
    out.reserve(table.size());
    for (const auto& line : table) out.push_back(line.print(m));
    return out;
}

}  // namespace busdesk
