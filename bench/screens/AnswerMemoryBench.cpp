// Memory per answer: a 100 000-row bulletin answer (about 62 MB) served from a loopback server,
// received, mapped and listed by the real bulletin screen, and the growth of peak resident memory
// while that happens set against the body size. The server runs in a forked child and builds the
// body there, so neither its memory nor the body's text counts as ours.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/json.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

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

bool sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// One keep-alive connection: GETs only; a path with "small" gets a two-row answer (the warm-up).
void serveConnection(int fd, const std::string* large, const std::string* small) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string buffer;
    char chunk[16384];
    for (;;) {
        size_t headerEnd;
        while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            ssize_t n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                close(fd);
                return;
            }
            buffer.append(chunk, static_cast<size_t>(n));
        }
        std::string head = buffer.substr(0, headerEnd);
        buffer.erase(0, headerEnd + 4);
        const std::string& body =
            head.substr(0, head.find("\r\n")).find("small") != std::string::npos ? *small : *large;
        std::string response =
            "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n";
        if (!sendAll(fd, response.data(), response.size()) || !sendAll(fd, body.data(), body.size())) {
            close(fd);
            return;
        }
    }
}

int runServer(int writeFd) {
    std::string large = bulletinAnswer(kRows);
    std::string small = bulletinAnswer(2);
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return 1;
    }
    long info[2] = {ntohs(addr.sin_port), static_cast<long>(large.size())};
    if (write(writeFd, info, sizeof info) != sizeof info) return 1;
    close(writeFd);
    for (;;) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        std::thread(serveConnection, fd, &large, &small).detach();
    }
}

long statusKB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

}  // namespace

int main() {
    int fds[2];
    if (pipe(fds) != 0) return 1;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        return runServer(fds[1]);
    }
    close(fds[1]);
    long info[2] = {0, 0};
    if (read(fds[0], info, sizeof info) != sizeof info || info[0] <= 0) return 1;
    close(fds[0]);
    const std::string base = "http://127.0.0.1:" + std::to_string(info[0]) + "/";
    const double bodyBytes = static_cast<double>(info[1]);

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
    const long baseKB = statusKB("VmRSS:");
    auto start = std::chrono::steady_clock::now();
    auto news = std::make_shared<NewsViewController>();
    news->tag = 2;
    window->setRootViewController(news);
    bool listed = RunLoop::main().runUntil(
        [&] { return news->rowCount() > 0 && !news->tbList->visibleCells().empty(); },
        std::chrono::seconds(120));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peakKB = statusKB("VmHWM:");
    const long afterKB = statusKB("VmRSS:");
    if (!listed) {
        std::fprintf(stderr, "the list did not arrive\n");
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
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
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    _exit(0);  // the network thread runs for the life of the process
}
