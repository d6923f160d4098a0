#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Image.h"

using namespace busdesk;

namespace {

// A picture with structure: a horizontal red ramp, a vertical green ramp, constant blue and a
// half-transparent right half.
Image gradient(int w, int h) {
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &img.rgba[static_cast<std::size_t>(y * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, w - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, h - 1));
            p[2] = 90;
            p[3] = x < w / 2 ? 255 : 128;
        }
    }
    return img;
}

int maxColourError(const Image& a, const Image& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i) {
        if (i % 4 == 3) continue;  // JPEG has no alpha
        worst = std::max(worst, std::abs(int(a.rgba[i]) - int(b.rgba[i])));
    }
    return worst;
}

}  // namespace

TEST(Image, PngRoundTripIsExactIncludingAlpha) {
    Image src = gradient(37, 21);
    std::string png = src.pngData();
    ASSERT_FALSE(png.empty());
    auto back = Image::decode(png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 37);
    EXPECT_EQ(back->height, 21);
    EXPECT_EQ(back->rgba, src.rgba);
}

TEST(Image, JpegAtFullQualityStaysCloseAndIsOpaque) {
    Image src = gradient(64, 48);
    std::string jpeg = src.jpegData(100);
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(static_cast<unsigned char>(jpeg[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(jpeg[1]), 0xD8);
    auto back = Image::decode(jpeg);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width, 64);
    ASSERT_EQ(back->height, 48);
    EXPECT_LE(maxColourError(src, *back), 8);
    EXPECT_EQ(back->rgba[3], 255);
    // Lower quality gives a smaller file; out-of-range quality is clamped, not an error.
    EXPECT_LT(src.jpegData(20).size(), jpeg.size());
    EXPECT_FALSE(src.jpegData(0).empty());
    EXPECT_FALSE(src.jpegData(1000).empty());
}

TEST(Image, DamagedOrForeignBytesDecodeToNothing) {
    Image src = gradient(40, 30);
    std::string jpeg = src.jpegData(90);
    std::string png = src.pngData();
    EXPECT_EQ(Image::decode(""), std::nullopt);
    EXPECT_EQ(Image::decode("GIF89a......"), std::nullopt);
    EXPECT_EQ(Image::decode(jpeg.substr(0, jpeg.size() / 2)), std::nullopt);
    EXPECT_EQ(Image::decode(png.substr(0, png.size() / 2)), std::nullopt);
    EXPECT_EQ(Image::decode(png.substr(0, 8)), std::nullopt);
    std::string flipped = png;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x5A);  // breaks the CRC
    EXPECT_EQ(Image::decode(flipped), std::nullopt);
    EXPECT_EQ(Image::fromFile("/nonexistent/picture.jpg"), std::nullopt);
}

TEST(Image, InconsistentPixelsEncodeToNothing) {
    Image bad;
    bad.width = 10;
    bad.height = 10;
    bad.rgba.resize(10);  // far fewer bytes than 10 x 10 x 4
    EXPECT_TRUE(bad.jpegData().empty());
    EXPECT_TRUE(bad.pngData().empty());
    EXPECT_TRUE(bad.scaledToFit(5, 5).empty());
    EXPECT_TRUE(Image{}.pngData().empty());
}

TEST(Image, ScaledToFitKeepsAspectAndOnlyShrinks) {
    Image src = gradient(400, 100);
    Image small = src.scaledToFit(100, 100);
    EXPECT_EQ(small.width, 100);
    EXPECT_EQ(small.height, 25);
    ASSERT_EQ(small.rgba.size(), 100u * 25u * 4u);
    // The ramps survive: left edge dark red, right edge bright red; averaging keeps the blue.
    EXPECT_LT(small.rgba[0], 10);
    EXPECT_GT(small.rgba[(99) * 4], 245);
    EXPECT_EQ(small.rgba[2], 90);

    Image halfish = src.scaledToFit(300, 300);  // bilinear path
    EXPECT_EQ(halfish.width, 300);
    EXPECT_EQ(halfish.height, 75);
    EXPECT_EQ(halfish.rgba[2], 90);

    Image tiny = gradient(3, 2);
    EXPECT_EQ(tiny.scaledToFit(100, 100).rgba, tiny.rgba);
    Image line = gradient(1000, 1).scaledToFit(10, 10);
    EXPECT_EQ(line.width, 10);
    EXPECT_EQ(line.height, 1);
    EXPECT_TRUE(src.scaledToFit(0, 10).empty());
}
