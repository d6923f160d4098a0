#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace busdesk::bench {

namespace {

// Head and body in one call where the kernel takes them, so a small answer leaves as one segment.
bool sendAll(int fd, std::string_view head, std::string_view body) {
    iovec parts[2] = {{const_cast<char*>(head.data()), head.size()},
                      {const_cast<char*>(body.data()), body.size()}};
    int first = 0;
    while (first < 2) {
        msghdr message{};
        message.msg_iov = parts + first;
        message.msg_iovlen = static_cast<size_t>(2 - first);
        ssize_t n = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n <= 0) return false;
        auto sent = static_cast<size_t>(n);
        while (first < 2 && sent >= parts[first].iov_len) sent -= parts[first++].iov_len;
        if (first < 2) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + sent;
            parts[first].iov_len -= sent;
        }
    }
    return true;
}

void serveConnection(int fd, const LoopbackSetup* setup) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string buffer;
    static thread_local char chunk[65536];
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
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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
        LoopbackAnswer answer = setup->handler(head, length);
        std::string_view body = answer.body ? std::string_view(*answer.body) : std::string_view(answer.text);
        std::string responseHead = "HTTP/1.1 200 OK\r\nContent-Type: " + answer.contentType +
                                   "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
        if (!sendAll(fd, responseHead, body)) {
            close(fd);
            return;
        }
    }
}

[[noreturn]] void runChild(const std::function<LoopbackSetup()>& makeSetup, int writeFd) {
    static LoopbackSetup setup = makeSetup();
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 256) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        _exit(1);
    }
    long info[2] = {ntohs(addr.sin_port), setup.note};
    if (write(writeFd, info, sizeof info) != sizeof info) _exit(1);
    close(writeFd);
    for (;;) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        std::thread(serveConnection, fd, &setup).detach();
    }
}

}  // namespace

LoopbackServer::LoopbackServer(const std::function<LoopbackSetup()>& setup) {
    int fds[2];
    if (pipe(fds) != 0) return;
    child_ = fork();
    if (child_ == 0) {
        close(fds[0]);
        runChild(setup, fds[1]);
    }
    close(fds[1]);
    long info[2] = {0, 0};
    if (child_ > 0 && read(fds[0], info, sizeof info) == sizeof info && info[0] > 0) {
        port_ = static_cast<int>(info[0]);
        note_ = info[1];
    }
    close(fds[0]);
}

void LoopbackServer::stop() {
    if (child_ <= 0) return;
    kill(child_, SIGTERM);
    waitpid(child_, nullptr, 0);
    child_ = -1;
}

long procStatus(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

}  // namespace busdesk::bench
