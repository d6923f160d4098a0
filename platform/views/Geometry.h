#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace busdesk {

// Points, as on a phone: a 390 × 844 window is the default screen.
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const Rect&) const = default;
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    bool contains(Point p) const { return p.x >= x && p.x < maxX() && p.y >= y && p.y < maxY(); }
    bool intersects(const Rect& o) const {
        return x < o.maxX() && o.x < maxX() && y < o.maxY() && o.y < maxY();
    }
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

// A named colour of the palette (platform/views/Palette.h); 0 is a literal colour.
enum class ColorRole : std::uint8_t;

// Components 0..1. A colour made from a role (Color::of) holds the light palette's value and is
// drawn in the palette in force (Palette::resolve), keeping its own alpha.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    ColorRole role{};

    bool operator==(const Color&) const = default;
    static Color white(double w, double a = 1) { return {w, w, w, a}; }
    static Color rgb(int r, int g, int b, double a = 1) { return {r / 255.0, g / 255.0, b / 255.0, a}; }
    // "0x383838", "#383838" or "383838"; nothing for anything else.
    static std::optional<Color> fromHex(std::string_view text);
    // "0xRRGGBB" (upper-case hex digits), the form the calendar's marks are documented in.
    std::string hexString() const;
    // The palette's colour for `role` with the given alpha.
    static Color of(ColorRole role, double alpha = 1);

    static Color black() { return {0, 0, 0, 1}; }
    static Color whiteColor() { return {1, 1, 1, 1}; }
    static Color clear() { return {0, 0, 0, 0}; }
    static Color darkGray() { return white(1.0 / 3.0); }
    static Color lightGray() { return white(2.0 / 3.0); }
};

}  // namespace busdesk
