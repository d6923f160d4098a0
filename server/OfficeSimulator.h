#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "server/FaultSet.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace busdesk::sim {

class OfficeDatabase;
class DemoData;
class FeedbackStore;

struct SimOptions {
    std::string host = "127.0.0.1";
    int port = 0;  // 0: an ephemeral port
    std::string dbPath = ":memory:";
    std::string dataDir;  // uploaded photos; empty: a fresh temporary folder
    unsigned seed = 1;
    int threads = 16;
    // The server's "now": empty today means the real local date and time. Tests fix it so what has
    // already happened (trips run, meals paid) is the same on every run.
    std::string today;      // "yyyy-MM-dd"
    std::string timeOfDay;  // "HH:mm:ss", with today; "12:00:00" when empty
};

// JSON text with numbers written the way people write them (144.7, not 1.447E2).
std::string jsonText(const boost::json::value& v);

// The substitute office server: every office-service method at its address, answers drawn from a
// seeded SQLite database, and switchable faults. Runs its own listening thread; safe to start and
// stop from a test. A temporary data folder it made itself is removed when it is destroyed.

class OfficeSimulator {
  public:
    explicit OfficeSimulator(SimOptions options = {});
    ~OfficeSimulator();
    OfficeSimulator(const OfficeSimulator&) = delete;
    OfficeSimulator& operator=(const OfficeSimulator&) = delete;

    bool start();
    bool start(const std::string& host, int port = 0);  // port 0: an ephemeral one
    void stop();
    int port() const { return port_; }
    std::string baseURL() const;  // "http://host:port/"
    const std::string& dataDir() const { return options_.dataDir; }
    const std::string& lastError() const { return error_; }
    FaultSet& faults() { return faults_; }
    long requestCount() const { return requests_.load(); }

  private:
    struct Answer;
    void install();
    void handleOffice(const httplib::Request& req, httplib::Response& res);
    Answer answer(const std::string& method, const httplib::Request& req);
    // `runDate`: the request's RunDate, for a fault set on one day of a method.
    void deliver(const std::string& method, const std::string& runDate, Answer a, httplib::Response& res);
    bool waitOrStop(int milliseconds) const;
    std::string hostOf(const httplib::Request& req) const;
    std::string base(const httplib::Request& req) const;  // "http://host:port/" as the client reached us
    std::string nowStamp() const;

    SimOptions options_;
    std::unique_ptr<OfficeDatabase> db_;
    std::unique_ptr<DemoData> demo_;
    std::unique_ptr<FeedbackStore> feedback_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    FaultSet faults_;
    int port_ = 0;
    std::string error_;
    std::atomic<bool> stopping_{false};
    std::atomic<long> requests_{0};
    bool ownsDataDir_ = false;
};

}  // namespace busdesk::sim
