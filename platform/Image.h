#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busdesk {

// A decoded picture: 8-bit RGBA rows, top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    bool empty() const { return width <= 0 || height <= 0; }
    // Decodes JPEG or PNG bytes; nothing when the bytes are neither or are damaged.
    static std::optional<Image> decode(std::string_view bytes);
    static std::optional<Image> fromFile(const std::string& path);
    // JPEG at the given quality (1..100) through TurboJPEG.
    std::string jpegData(int quality = 100) const;
    std::string pngData() const;
    Image scaledToFit(int maxWidth, int maxHeight) const;
};

}  // namespace busdesk
