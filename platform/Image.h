#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace busdesk {

// A decoded picture: 8-bit RGBA rows, top to bottom.
//
// Pictures come from the network and the photo library, and a small file can hold a huge one
// (8000 x 8000 pixels is 256 MB decoded, from a 1 MB PNG). So a picture is decoded at the size it
// is shown wherever that is known (decodeToFill: JPEG through TurboJPEG's scaled decoding, PNG
// shrunk row by row as it is read), no picture above kMaxPixels or kMaxEncodedBytes is decoded at
// all, and at most kMaxFullSizeDecodes pictures of more than kLargePixels are decoded at their
// full size at once, in the whole process (others wait their turn).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    static constexpr long long kMaxPixels = 64LL * 1024 * 1024;
    static constexpr std::size_t kMaxEncodedBytes = 64u << 20;
    static constexpr long long kLargePixels = 4LL * 1024 * 1024;
    static constexpr int kMaxFullSizeDecodes = 2;
    // An interlaced PNG comes in sweeps over the whole picture and is decoded at its full size
    // before it is shrunk; above this it is refused.
    static constexpr long long kMaxInterlacedPixels = 16LL * 1024 * 1024;

    bool empty() const { return width <= 0 || height <= 0; }
    // Decodes JPEG or PNG bytes at their full size; nothing when the bytes are neither, are
    // damaged or are too large.
    static std::optional<Image> decode(std::string_view bytes);
    // Decodes at the size that covers a box of boxWidth x boxHeight pixels with the picture's own
    // proportions (what an aspect-fill view shows; an aspect-fit one shows it whole, a little
    // larger than needed), and never more than four times the box's pixels (a long thin picture);
    // never enlarged.
    static std::optional<Image> decodeToFill(std::string_view bytes, int boxWidth, int boxHeight);
    // The picture's own size from its header, without decoding it; nothing when the bytes are no
    // picture we decode.
    static std::optional<std::pair<int, int>> sizeOf(std::string_view bytes);
    // The size decodeToFill gives a picture of width x height for that box.
    static std::pair<int, int> fillSize(int width, int height, int boxWidth, int boxHeight);
    // A picture file (read with readOwnFile: a regular file of at most kMaxEncodedBytes; a link
    // the user made is followed).
    static std::optional<Image> fromFile(const std::string& path);
    static std::optional<Image> fromFile(const std::string& path, int boxWidth, int boxHeight);
    // The most full-size decodes of large pictures that ran at once since the last reset.
    static int fullSizeDecodeHighWater(bool reset = false);
    // JPEG at the given quality (1..100) through TurboJPEG.
    std::string jpegData(int quality = 100) const;
    std::string pngData() const;
    Image scaledToFit(int maxWidth, int maxHeight) const;
};

}  // namespace busdesk
