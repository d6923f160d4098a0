// Network layer benchmark: our request pipeline against plain libcurl on the same loopback
// server. The server runs in a forked child so its memory and threads are not ours.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <boost/json.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/HTTPRequestOperationManager.h"
#include "net/NetworkThread.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

using namespace busdesk;
namespace json = boost::json;
using Steady = std::chrono::steady_clock;

namespace {

std::string hundredRows() {
    json::array rows;
    for (int i = 0; i < 100; ++i) {
        rows.push_back(json::object{
            {"EmpID", std::to_string(10000 + i)},
            {"Name", "驾驶员" + std::to_string(i)},
            {"Buselfid", "沪A-" + std::to_string(20000 + i)},
            {"RouteName", "公交" + std::to_string(i % 30) + "路"},
            {"StartTime", "2024-05-01 06:30:00"},
            {"EndTime", "2024-05-01 18:45:00"},
            {"Mileage", 187.5 + i},
            {"Trips", 12 + i % 5},
            {"Income", 2345.75 + i},
            {"Remark", "正常运营，无违章记录，车辆状况良好，按时发车到站"},
            {"Address", "上海市浦东新区张江高科技园区科苑路" + std::to_string(100 + i) + "号公交停车场"}});
    }
    return json::serialize(rows);
}

// A minimal keep-alive HTTP/1.1 server, one blocking thread per connection: it answers at once,
// so the figures measure the clients rather than server-side polling.
void serveConnection(int fd, const std::string& rows) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string buffer;
    char chunk[65536];
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
        std::string lower = head;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        size_t length = 0;
        if (auto pos = lower.find("content-length:"); pos != std::string::npos) {
            length = std::strtoull(lower.c_str() + pos + 15, nullptr, 10);
        }
        size_t consumed = std::min(length, buffer.size());
        buffer.erase(0, consumed);
        while (consumed < length) {
            ssize_t n = recv(fd, chunk, std::min(sizeof chunk, length - consumed), 0);
            if (n <= 0) {
                close(fd);
                return;
            }
            consumed += static_cast<size_t>(n);
        }
        std::string body = head.rfind("POST", 0) == 0 ? std::to_string(length) : rows;
        std::string type = head.rfind("POST", 0) == 0 ? "text/plain" : "application/json";
        std::string response = "HTTP/1.1 200 OK\r\nContent-Type: " + type +
                               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        if (send(fd, response.data(), response.size(), MSG_NOSIGNAL) < 0) {
            close(fd);
            return;
        }
    }
}

int runServer(int writeFd) {
    std::string rows = hundredRows();
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 256) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return 1;
    }
    int port = ntohs(addr.sin_port);
    if (write(writeFd, &port, sizeof port) != sizeof port) return 1;
    close(writeFd);
    for (;;) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        std::thread(serveConnection, fd, std::cref(rows)).detach();
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long statusKB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

int threadCount() {
    return static_cast<int>(statusKB("Threads:"));
}

size_t toString(char* data, size_t size, size_t n, void* out) {
    static_cast<std::string*>(out)->append(data, size * n);
    return size * n;
}

double oursGET(const std::string& url) {
    bool done = false;
    auto start = Steady::now();
    HTTPRequestOperationManager::manager()->GET(
        url, std::nullopt,
        [&](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject& obj) {
            done = obj.json.has_value();
        },
        [&](const std::shared_ptr<HTTPRequestOperation>&, const Error& e) {
            std::fprintf(stderr, "GET failed: %s\n", e.description.c_str());
            std::exit(1);
        });
    RunLoop::main().runUntil([&] { return done; }, std::chrono::seconds(10));
    return std::chrono::duration<double, std::micro>(Steady::now() - start).count();
}

