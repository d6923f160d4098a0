// Memory per answer: a 100 000-row bulletin answer (about 62 MB) served from a loopback server,
// received, mapped and listed by the real bulletin screen, and the growth of peak resident memory
// while that happens set against the body size. The server runs in a forked child and builds the
// body there, so neither its memory nor the body's text counts as ours.
#include <unistd.h>

#include <boost/json.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "LoopbackServer.h"
#include "core/PublicMethod.h"
#include "net/HTTPRequestOperationManager.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/views/Window.h"
#include "screens/core/NewsViewController.h"

using namespace busdesk;
namespace json = boost::json;

namespace {

constexpr int kRows = 100000;

// Bulletin rows as the office server sends them: a title, dates, the publisher, an abstract and
// the HTML page.
std::string bulletinAnswer(int rows) {
    std::string out = "[";
    const std::string paragraph =
        "<p>各车队：为做好节假日期间的安全运营工作，请各线路严格落实发车间隔，"
        "加强车辆例保检查，驾驶员须按规定时间到岗签到，遇突发情况及时上报调度中心。</p>";
    for (int i = 0; i < rows; ++i) {
        json::object row{
            {"ID", "N" + std::to_string(100000 + i)},
            {"Title", "关于第" + std::to_string(i + 1) + "号运营调整的通知"},
            {"RealeaseDate", "2026-12-0" + std::to_string(1 + i % 7)},
            {"RealeaseDateTime", "2026-12-0" + std::to_string(1 + i % 7) + " 08:30:00"},
            {"Publishby", "运营调度中心"},
            {"ContentAbstract", "节假日安全运营与发车间隔的安排"},
            {"ContentHtml",
             "<div class=\"notice\">" + paragraph +
                 "<p>请各车队于本周内组织驾驶员学习并签字确认，落实情况报安全科备案。</p><p>编号 " +
                 std::to_string(i) + "</p></div>"}};
        if (i) out += ',';
        out += json::serialize(row);
    }
    out += "]";
    return out;
}

bench::LoopbackSetup answers() {
    static const std::string large = bulletinAnswer(kRows);
    static const std::string small = bulletinAnswer(2);
    bench::LoopbackSetup setup;
    // GETs only; a path with "small" gets a two-row answer (the warm-up).
    setup.handler = [](std::string_view head, std::size_t) {
        const bool wantsSmall = head.substr(0, head.find("\r\n")).find("small") != std::string_view::npos;
        return bench::LoopbackAnswer{"application/json; charset=utf-8", wantsSmall ? &small : &large, {}};
    };
    setup.note = static_cast<long>(large.size());
    return setup;
}

}  // namespace

int main() {
    bench::LoopbackServer server(answers);
    if (!server.ok()) return 1;
    const std::string base = server.baseURL();
    const double bodyBytes = static_cast<double>(server.note());

    RunLoop::main().adoptCurrentThread();
    Log::setQuiet(true);
    PublicMethod::setOfficeBaseURL(base);

    // Warm-up: the network thread, the processing pool and the screen's code are in place before
    // the measurement starts.
    {
        bool done = false;
        auto mgr = HTTPRequestOperationManager::manager();
        mgr->GET(
            base + "small", std::nullopt,
            [&](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject&) { done = true; },
            [&](const std::shared_ptr<HTTPRequestOperation>&, const Error& e) {
                std::fprintf(stderr, "warm-up failed: %s\n", e.description.c_str());
                std::exit(1);
            });
        RunLoop::main().runUntil([&] { return done; }, std::chrono::seconds(30));
    }
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();

    // From here on: peak resident memory while the answer is received, mapped and listed.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long baseKB = bench::procStatus("VmRSS:");
    auto start = std::chrono::steady_clock::now();
    auto news = std::make_shared<NewsViewController>();
    news->tag = 2;
    window->setRootViewController(news);
    bool listed = RunLoop::main().runUntil(
        [&] { return news->rowCount() > 0 && !news->tbList->visibleCells().empty(); },
        std::chrono::seconds(120));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peakKB = bench::procStatus("VmHWM:");
    // Resident memory once what the answer left behind is gone (the operation's body and the
    // parsed text are freed on the processing queue after the callback).
    RunLoop::main().runUntil([] { return false; }, std::chrono::milliseconds(200));
    const long afterKB = bench::procStatus("VmRSS:");
    if (!listed) {
        std::fprintf(stderr, "the list did not arrive\n");
        server.stop();
        _exit(1);
    }
    std::size_t converted = 0;
    for (const auto& page : news->pages)
        for (std::size_t i = 0; i < page.count(); ++i) converted += page.isConvertedAtIndex(i) ? 1 : 0;
    double growth = (peakKB - baseKB) * 1024.0;
    std::printf(
        "answer %.1f MB, %zu rows listed in %.2f s, %zu rows mapped and kept, %zu cells; RSS %ld KiB before, "
        "peak %ld KiB, after %ld KiB\n",
        bodyBytes / 1e6, news->rowCount(), seconds, converted, news->tbList->visibleCells().size(), baseKB,
        peakKB, afterKB);
    std::printf("ratio answer_peak_rss_growth_vs_body %.2f target <= 3\n", growth / bodyBytes);
    std::printf("ratio answer_resident_after_vs_body %.2f target info 0\n",
                (afterKB - baseKB) * 1024.0 / bodyBytes);
    std::fflush(stdout);
    server.stop();
    _exit(0);  // the network thread runs for the life of the process
}
