#include "platform/Image.h"

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/OwnFiles.h"

namespace busdesk {
namespace {

bool sane(long long w, long long h) {
    return w > 0 && h > 0 && w * h <= Image::kMaxPixels;
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

// --- how large to decode -----------------------------------------------------------------------

struct PixelSize {
    int width;
    int height;
};

// No box: the picture's own size.
constexpr PixelSize kFullSize{0, 0};

// The size that covers the box with the picture's proportions, at most four times the box's
// pixels, never larger than the picture.
PixelSize targetSize(int w, int h, PixelSize box) {
    if (box.width <= 0 || box.height <= 0) return {w, h};
    double scale = std::max(static_cast<double>(box.width) / w, static_cast<double>(box.height) / h);
    const double cap = std::sqrt(4.0 * box.width * box.height / (static_cast<double>(w) * h));
    scale = std::min({scale, cap, 1.0});
    if (scale >= 1.0) return {w, h};
    return {std::max(1, static_cast<int>(std::lround(w * scale))),
            std::max(1, static_cast<int>(std::lround(h * scale)))};
}

// --- at most two large pictures at full size at once ------------------------------------------

class FullSizeDecodes {
  public:
    static FullSizeDecodes& shared() {
        static FullSizeDecodes d;
        return d;
    }
    void acquire() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return active_ < Image::kMaxFullSizeDecodes; });
        ++active_;
        highWater_ = std::max(highWater_, active_);
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            --active_;
        }
        cv_.notify_one();
    }
    int highWater(bool reset) {
        std::lock_guard lock(mutex_);
        const int value = highWater_;
        if (reset) highWater_ = active_;
        return value;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int active_ = 0;
    int highWater_ = 0;
};

// Held while a large picture is decoded at its full size; small ones pass freely.
class FullSizeTurn {
  public:
    FullSizeTurn() = default;
    FullSizeTurn(const FullSizeTurn&) = delete;
    FullSizeTurn& operator=(const FullSizeTurn&) = delete;
    ~FullSizeTurn() {
        if (held_) FullSizeDecodes::shared().release();
    }
    void take(long long pixels) {
        if (held_ || pixels <= Image::kLargePixels) return;
        FullSizeDecodes::shared().acquire();
        held_ = true;
    }

  private:
    bool held_ = false;
};

// --- shrinking --------------------------------------------------------------------------------

Image blank(int w, int h) {
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    return img;
}

// Averages blocks of factor x factor pixels while rows arrive one at a time, so a picture is
// never held at its full size: only one row of sums is kept. Factor 1 copies the rows.
class RowShrinker {
  public:
    RowShrinker(int width, int height, int factor)
        : width_(width),
          height_(height),
          factor_(factor),
          out_(blank((width + factor - 1) / factor, (height + factor - 1) / factor)),
          sums_(factor > 1 ? static_cast<std::size_t>(out_.width) * 4 : 0) {}

    void addRow(const std::uint8_t* rgba) {
        if (row_ >= height_) return;
        ++row_;
        if (factor_ == 1) {
            std::memcpy(
                &out_.rgba[static_cast<std::size_t>(outRow_++) * static_cast<std::size_t>(width_) * 4], rgba,
                static_cast<std::size_t>(width_) * 4);
            return;
        }
        const std::uint8_t* p = rgba;
        std::uint64_t* sum = sums_.data();
        for (int ox = 0; ox < out_.width; ++ox, sum += 4) {
            const int columns = std::min(factor_, width_ - ox * factor_);
            std::uint64_t r = 0, g = 0, b = 0, a = 0;
            for (int i = 0; i < columns; ++i, p += 4) {
                r += p[0];
                g += p[1];
                b += p[2];
                a += p[3];
            }
            sum[0] += r;
            sum[1] += g;
            sum[2] += b;
            sum[3] += a;
        }
        if (++rowsInBand_ == factor_ || row_ == height_) flushBand();
    }
    bool complete() const { return row_ == height_; }
    Image take() { return std::move(out_); }

