#include <gtest/gtest.h>
#include <png.h>

#include <barrier>
#include <cstdlib>
#include <thread>
#include <vector>

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

int maxChannelError(const Image& a, const Image& b, int channels) {
    int worst = 0;
    for (std::size_t i = 0; i < a.rgba.size() && i < b.rgba.size(); ++i)
        if (static_cast<int>(i % 4) < channels)
            worst = std::max(worst, std::abs(int(a.rgba[i]) - int(b.rgba[i])));
    return worst;
}

// An interlaced (Adam7) PNG, which the image's own encoder never writes.
std::string interlacedPNG(const Image& img) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.width), static_cast<png_uint_32>(img.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (int y = 0; y < img.height; ++y)
        rows.push_back(const_cast<png_bytep>(
            &img.rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) * 4]));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace

// A picture is decoded at the size it is shown: the box is covered with the picture's own
// proportions, never enlarged, and a long thin picture is held to four times the box's pixels.
TEST(Image, DecodeToFillShrinksWhileDecodingInEveryFormat) {
    const Image src = gradient(400, 300);
    const Image reference = src.scaledToFit(133, 100);
    ASSERT_EQ(reference.height, 100);
    struct Format {
        const char* name;
        std::string bytes;
        int channels;
        int tolerance;
    };
    for (const Format& f :
         {Format{"png", src.pngData(), 4, 6}, Format{"interlaced png", interlacedPNG(src), 4, 6},
          Format{"jpeg", src.jpegData(95), 3, 12}}) {
        auto shown = Image::decodeToFill(f.bytes, 100, 100);
        ASSERT_TRUE(shown) << f.name;
        EXPECT_EQ(shown->width, 133) << f.name;
        EXPECT_EQ(shown->height, 100) << f.name;
        // The colours; the alpha edge in the middle falls a pixel apart between ways of shrinking,
        // so transparency is checked away from it.
        EXPECT_LE(maxChannelError(*shown, reference, 3), f.tolerance) << f.name;
        if (f.channels == 4) {
            EXPECT_EQ(shown->rgba[3], 255) << f.name;
            EXPECT_EQ(shown->rgba[shown->rgba.size() - 1], 128) << f.name;
        }
        // The interlaced picture decodes to the same pixels as the plain one.
        auto whole = Image::decode(f.bytes);
        ASSERT_TRUE(whole) << f.name;
        EXPECT_EQ(whole->width, 400);
        if (f.channels == 4) {
            EXPECT_EQ(whole->rgba, src.rgba) << f.name;
        }
        auto larger = Image::decodeToFill(f.bytes, 1000, 1000);
        ASSERT_TRUE(larger);
        EXPECT_EQ(larger->width, 400) << "never enlarged";
    }
    const Image thin = gradient(8000, 10);
    auto line = Image::decodeToFill(thin.pngData(), 100, 100);
    ASSERT_TRUE(line);
    EXPECT_LE(line->width * line->height, 4 * 100 * 100);
    EXPECT_EQ(line->width, 5657);
    EXPECT_FALSE(Image::decodeToFill(src.pngData(), 0, 100));
}

// Large pictures decoded at their full size take turns, two at a time, whoever asks.
TEST(Image, AtMostTwoLargePicturesAreDecodedAtFullSizeAtOnce) {
    const std::string png = gradient(2100, 2100).pngData();
    const std::string jpeg = gradient(2100, 2100).jpegData(80);
    Image::fullSizeDecodeHighWater(true);
    constexpr int kThreads = 6;
    std::barrier start(kThreads);
    std::vector<int> decoded(kThreads, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            auto image = Image::decode(i % 2 ? png : jpeg);
            decoded[static_cast<std::size_t>(i)] = image ? image->width : 0;
        });
    }
    for (auto& t : threads) t.join();
    for (int width : decoded) EXPECT_EQ(width, 2100);
    EXPECT_LE(Image::fullSizeDecodeHighWater(), Image::kMaxFullSizeDecodes);
    EXPECT_GE(Image::fullSizeDecodeHighWater(), 1);
    // Shown small, the same pictures need no turn at all.
    Image::fullSizeDecodeHighWater(true);
    EXPECT_TRUE(Image::decodeToFill(png, 160, 160));
    EXPECT_TRUE(Image::decodeToFill(jpeg, 160, 160));
    EXPECT_EQ(Image::fullSizeDecodeHighWater(), 0);
}

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
