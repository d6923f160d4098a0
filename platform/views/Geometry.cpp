#include "platform/views/Geometry.h"

#include <cmath>
#include <cstdio>

namespace busdesk {

std::optional<Color> Color::fromHex(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    else if (text.starts_with("#"))
        text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    int v[3];
    for (std::size_t i = 0; i < 3; ++i) {
        int n = 0;
        for (std::size_t k = 0; k < 2; ++k) {
            char c = text[i * 2 + k];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            n = n * 16 + d;
        }
        v[i] = n;
    }
    return Color::rgb(v[0], v[1], v[2]);
}

std::string Color::hexString() const {
    auto byte = [](double c) { return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * 255)); };
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X%02X%02X", byte(red), byte(green), byte(blue));
    return buf;
}

}  // namespace busdesk
