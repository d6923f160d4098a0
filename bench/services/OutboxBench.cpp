// How long the main thread is held while a feedback submission with three 5 MB photos is put into
// the outbox and sent: the photos are copied into the outbox on its own queue and read, decoded and
// encoded for upload on the photo queue, so the main loop should never stop for longer than a few
// milliseconds. Compared with doing the same work on the main thread: the outbox's put of the
// submission (copying and flushing the three photos) and the decode and JPEG encode of one photo.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "LoopbackServer.h"
#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Image.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "services/FeedbackOutbox.h"
#include "services/OutboxStore.h"

using namespace busdesk;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kPhotos = 3;
// 1150 × 1150 RGBA of noise: a PNG of about 5.3 MB that does not compress.
constexpr int kSide = 1150;

std::string noisePNG(unsigned seed) {
    Image image;
    image.width = kSide;
    image.height = kSide;
    image.rgba.resize(static_cast<std::size_t>(kSide) * kSide * 4);
    std::mt19937 random(seed);
    for (auto& byte : image.rgba) byte = static_cast<std::uint8_t>(random());
    return image.pngData();
}

double msSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

FeedbackSubmissionState submission(const std::vector<std::string>& files) {
    std::vector<FeedbackPhoto> photos;
    for (const auto& file : files) {
        FeedbackPhoto photo;
        photo.file = file;
        photos.push_back(photo);
    }
    return FeedbackSubmission::compose("车门关不严", "建议", std::move(photos));
}

bench::LoopbackSetup office() {
    bench::LoopbackSetup setup;
    setup.handler = [](std::string_view head, std::size_t) {
        const bool upload =
            head.substr(0, head.find("\r\n")).find("UploadPictureFromID") != std::string_view::npos;
        return bench::LoopbackAnswer{"text/plain; charset=utf-8", nullptr, upload ? "1" : "\"777\""};
    };
    return setup;
}

}  // namespace

int main() {
    bench::LoopbackServer server(office);
    if (!server.ok()) return 1;
    RunLoop::main().adoptCurrentThread();
    Log::setQuiet(true);
    PublicMethod::setOfficeBaseURL(server.baseURL());
    Session::shared().setLoginResult(LoginResult::initWithString(R"({"IsSuccess":"1","EmpID":"E10086"})"));

    const fs::path work = fs::temp_directory_path() / ("busdesk-outbox-bench-" + std::to_string(::getpid()));
    fs::create_directories(work);
    std::vector<std::string> files;
    std::uintmax_t photoBytes = 0;
    for (int k = 0; k < kPhotos; ++k) {
        files.push_back((work / ("photo" + std::to_string(k) + ".png")).string());
        std::ofstream(files.back(), std::ios::binary) << noisePNG(static_cast<unsigned>(k + 1));
        photoBytes += fs::file_size(files.back());
    }

    // The plain alternatives, on this thread: the outbox's put of the whole submission, and one
    // photo read, decoded and encoded for upload.
    auto start = Steady::now();
    auto put = OutboxStore((work / "plain").string()).put("E10086", submission(files), 0);
    const double putMs = msSince(start);
    start = Steady::now();
    auto picture = Image::fromFile(files[0]);
    const std::size_t jpegBytes = picture ? picture->jpegData(100).size() : 0;
    const double encodeMs = msSince(start);
    if (!put.entry || jpegBytes == 0) {
        std::fprintf(stderr, "the plain put or encode failed: %s\n", put.error.c_str());
        return 1;
    }

    // The measured run: a 1 ms timer on the main loop; the longest gap between its firings is the
    // longest time the main thread was held.
    FeedbackOutbox outbox((work / "outbox").string());
    outbox.signedIn("E10086");
    RunLoop::main().runUntilIdle(std::chrono::seconds(30));
    double longestGapMs = 0;
    auto last = Steady::now();
    auto timer = RunLoop::main().addTimer(std::chrono::milliseconds(1), true, [&] {
        longestGapMs = std::max(longestGapMs, msSince(last));
        last = Steady::now();
    });
    bool told = false;
    FeedbackOutbox::Submitted outcome;
    start = Steady::now();
    last = start;
    outbox.submit(submission(files), [&](const FeedbackOutbox::Submitted& s) {
        outcome = s;
        told = true;
    });
    const double callMs = msSince(start);
    RunLoop::main().runUntil([&] { return told; }, std::chrono::seconds(120));
    const double roundMs = msSince(start);
    RunLoop::main().cancelTimer(timer);
    server.stop();
    std::error_code ec;
    fs::remove_all(work, ec);
    if (!told || outcome.result != FeedbackOutbox::Submitted::Result::Sent) {
        std::fprintf(stderr, "the submission was not sent\n");
        _exit(1);
    }
    // The timer's own period is not time the thread was held.
    const double stallMs = std::max(0.0, longestGapMs - 1.0);
    std::printf(
        "%d photos, %.1f MB: submit() returned in %.3f ms, sent in %.0f ms, longest main-loop stall %.2f ms; "
        "on the main thread the put would take %.0f ms and one photo's decode and encode %.0f ms\n",
        kPhotos, static_cast<double>(photoBytes) / 1e6, callMs, roundMs, stallMs, putMs, encodeMs);
    std::printf("ratio outbox_main_stall_vs_put_on_main %.3f target <= 0.1\n", stallMs / putMs);
    std::printf("ratio outbox_main_stall_vs_photo_encode_on_main %.3f target <= 0.1\n", stallMs / encodeMs);
    std::fflush(stdout);
    _exit(0);  // the network thread runs for the life of the process
}
