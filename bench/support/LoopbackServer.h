// A keep-alive HTTP/1.1 server on the loopback interface for the benchmarks. It runs in a forked
// child, so neither its memory nor its threads count as the measured process's, and it answers at
// once (one blocking thread per connection), so the figures measure the clients.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace busdesk::bench {

struct LoopbackAnswer {
    std::string contentType;
    // Owned by the handler; it stays alive while the server runs.
    const std::string* body = nullptr;
    // Used when `body` is null (answers made per request).
    std::string text;
};

struct LoopbackSetup {
    // Called once per request with its head (request line and headers) and its body's length;
    // the request body itself is read and dropped.
    std::function<LoopbackAnswer(std::string_view head, std::size_t bodyLength)> handler;
    // A number the child hands back to the parent along with the port (for example a body size).
    long note = 0;
};

class LoopbackServer {
  public:
    // Forks; the child calls `setup` (so what it builds lives only there) and serves until killed.
    // `ok()` is false when the child could not start.
    explicit LoopbackServer(const std::function<LoopbackSetup()>& setup);
    ~LoopbackServer() { stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    long note() const { return note_; }
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    // Ends the child; the benchmarks call it before `_exit` (the network thread never ends).
    void stop();

  private:
    pid_t child_ = -1;
    int port_ = 0;
    long note_ = 0;
};

// A line of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), or a count ("Threads:"); -1 if absent.
long procStatus(const char* key);

}  // namespace busdesk::bench
