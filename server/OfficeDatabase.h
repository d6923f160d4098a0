#pragma once

#include <boost/json.hpp>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace busdesk::sim {

struct Employee {
    std::string cardID;           // staff card number typed at login
    boost::json::object profile;  // the login answer's employee fields
    std::string password;
    std::string empID, name, oneCardID;
    std::string bus;    // a conductor's or own driver's vehicle; empty for relief drivers and office staff
    int shift = 0;      // with bus: 1 early, 2 late
    std::string route;  // the route a driver or conductor belongs to; empty for office staff
    int depot = 0;
    bool isDriver = false;
};

// The company's reference data (employees, depots, routes, buses, bulletins) and what staff send
// in (feedback and photos), kept in SQLite. Day-dependent operations data is derived from it by
// DemoData, deterministically, so any day asked for has data.
class OfficeDatabase {
  public:
    // today: days since 1970, the day bulletins and past suggestions are dated from at first start.
    OfficeDatabase(const std::string& path, unsigned seed, long today);
    ~OfficeDatabase();
    OfficeDatabase(const OfficeDatabase&) = delete;
    OfficeDatabase& operator=(const OfficeDatabase&) = delete;

    bool ok() const { return db_ != nullptr; }
    const std::string& lastError() const { return error_; }

    // Looks up by staff card number or by employee identifier.
    std::optional<Employee> employee(const std::string& cardOrEmpID) const;
    std::optional<Employee> employeeByBusCard(const std::string& oneCardID) const;
    bool setPassword(const std::string& cardID, const std::string& password);

    // kind 2 announcements, 3 regulations; page from 1, 10 a page.
    // base ("http://host:port/") makes the pictures in the bodies absolute.
    boost::json::array bulletins(int kind, int page, const std::string& base) const;
    int bulletinCount(int kind) const;

    // Runs f(sqlite3*) under the connection's lock: one connection serves every request thread.
    template <class F>
    auto withConnection(F&& f) const {
        std::lock_guard lock(mutex_);
        return f(db_);
    }

  private:
    void createSchema();
    void seedIfEmpty(unsigned seed, long today);
    bool exec(const std::string& sql);

    sqlite3* db_ = nullptr;
    std::string error_;
    mutable std::mutex mutex_;
};

}  // namespace busdesk::sim