void benchGET(const std::string& base) {
    const std::string url = base + "rows";
    const int kRounds = 400;
    CURL* easy = curl_easy_init();
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &toString);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    auto raw = [&](bool parse) {
        body.clear();
        auto start = Steady::now();
        curl_easy_perform(easy);
        if (parse) {
            json::value v = json::parse(body);
            if (!v.is_array()) std::exit(1);
        }
        return std::chrono::duration<double, std::micro>(Steady::now() - start).count();
    };
    for (int i = 0; i < 50; ++i) {
        raw(true);
        oursGET(url);
    }
    std::vector<double> ours, rawOnly, rawParse;
    for (int i = 0; i < kRounds; ++i) {
        // Interleaved so that drift in machine load hits all three alike.
        ours.push_back(oursGET(url));
        rawOnly.push_back(raw(false));
        rawParse.push_back(raw(true));
    }
    // Thread switches a request costs (every one is a wake-up of some thread): unlike the times,
    // this count hardly depends on what else the machine is running.
    auto switches = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw);
    };
    const int kCounted = 200;
    double before = switches();
    for (int i = 0; i < kCounted; ++i) oursGET(url);
    double oursSwitches = (switches() - before) / kCounted;
    before = switches();
    for (int i = 0; i < kCounted; ++i) raw(true);
    double rawSwitches = (switches() - before) / kCounted;
    curl_easy_cleanup(easy);
    std::printf("GET thread switches per request: ours %.1f, raw curl + parse %.1f\n", oursSwitches,
                rawSwitches);
    std::printf("ratio get_thread_switches_per_request %.1f target info 0\n", oursSwitches);
    std::printf(
        "GET %zu-byte 100-row JSON: median ours %.1f us, raw curl %.1f us, raw curl + Boost.JSON parse %.1f "
        "us\n",
        body.size(), median(ours), median(rawOnly), median(rawParse));
    std::printf("ratio get_vs_raw_curl_parse %.2f target <= 1.25\n", median(ours) / median(rawParse));
    // Fetch without parsing: our callback hands over parsed JSON, so this one is for information.
    std::printf("ratio get_vs_raw_curl_fetch_only %.2f target info 0\n", median(ours) / median(rawOnly));
}

void benchConcurrent(const std::string& base) {
    const std::string url = base + "rows";
    oursGET(url);  // network thread and processing pool exist from here on
    int before = threadCount();
    int peak = before;
    int done = 0;
    for (int i = 0; i < 64; ++i) {
        HTTPRequestOperationManager::manager()->GET(
            url, json::object{{"i", i}},
            [&](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject&) { ++done; },
            [&](const std::shared_ptr<HTTPRequestOperation>&, const Error&) { ++done; });
    }
    auto start = Steady::now();
    while (done < 64 && Steady::now() - start < std::chrono::seconds(30)) {
        RunLoop::main().runUntil([&] { return done >= 64; }, std::chrono::milliseconds(2));
        peak = std::max(peak, threadCount());
    }
    double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
    std::printf(
        "64 concurrent GETs: %d answered in %.1f ms; threads before %d, peak during %d; network threads %d\n",
        done, ms, before, peak, NetworkThread::threadsStarted());
    std::printf("ratio concurrent64_network_threads %d target <= 1\n", NetworkThread::threadsStarted());
    std::printf("ratio concurrent64_extra_threads %d target <= 0\n", peak - before);
}

struct MimeSource {
    const std::string* data;
    size_t offset = 0;
};

size_t mimeRead(char* buffer, size_t size, size_t n, void* arg) {
    auto* src = static_cast<MimeSource*>(arg);
    size_t len = std::min(size * n, src->data->size() - src->offset);
    std::memcpy(buffer, src->data->data() + src->offset, len);
    src->offset += len;
    return len;
}

