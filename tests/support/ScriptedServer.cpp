#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <stdexcept>

#include "platform/RunLoop.h"

namespace busdesk::test {

std::string RecordedRequest::header(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

void ScriptedServer::makeCertificate() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    if (X509_EXTENSION* san =
            X509V3_EXT_conf_nid(nullptr, &ctx, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost")) {
        X509_add_ext(cert, san, -1);
        X509_EXTENSION_free(san);
    }
    X509_sign(cert, key, EVP_sha256());

    unsigned char* der = nullptr;
    int len = i2d_X509(cert, &der);
    certDER_.assign(reinterpret_cast<char*>(der), static_cast<size_t>(len));
    OPENSSL_free(der);
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    long pemLen = BIO_get_mem_data(bio, &data);
    certPEM_.assign(data, static_cast<size_t>(pemLen));
    BIO_free(bio);
    key_ = key;
    cert_ = cert;
}

ScriptedServer::ScriptedServer(Mode mode) : tls_(mode == Mode::TLS) {
    if (tls_) {
        makeCertificate();
        server_ =
            std::make_unique<httplib::SSLServer>(static_cast<X509*>(cert_), static_cast<EVP_PKEY*>(key_));
    } else {
        server_ = std::make_unique<httplib::Server>();
    }
    // Enough workers for every keep-alive connection the client may hold at once, and many
    // requests per connection so reuse can be observed.
    server_->new_task_queue = [] { return new httplib::ThreadPool(16); };
    server_->set_keep_alive_max_count(1000);
    server_->set_tcp_nodelay(true);
    server_->set_keep_alive_timeout(2);
    auto handler = [this](const httplib::Request& req, httplib::Response& res) { dispatch(req, res); };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    server_->Put(".*", handler);
    server_->Patch(".*", handler);
    server_->Delete(".*", handler);
    server_->Options(".*", handler);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("scripted server could not bind");
    // The socket already listens; connections wait in the backlog until the loop accepts them.
    thread_ = std::thread([this] { server_->listen_after_bind(); });
}

namespace {
ScriptedServer* gShared[2] = {nullptr, nullptr};

// Stops the shared servers after the last test, before static destruction: their worker
// threads must not outlive the library statics they use.
class SharedServersEnvironment : public ::testing::Environment {
  public:
    void TearDown() override {
        for (auto*& server : gShared) {
            delete server;
            server = nullptr;
        }
    }
};
const bool kEnvironmentRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new SharedServersEnvironment);
    return true;
}();
}  // namespace

ScriptedServer& ScriptedServer::shared(Mode mode) {
    (void)kEnvironmentRegistered;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    auto& slot = gShared[mode == Mode::Plain ? 0 : 1];
    if (!slot) slot = new ScriptedServer(mode);
    return *slot;
}

ScriptedServer::~ScriptedServer() {
    // stop() does nothing until the accept loop runs; without this wait the listener would
    // block in accept for ever.
    for (int i = 0; i < 100000 && !server_->is_running(); ++i) std::this_thread::yield();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    if (cert_) X509_free(static_cast<X509*>(cert_));
    if (key_) EVP_PKEY_free(static_cast<EVP_PKEY*>(key_));
}

std::string ScriptedServer::baseURL() const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + "/";
}

std::string ScriptedServer::url(const std::string& path) const {
    return baseURL() + path;
}

void ScriptedServer::on(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    routes_["/" + path] = std::move(handler);
}

void ScriptedServer::respond(const std::string& path, int status, const std::string& contentType,
                             const std::string& body) {
    on(path, [status, contentType, body](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_content(body, contentType.c_str());
    });
}

void ScriptedServer::hold(const std::string& path) {
    std::shared_ptr<bool> gate;
    {
        std::lock_guard lock(mutex_);
        if (*gate_) gate_ = std::make_shared<bool>(false);
        gate = gate_;
    }
    on(path, [this, gate, path](const httplib::Request&, httplib::Response& res) {
        std::unique_lock lock(mutex_);
        ++held_[path];
        cv_.notify_all();
        // Tests wait for this on the main run loop, which re-checks only when woken.
        RunLoop::main().post([] {});
        // Bounded so a forgotten release cannot wedge the test run.
        cv_.wait_for(lock, std::chrono::seconds(30), [this, gate] { return *gate || stopping_; });
        --held_[path];
        res.status = 200;
        res.set_content("[\"late\"]", "application/json");
    });
}

void ScriptedServer::releaseHeld() {
    {
        std::lock_guard lock(mutex_);
        *gate_ = true;
    }
    cv_.notify_all();
}

int ScriptedServer::heldCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = held_.find(path);
    return it == held_.end() ? 0 : it->second;
}

void ScriptedServer::dropMidBody(const std::string& path, std::size_t declaredLength, std::size_t sentBytes) {
    on(path, [declaredLength, sentBytes](const httplib::Request&, httplib::Response& res) {
        res.status = 200;
        res.set_content_provider(declaredLength, "application/json",
                                 [sentBytes](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset >= sentBytes) return false;  // drop the connection
                                     std::string chunk(sentBytes - offset, '[');
                                     sink.write(chunk.data(), chunk.size());
                                     return true;
                                 });
    });
}

void ScriptedServer::redirect(const std::string& path, const std::string& location, int status) {
    on(path, [location, status](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_header("Location", location);
    });
}

void ScriptedServer::dispatch(const httplib::Request& req, httplib::Response& res) {
    RecordedRequest record;
    record.method = req.method;
    record.path = req.path;
    auto q = req.target.find('?');
    if (q != std::string::npos) record.query = req.target.substr(q + 1);
    record.headers = req.headers;
    record.body = req.body;
    record.files = req.files;
    record.remotePort = req.remote_port;
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(record));
        auto it = routes_.find(req.path);
        if (it != routes_.end()) handler = it->second;
    }
    if (handler) {
        handler(req, res);
    } else {
        res.status = 404;
        res.set_content("{\"error\":\"no route\"}", "application/json");
    }
}

std::vector<RecordedRequest> ScriptedServer::requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    std::vector<RecordedRequest> result;
    for (const auto& r : requests_) {
        if (r.path == "/" + path) result.push_back(r);
    }
    return result;
}

RecordedRequest ScriptedServer::lastRequest(const std::string& path) const {
    auto all = requests(path);
    return all.empty() ? RecordedRequest{} : all.back();
}

std::size_t ScriptedServer::requestCount(const std::string& path) const {
    return requests(path).size();
}

}  // namespace busdesk::test