  private:
    void flushBand() {
        std::uint8_t* out =
            &out_.rgba[static_cast<std::size_t>(outRow_) * static_cast<std::size_t>(out_.width) * 4];
        for (int ox = 0; ox < out_.width; ++ox) {
            const auto columns = static_cast<std::uint64_t>(std::min(factor_, width_ - ox * factor_));
            const std::uint64_t n = columns * static_cast<std::uint64_t>(rowsInBand_);
            for (int c = 0; c < 4; ++c) {
                std::uint64_t& sum = sums_[static_cast<std::size_t>(ox) * 4 + static_cast<std::size_t>(c)];
                out[static_cast<std::size_t>(ox) * 4 + static_cast<std::size_t>(c)] =
                    static_cast<std::uint8_t>((sum + n / 2) / n);
                sum = 0;
            }
        }
        rowsInBand_ = 0;
        ++outRow_;
    }

    int width_, height_, factor_;
    Image out_;
    std::vector<std::uint64_t> sums_;
    int row_ = 0;
    int outRow_ = 0;
    int rowsInBand_ = 0;
};

Image resample(const Image& src, int w, int h);

// The last step of every decode: from what the decoder could make cheaply to the exact size.
Image finish(Image decoded, PixelSize target) {
    if (decoded.width == target.width && decoded.height == target.height) return decoded;
    return resample(decoded, target.width, target.height);
}

// --- JPEG -------------------------------------------------------------------------------------

struct TJHandle {
    tjhandle h;
    explicit TJHandle(tjhandle handle) : h(handle) {}
    ~TJHandle() {
        if (h) tjDestroy(h);
    }
    TJHandle(const TJHandle&) = delete;
    TJHandle& operator=(const TJHandle&) = delete;
};

// The smallest of TurboJPEG's scaled sizes (1/8, 1/4, 3/8, 1/2, ... of the picture) that still
// covers the target, so the rest is a short resample.
tjscalingfactor scalingFor(int w, int h, PixelSize target) {
    tjscalingfactor best{1, 1};
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom) continue;
        const int sw = TJSCALED(w, f), sh = TJSCALED(h, f);
        if (sw >= target.width && sh >= target.height && sw < TJSCALED(w, best)) best = f;
    }
    return best;
}

std::optional<Image> decodeJPEG(std::string_view bytes, PixelSize box) {
    TJHandle tj(tjInitDecompress());
    if (!tj.h) return std::nullopt;
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned long>(bytes.size());
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(tj.h, data, size, &width, &height, &subsamp, &colorspace) != 0)
        return std::nullopt;
    if (!sane(width, height)) return std::nullopt;
    const PixelSize target = targetSize(width, height, box);
    const tjscalingfactor factor = scalingFor(width, height, target);
    FullSizeTurn turn;
    if (factor.num == factor.denom) turn.take(static_cast<long long>(width) * height);
    Image img = blank(TJSCALED(width, factor), TJSCALED(height, factor));
    // A truncated or corrupt stream is reported as a warning with -1; a half-grey picture is
    // damage, not an image, so warnings count as failure too.
    if (tjDecompress2(tj.h, data, size, img.rgba.data(), img.width, 0, img.height, TJPF_RGBA, 0) != 0)
        return std::nullopt;
    return finish(std::move(img), target);
}

// --- PNG --------------------------------------------------------------------------------------

// Everything a PNG decode touches lives here, on the heap, created before libpng may jump back
// to decodePNG on an error: the jump skips the frames below it, and with them any destructor, but
// this object is destroyed by decodePNG itself.
struct PNGDecode {
    std::string_view bytes;
    std::size_t offset = 0;
    PixelSize box;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<std::uint8_t> row;
    std::vector<std::uint8_t> whole;  // interlaced pictures only
    std::vector<png_bytep> rows;
    std::unique_ptr<RowShrinker> shrinker;
    FullSizeTurn turn;
    PixelSize target{0, 0};