int mimeSeek(void* arg, curl_off_t offset, int origin) {
    auto* src = static_cast<MimeSource*>(arg);
    if (origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
    src->offset = static_cast<size_t>(offset);
    return CURL_SEEKFUNC_OK;
}

void benchUpload(const std::string& base) {
    const std::string url = base + "upload";
    const std::size_t kPart = 5u * 1024u * 1024u;
    std::vector<std::shared_ptr<const std::string>> parts;
    for (int p = 0; p < 10; ++p) {
        auto s = std::make_shared<std::string>(kPart, '\0');
        for (std::size_t i = 0; i < kPart; ++i) (*s)[i] = static_cast<char>((i * 7 + p) & 0xFF);
        parts.push_back(s);
    }
    auto oursUpload = [&] {
        bool done = false;
        std::string answer;
        auto start = Steady::now();
        auto manager = HTTPRequestOperationManager::manager();
        manager->setResponseSerializer(HTTPResponseSerializer::serializer());
        manager->POST(
            url, std::nullopt,
            [&](StreamingMultipartFormData& form) {
                for (int p = 0; p < 10; ++p) {
                    form.appendPartWithFileData(parts[p], std::to_string(p) + ".jpg", "pic",
                                                "application/octet-stream");
                }
            },
            [&](const std::shared_ptr<HTTPRequestOperation>& op, const ResponseObject&) {
                answer = op->responseString().value_or("");
                done = true;
            },
            [&](const std::shared_ptr<HTTPRequestOperation>&, const Error& e) {
                std::fprintf(stderr, "upload failed: %s\n", e.description.c_str());
                std::exit(1);
            });
        RunLoop::main().runUntil([&] { return done; }, std::chrono::seconds(60));
        if (answer.empty()) std::fprintf(stderr, "upload got no answer\n");
        return std::chrono::duration<double>(Steady::now() - start).count();
    };
    auto curlUpload = [&] {
        CURL* easy = curl_easy_init();
        std::string answer;
        curl_mime* mime = curl_mime_init(easy);
        std::vector<MimeSource> sources(10);
        for (int p = 0; p < 10; ++p) {
            sources[p].data = parts[p].get();
            curl_mimepart* part = curl_mime_addpart(mime);
            curl_mime_name(part, (std::to_string(p) + ".jpg").c_str());
            curl_mime_filename(part, "pic");
            curl_mime_type(part, "application/octet-stream");
            curl_mime_data_cb(part, static_cast<curl_off_t>(kPart), &mimeRead, &mimeSeek, nullptr,
                              &sources[p]);
        }
        curl_slist* headers = curl_slist_append(nullptr, "Expect:");
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_MIMEPOST, mime);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &toString);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer);
        auto start = Steady::now();
        curl_easy_perform(easy);
        double s = std::chrono::duration<double>(Steady::now() - start).count();
        curl_mime_free(mime);
        curl_slist_free_all(headers);
        curl_easy_cleanup(easy);
        return s;
    };
    // Peak resident memory from here on, beyond the 50 MB the caller holds.
    std::ofstream("/proc/self/clear_refs") << "5";
    long baseKB = statusKB("VmRSS:");
    std::vector<double> ours, raw;
    for (int i = 0; i < 5; ++i) {
        ours.push_back(oursUpload());
        raw.push_back(curlUpload());
    }
    long peakKB = statusKB("VmHWM:");
    double mb = 10.0 * kPart / (1024.0 * 1024.0);
    double oursRate = mb / median(ours), rawRate = mb / median(raw);
    std::printf(
        "upload 10 x 5 MiB multipart: ours %.0f MiB/s, curl mime %.0f MiB/s; RSS %ld KiB before, peak %ld "
        "KiB\n",
        oursRate, rawRate, baseKB, peakKB);
    std::printf("ratio upload_peak_rss_growth_mb %.1f target <= 5\n", (peakKB - baseKB) / 1024.0);
    std::printf("ratio upload_throughput_vs_curl_mime %.2f target >= 0.8\n", oursRate / rawRate);
}

}  // namespace

int main(int argc, char** argv) {
    // --serve: only the loopback server, in the foreground (its port on stdout), for profiling.
    if (argc > 1 && std::string(argv[1]) == "--serve") {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        if (fork() == 0) return runServer(fds[1]);
        int port = 0;
        if (read(fds[0], &port, sizeof port) != sizeof port) return 1;
        std::printf("%d\n", port);
        std::fflush(stdout);
        pause();
        return 0;
    }
    int fds[2];
    if (pipe(fds) != 0) return 1;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        return runServer(fds[1]);
    }
    close(fds[1]);
    int port = 0;
    if (read(fds[0], &port, sizeof port) != sizeof port || port <= 0) return 1;
    close(fds[0]);

    RunLoop::main().adoptCurrentThread();
    Log::setQuiet(true);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::printf("machine: %u cores, %s\n", std::thread::hardware_concurrency(),
                [] {
                    std::ifstream in("/proc/cpuinfo");
                    std::string line;
                    while (std::getline(in, line)) {
                        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
                    }
                    return std::string("unknown CPU");
                }()
                    .c_str());
    std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
    // --get: only the GET comparison (for profiling it alone).
    const bool getOnly = argc > 1 && std::string(argv[1]) == "--get";
    benchGET(base);
    if (!getOnly) {
        benchConcurrent(base);
        benchUpload(base);
    }
    std::fflush(stdout);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    _exit(0);  // the network thread runs for the life of the process
}
