#include "server/DemoPictures.h"

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace busdesk::sim {
namespace {

struct Canvas {
    int w, h;
    std::vector<std::uint8_t> px;
    Canvas(int width, int height, std::uint32_t rgb)
        : w(width), h(height), px(static_cast<size_t>(w * h * 4)) {
        fill(0, 0, w, h, rgb);
    }
    void fill(int x0, int y0, int x1, int y1, std::uint32_t rgb) {
        for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
                auto* p = &px[static_cast<size_t>(y * w + x) * 4];
                p[0] = static_cast<std::uint8_t>(rgb >> 16);
                p[1] = static_cast<std::uint8_t>(rgb >> 8);
                p[2] = static_cast<std::uint8_t>(rgb);
                p[3] = 255;
            }
    }
    // A simple side view of a bus.
    void bus(int x, int y, int len, std::uint32_t body) {
        fill(x, y, x + len, y + len / 3, body);
        for (int i = 0; i < 5; ++i)
            fill(x + 8 + i * (len / 6), y + 6, x + 8 + i * (len / 6) + len / 8, y + len / 7, 0xDDEEFF);
        fill(x + len / 6, y + len / 3, x + len / 6 + len / 9, y + len / 3 + len / 9, 0x222222);
        fill(x + len * 2 / 3, y + len / 3, x + len * 2 / 3 + len / 9, y + len / 3 + len / 9, 0x222222);
    }
};

std::string encode(const Canvas& c) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = static_cast<png_uint_32>(c.w);
    img.height = static_cast<png_uint_32>(c.h);
    img.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&img, nullptr, &size, 0, c.px.data(), 0, nullptr)) return {};
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&img, out.data(), &size, 0, c.px.data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

}  // namespace

std::string demoPicturePNG(const std::string& name) {
    if (name == "companylogo.png") {
        Canvas c(390, 640, 0x1E5AA8);
        c.fill(0, 420, 390, 640, 0x2E7D32);
        c.bus(60, 300, 270, 0xF9A825);
        return encode(c);
    }
    if (name == "bulletin1.png") {
        Canvas c(300, 160, 0xFFF3E0);
        c.bus(40, 40, 220, 0xC62828);
        return encode(c);
    }
    if (name == "bulletin2.png") {
        Canvas c(300, 160, 0xE3F2FD);
        c.bus(40, 40, 220, 0x1565C0);
        return encode(c);
    }
    if (name == "culture.png") {
        Canvas c(360, 200, 0xFFFFFF);
        c.fill(0, 150, 360, 200, 0x9E9E9E);
        c.bus(50, 60, 260, 0x00897B);
        return encode(c);
    }
    return {};
}

}  // namespace busdesk::sim
