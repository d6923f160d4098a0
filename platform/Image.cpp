#include "platform/Image.h"

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace busdesk {
namespace {

// Pictures arrive from the network and the photo library; a header claiming 100000 x 100000
// pixels must not make us allocate 40 GB.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

bool sane(long long w, long long h) {
    return w > 0 && h > 0 && w * h <= kMaxPixels;
}

bool consistent(const Image& img) {
    return !img.empty() && sane(img.width, img.height) &&
           img.rgba.size() == static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 4;
}

bool looksLikeJPEG(std::string_view b) {
    return b.size() >= 3 && static_cast<unsigned char>(b[0]) == 0xFF &&
           static_cast<unsigned char>(b[1]) == 0xD8 && static_cast<unsigned char>(b[2]) == 0xFF;
}

bool looksLikePNG(std::string_view b) {
    static constexpr unsigned char kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return b.size() >= 8 && std::memcmp(b.data(), kSig, 8) == 0;
}

struct TJHandle {
    tjhandle h;
    explicit TJHandle(tjhandle handle) : h(handle) {}
    ~TJHandle() {
        if (h) tjDestroy(h);
    }
    TJHandle(const TJHandle&) = delete;
    TJHandle& operator=(const TJHandle&) = delete;
};

std::optional<Image> decodeJPEG(std::string_view bytes) {
    TJHandle tj(tjInitDecompress());
    if (!tj.h) return std::nullopt;
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned long>(bytes.size());
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(tj.h, data, size, &width, &height, &subsamp, &colorspace) != 0)
        return std::nullopt;
    if (!sane(width, height)) return std::nullopt;
    Image img;
    img.width = width;
    img.height = height;
    img.rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    // A truncated or corrupt stream is reported as a warning with -1; a half-grey picture is
    // damage, not an image, so warnings count as failure too.
    if (tjDecompress2(tj.h, data, size, img.rgba.data(), width, 0, height, TJPF_RGBA, 0) != 0)
        return std::nullopt;
    return img;
}

std::optional<Image> decodePNG(std::string_view bytes) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        png_image_free(&png);
        return std::nullopt;
    }
    if (!sane(png.width, png.height)) {
        png_image_free(&png);
        return std::nullopt;
    }
    png.format = PNG_FORMAT_RGBA;
    Image img;
    img.width = static_cast<int>(png.width);
    img.height = static_cast<int>(png.height);
    img.rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, img.rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    png_image_free(&png);
    return img;
}

std::uint8_t clampByte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Bilinear sampling, or, when shrinking by more than half, the average of the source pixels each
// target pixel covers -- plain bilinear would skip most of them and alias.
Image resample(const Image& src, int w, int h) {
    Image out;
    out.width = w;
    out.height = h;
    out.rgba.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    const double sx = static_cast<double>(src.width) / w;
    const double sy = static_cast<double>(src.height) / h;
    auto at = [&](int x, int y, int c) {
        return src.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(src.width) +
                         static_cast<std::size_t>(x)) *
                            4 +
                        static_cast<std::size_t>(c)];
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = &out.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                          static_cast<std::size_t>(x)) *
                                         4];
            if (sx > 2.0 || sy > 2.0) {
                const int x0 = static_cast<int>(x * sx),
                          x1 = std::max(x0 + 1, static_cast<int>((x + 1) * sx));
                const int y0 = static_cast<int>(y * sy),
                          y1 = std::max(y0 + 1, static_cast<int>((y + 1) * sy));
                double sum[4] = {0, 0, 0, 0};
                for (int yy = y0; yy < std::min(y1, src.height); ++yy) {
                    for (int xx = x0; xx < std::min(x1, src.width); ++xx) {
                        for (int c = 0; c < 4; ++c) sum[c] += at(xx, yy, c);
                    }
                }
                const double n =
                    static_cast<double>(std::min(y1, src.height) - y0) * (std::min(x1, src.width) - x0);
                for (int c = 0; c < 4; ++c) px[c] = clampByte(sum[c] / n);
                continue;
            }
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, src.width - 1.0);
            const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, src.height - 1.0);
            const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
            const int x1 = std::min(x0 + 1, src.width - 1), y1 = std::min(y0 + 1, src.height - 1);
            const double ax = fx - x0, ay = fy - y0;
            for (int c = 0; c < 4; ++c) {
                const double top = at(x0, y0, c) * (1 - ax) + at(x1, y0, c) * ax;
                const double bottom = at(x0, y1, c) * (1 - ax) + at(x1, y1, c) * ax;
                px[c] = clampByte(top * (1 - ay) + bottom * ay);
            }
        }
    }
    return out;
}

}  // namespace

std::optional<Image> Image::decode(std::string_view bytes) {
    if (looksLikeJPEG(bytes)) return decodeJPEG(bytes);
    if (looksLikePNG(bytes)) return decodePNG(bytes);
    return std::nullopt;
}

std::optional<Image> Image::fromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return decode(bytes);
}

std::string Image::jpegData(int quality) const {
    if (!consistent(*this)) return std::string();
    quality = std::clamp(quality, 1, 100);
    TJHandle tj(tjInitCompress());
    if (!tj.h) return std::string();
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    // Full chroma at high quality: uploads are evidence photos and 4:2:0 smears small text.
    const int subsampling = quality >= 90 ? TJSAMP_444 : TJSAMP_420;
    const int rc =
        tjCompress2(tj.h, rgba.data(), width, 0, height, TJPF_RGBA, &buffer, &size, subsampling, quality, 0);
    std::string out;
    if (rc == 0 && buffer) out.assign(reinterpret_cast<const char*>(buffer), size);
    if (buffer) tjFree(buffer);
    return out;
}

std::string Image::pngData() const {
    if (!consistent(*this)) return std::string();
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::string();
    }
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::string();
    }
    png_image_free(&png);
    out.resize(size);
    return out;
}

Image Image::scaledToFit(int maxWidth, int maxHeight) const {
    if (!consistent(*this) || maxWidth <= 0 || maxHeight <= 0) return Image{};
    // Only ever shrinks: a small picture keeps its pixels.
    if (width <= maxWidth && height <= maxHeight) return *this;
    const double scale =
        std::min(static_cast<double>(maxWidth) / width, static_cast<double>(maxHeight) / height);
    const int w = std::clamp(static_cast<int>(std::lround(width * scale)), 1, maxWidth);
    const int h = std::clamp(static_cast<int>(std::lround(height * scale)), 1, maxHeight);
    return resample(*this, w, h);
}

}  // namespace busdesk
