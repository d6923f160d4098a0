#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>
// <arpa/nameser_compat.h>, pulled in by httplib, defines DELETE, which is also a verb of the
// request manager.
#ifdef DELETE
#undef DELETE
#endif

namespace busdesk::test {

// What the scripted server saw of one request.
struct RecordedRequest {
    std::string method;
    std::string path;
    std::string query;  // raw text after "?", as sent
    httplib::Headers headers;
    std::string body;
    httplib::MultipartFormDataMap files;
    int remotePort = 0;

    std::string header(const std::string& name) const;
    bool hasHeader(const std::string& name) const { return headers.count(name) > 0; }
};

// A loopback HTTP (or HTTPS, with a self-signed certificate made at start) server whose answers
// a test scripts per path. Every request is recorded.
class ScriptedServer {
  public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
    enum class Mode { Plain, TLS };

    explicit ScriptedServer(Mode mode = Mode::Plain);
    // One server per mode for the whole test run, never torn down: stopping a server waits for
    // every kept-alive connection to time out, which would cost seconds per test. Tests sharing
    // it use paths of their own and ask for the requests of their path.
    static ScriptedServer& shared(Mode mode = Mode::Plain);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT/" (or https).
    std::string baseURL() const;
    std::string url(const std::string& path) const;  // path without leading "/"

    // Any method on `path` (exact match of the path without query).
    void on(const std::string& path, Handler handler);
    void respond(const std::string& path, int status, const std::string& contentType,
                 const std::string& body);
    // Holds the answer until releaseHeld() or the server stops.
    void hold(const std::string& path);
    void releaseHeld();
    // Announces `declaredLength` bytes, sends `sentBytes` of them, then drops the connection.
    void dropMidBody(const std::string& path, std::size_t declaredLength, std::size_t sentBytes);
    void redirect(const std::string& path, const std::string& location, int status = 302);

    std::vector<RecordedRequest> requests(const std::string& path) const;
    RecordedRequest lastRequest(const std::string& path) const;
    std::size_t requestCount(const std::string& path) const;
    int heldCount(const std::string& path) const;

    // TLS mode: the server certificate, DER and PEM.
    const std::string& certificateDER() const { return certDER_; }
    const std::string& certificatePEM() const { return certPEM_; }

  private:
    void dispatch(const httplib::Request& req, httplib::Response& res);
    void makeCertificate();

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    bool tls_ = false;
    std::string certDER_, certPEM_;
    void* key_ = nullptr;   // EVP_PKEY*
    void* cert_ = nullptr;  // X509*

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::map<std::string, Handler> routes_;
    std::vector<RecordedRequest> requests_;
    std::shared_ptr<bool> gate_ = std::make_shared<bool>(false);  // true once released
    bool stopping_ = false;
    std::map<std::string, int> held_;
};

}  // namespace busdesk::test
