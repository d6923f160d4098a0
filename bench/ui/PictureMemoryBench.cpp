// Memory per picture: 32 pictures of 8000 x 8000 pixels (half PNG, half JPEG) on 32 picture
// buttons of 80 points, as the answered-feedback list's rows show them, downloaded from a loopback
// server through the HTTP client, decoded, cached on disk and shown. A picture that size is 256 MB decoded at
// its full size; the figure is the peak resident memory of the whole process while all 32 arrive.
// The server runs in a forked child and makes the pictures there, so neither they nor the making
// count as ours.
#include <png.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LoopbackServer.h"
#include "net/HTTPRequestOperation.h"
#include "net/HTTPRequestOperationManager.h"
#include "net/HTTPResponseSerializer.h"
#include "platform/Image.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/views/Button.h"
#include "ui/RemoteImageLoader.h"

using namespace busdesk;

namespace {

constexpr int kSide = 8000;
constexpr int kPictures = 32;
// The answered-feedback list's picture buttons (DetListTableViewCell::kPictureSize).
constexpr double kButtonPoints = 80;

// A photograph-like picture: smooth light with a fine texture, which PNG keeps at about a megabyte
// and JPEG at a few. Made a row at a time; its pixel at (x, y) depends only on x and y.
void pixelRow(int y, std::vector<unsigned char>& row, int channels) {
    for (int x = 0; x < kSide; ++x) {
        unsigned char* p = &row[static_cast<std::size_t>(x) * static_cast<std::size_t>(channels)];
        const unsigned texture = ((static_cast<unsigned>(x) * 7u) ^ (static_cast<unsigned>(y) * 13u)) & 3u;
        p[0] = static_cast<unsigned char>(x * 255 / kSide);
        p[1] = static_cast<unsigned char>(y * 255 / kSide);
        p[2] = static_cast<unsigned char>(96 + texture * 8);
        if (channels == 4) p[3] = 255;
    }
}

std::string makePNG() {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), n);
        },
        nullptr);
    png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(static_cast<std::size_t>(kSide) * 3);
    for (int y = 0; y < kSide; ++y) {
        pixelRow(y, row, 3);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string makeJPEG() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kSide) * kSide * 3);
    std::vector<unsigned char> row(static_cast<std::size_t>(kSide) * 3);
    for (int y = 0; y < kSide; ++y) {
        pixelRow(y, row, 3);
        std::copy(row.begin(), row.end(), pixels.begin() + static_cast<std::ptrdiff_t>(row.size()) * y);
    }
    tjhandle tj = tjInitCompress();
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, pixels.data(), kSide, 0, kSide, TJPF_RGB, &buffer, &size, TJSAMP_420, 85, 0);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    tjFree(buffer);
    tjDestroy(tj);
    return out;
}

bench::LoopbackSetup pictures() {
    static const std::string png = makePNG();
    static const std::string jpeg = makeJPEG();
    bench::LoopbackSetup setup;
    setup.handler = [](std::string_view head, std::size_t) {
        const bool wantsPNG = head.substr(0, head.find("\r\n")).find(".png") != std::string_view::npos;
        return bench::LoopbackAnswer{wantsPNG ? "image/png" : "image/jpeg", wantsPNG ? &png : &jpeg, {}};
    };
    return setup;
}

// Sizes of the bodies received, by kind, for the report.
std::size_t gPNGBytes = 0, gJPEGBytes = 0;

void fetch(const std::string& url, std::function<void(std::optional<std::string>)> done) {
    auto manager = HTTPRequestOperationManager::manager();
    manager->setResponseSerializer(HTTPResponseSerializer::serializer());
    auto shared = std::make_shared<std::function<void(std::optional<std::string>)>>(std::move(done));
    const bool png = url.ends_with(".png");
    manager->GET(
        url, std::nullopt,
        [shared, png](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject& response) {
            if (response.data) (png ? gPNGBytes : gJPEGBytes) = response.data->size();
            (*shared)(response.data);
        },
        [shared](const std::shared_ptr<HTTPRequestOperation>&, const Error&) { (*shared)(std::nullopt); });
}

}  // namespace

int main() {
    bench::LoopbackServer server(pictures);
    if (!server.ok()) return 1;
    const std::string base = server.baseURL();

    RunLoop::main().adoptCurrentThread();
    Log::setQuiet(true);
    const auto cache =
        std::filesystem::temp_directory_path() / ("busdesk-bench-pictures-" + std::to_string(::getpid()));
    std::filesystem::remove_all(cache);
    auto& loader = RemoteImageLoader::shared();
    loader.setCacheDirectory(cache.string());
    loader.setFetch(fetch);

    // Warm-up: the network thread, the processing pool and the decoders are in place before the
    // measurement starts (one small picture through the same path).
    {
        bool done = false;
        loader.loadImage(base + "warm.png", RemoteImageLoader::Box{16, 16}, [&](auto) { done = true; });
        RunLoop::main().runUntil([&] { return done; }, std::chrono::seconds(120));
        loader.clearMemoryCache();
    }

    std::ofstream("/proc/self/clear_refs") << "5";
    const long baseKB = bench::procStatus("VmRSS:");
    Image::fullSizeDecodeHighWater(true);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::shared_ptr<Button>> buttons;
    for (int n = 0; n < kPictures; ++n) {
        buttons.push_back(std::make_shared<Button>(Rect{0, 0, kButtonPoints, kButtonPoints}));
        setBackgroundImageWithURL(*buttons.back(),
                                  base + "feedback/" + std::to_string(n) + (n % 2 ? ".jpg" : ".png"),
                                  ControlState::Normal, "placeholder");
    }
    auto shown = [&] {
        int count = 0;
        for (auto& b : buttons) count += b->backgroundImageForState(ControlState::Normal) ? 1 : 0;
        return count;
    };
    RunLoop::main().runUntil([&] { return shown() == kPictures; }, std::chrono::seconds(600));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peakKB = bench::procStatus("VmHWM:");
    const long afterKB = bench::procStatus("VmRSS:");
    const int pictures = shown();
    int width = 0, height = 0;
    if (auto image = buttons[0]->backgroundImageForState(ControlState::Normal)) {
        width = image->width;
        height = image->height;
    }
    std::printf(
        "%d of %d pictures of %dx%d (PNG %.2f MB, JPEG %.2f MB) shown in %.1f s, each decoded to %dx%d; "
        "memory cache %.1f "
        "MB; "
        "full-size decodes at once at most %d; RSS %ld KiB before, peak %ld KiB, after %ld KiB\n",
        pictures, kPictures, kSide, kSide, static_cast<double>(gPNGBytes) / 1e6,
        static_cast<double>(gJPEGBytes) / 1e6, seconds, width, height,
        static_cast<double>(loader.memoryUsed()) / 1e6, Image::fullSizeDecodeHighWater(), baseKB, peakKB,
        afterKB);
    std::printf("ratio picture_peak_rss_mb %.1f target <= 300\n", static_cast<double>(peakKB) * 1024 / 1e6);
    std::printf("ratio picture_peak_rss_growth_mb %.1f target info 0\n",
                static_cast<double>(peakKB - baseKB) * 1024 / 1e6);
    std::fflush(stdout);
    std::filesystem::remove_all(cache);
    server.stop();
    _exit(pictures == kPictures ? 0 : 1);  // the network thread runs for the life of the process
}