    ~PNGDecode() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }

    static void read(png_structp png, png_bytep out, png_size_t length) {
        auto* self = static_cast<PNGDecode*>(png_get_io_ptr(png));
        if (self->bytes.size() - self->offset < length) png_error(png, "truncated");
        std::memcpy(out, self->bytes.data() + self->offset, length);
        self->offset += length;
    }
    // libpng's own handler would print the message; what a server sent never reaches the console
    // that way.
    static void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void ignore(png_structp, png_const_charp) {}

    // Runs below decodePNG's setjmp; holds nothing of its own that needs destroying.
    bool run() {
        png_set_read_fn(png, this, &PNGDecode::read);
        png_read_info(png, info);
        const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
        if (!sane(w, h)) return false;
        const int width = static_cast<int>(w), height = static_cast<int>(h);
        // Every kind of PNG becomes 8-bit RGBA: palettes and small grey depths expanded, 16 bits
        // cut to 8, grey spread to the three channels, an opaque alpha added where there is none.
        const int colour = png_get_color_type(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
        if (!(colour & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
            png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        const int passes = png_set_interlace_handling(png);
        if (passes > 1 && static_cast<long long>(w) * h > Image::kMaxInterlacedPixels) return false;
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != static_cast<std::size_t>(w) * 4) return false;

        target = targetSize(width, height, box);
        const int factor = std::max(1, std::min(width / target.width, height / target.height));
        if (factor == 1 || passes > 1) turn.take(static_cast<long long>(width) * height);
        shrinker = std::make_unique<RowShrinker>(width, height, factor);
        if (passes > 1) {
            // An interlaced picture arrives in seven sweeps over the whole of it: it is read at
            // its full size (its turn taken above) and shrunk after.
            whole.resize(static_cast<std::size_t>(w) * h * 4);
            rows.resize(h);
            for (png_uint_32 y = 0; y < h; ++y) rows[y] = &whole[static_cast<std::size_t>(y) * w * 4];
            png_read_image(png, rows.data());
            for (png_uint_32 y = 0; y < h; ++y) shrinker->addRow(rows[y]);
            return shrinker->complete();
        }
        row.resize(static_cast<std::size_t>(w) * 4);
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, row.data(), nullptr);
            shrinker->addRow(row.data());
        }
        return shrinker->complete();
    }
};

std::optional<Image> decodePNG(std::string_view bytes, PixelSize box) {
    auto decode = std::make_unique<PNGDecode>();
    decode->bytes = bytes;
    decode->box = box;
    decode->png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &PNGDecode::fail, &PNGDecode::ignore);
    if (!decode->png) return std::nullopt;
    decode->info = png_create_info_struct(decode->png);
    if (!decode->info) return std::nullopt;
    if (setjmp(png_jmpbuf(decode->png))) return std::nullopt;
    if (!decode->run()) return std::nullopt;
    return finish(decode->shrinker->take(), decode->target);
}

std::optional<Image> decodeAny(std::string_view bytes, PixelSize box) {
    if (bytes.size() > Image::kMaxEncodedBytes) return std::nullopt;
    if (looksLikeJPEG(bytes)) return decodeJPEG(bytes, box);
    if (looksLikePNG(bytes)) return decodePNG(bytes, box);
    return std::nullopt;
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
    return decodeAny(bytes, kFullSize);
}

std::optional<Image> Image::decodeToFill(std::string_view bytes, int boxWidth, int boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0) return std::nullopt;
    return decodeAny(bytes, {boxWidth, boxHeight});
}

std::optional<Image> Image::fromFile(const std::string& path) {
    auto file = readOwnFile(path, kMaxEncodedBytes);
    if (!file.ok()) return std::nullopt;
    return decode(file.bytes);
}

std::optional<Image> Image::fromFile(const std::string& path, int boxWidth, int boxHeight) {
    auto file = readOwnFile(path, kMaxEncodedBytes);
    if (!file.ok()) return std::nullopt;
    return decodeToFill(file.bytes, boxWidth, boxHeight);
}

std::optional<std::pair<int, int>> Image::sizeOf(std::string_view bytes) {
    if (looksLikeJPEG(bytes)) {
        TJHandle tj(tjInitDecompress());
        int width = 0, height = 0, subsamp = 0, colorspace = 0;
        if (!tj.h || tjDecompressHeader3(tj.h, reinterpret_cast<const unsigned char*>(bytes.data()),
                                         static_cast<unsigned long>(bytes.size()), &width, &height, &subsamp,
                                         &colorspace) != 0)
            return std::nullopt;
        return std::pair{width, height};
    }
    // The IHDR chunk comes first: its length and name, then width and height, big-endian.
    if (!looksLikePNG(bytes) || bytes.size() < 24 || bytes.substr(12, 4) != "IHDR") return std::nullopt;
    auto word = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    const std::uint32_t width = word(16), height = word(20);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
    return std::pair{static_cast<int>(width), static_cast<int>(height)};
}

std::pair<int, int> Image::fillSize(int width, int height, int boxWidth, int boxHeight) {
    if (width <= 0 || height <= 0) return {0, 0};
    const PixelSize size = targetSize(width, height, {boxWidth, boxHeight});
    return {size.width, size.height};
}

int Image::fullSizeDecodeHighWater(bool reset) {
    return FullSizeDecodes::shared().highWater(reset);
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
