#include "screens/query/RowLine.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/Translation.h"

namespace busdesk {

namespace {

std::optional<double> numberIn(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string shortest(double value) {
    if (!std::isfinite(value)) return "0";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string twoDecimals(double value) {
    if (!std::isfinite(value)) value = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    return buf;
}

std::string whole(double value) {
    if (!std::isfinite(value)) return "0";
    // Saturates instead of overflowing, as an int field does when it is mapped.
    double t = std::trunc(value);
    if (t >= 9.2e18) return "9223372036854775807";
    if (t <= -9.2e18) return "-9223372036854775808";
    return std::to_string(static_cast<long long>(t));
}

std::string asText(const LineValue& value) {
    if (auto* t = std::get_if<std::optional<std::string>>(&value)) return t->value_or(std::string());
    if (auto* i = std::get_if<int>(&value)) return std::to_string(*i);
    return shortest(std::get<double>(value));
}

std::string asDecimal(const LineValue& value) {
    if (auto* t = std::get_if<std::optional<std::string>>(&value)) {
        if (!t->has_value()) return "0.00";
        auto n = numberIn(**t);
        return n ? twoDecimals(*n) : **t;
    }
    if (auto* i = std::get_if<int>(&value)) return twoDecimals(*i);
    return twoDecimals(std::get<double>(value));
}

std::string asWhole(const LineValue& value) {
    if (auto* t = std::get_if<std::optional<std::string>>(&value)) {
        if (!t->has_value()) return "0";
        auto n = numberIn(**t);
        return n ? whole(*n) : **t;
    }
    if (auto* i = std::get_if<int>(&value)) return std::to_string(*i);
    return whole(std::get<double>(value));
}

}  // namespace

std::string formatLine(std::string_view source, const LineValue& value) {
    // The caption is translated here, where it is shown: the tables only mark it (N_).
    const std::string translated = tr(std::string(source));
    const std::string_view format = translated;
    std::string out;
    out.reserve(format.size() + 16);
    bool filled = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        std::string_view rest = format.substr(i + 1);
        if (rest.front() == '%') {
            out += '%';
            i += 1;
        } else if (filled) {
            out += '%';  // only one value per line; a second conversion stays as written
        } else if (rest.starts_with("@")) {
            out += asText(value), filled = true, i += 1;
        } else if (rest.starts_with("d")) {
            out += asWhole(value), filled = true, i += 1;
        } else if (rest.starts_with(".2f")) {
            out += asDecimal(value), filled = true, i += 3;
        } else if (rest.starts_with("0.2f")) {
            out += asDecimal(value), filled = true, i += 4;
        } else {
            out += '%';
        }
    }
    if (!filled) out += asText(value);
    return out;
}

}  // namespace busdesk
