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
};

// The company's reference data (employees, depots, routes, buses, bulletins) and what staff send
// in (feedback and photos), kept in SQLite. Day-dependent operations data is derived from it by
// DemoData, deterministically, so any day asked for has data.
class OfficeDatabase {
  public:
    OfficeDatabase(const std::string& path, unsigned seed);
    ~OfficeDatabase();
    OfficeDatabase(const OfficeDatabase&) = delete;
    OfficeDatabase& operator=(const OfficeDatabase&) = delete;

    bool ok() const { return db_ != nullptr; }
    const std::string& lastError() const { return error_; }

    // Looks up by staff card number or by employee identifier.
    std::optional<Employee> employee(const std::string& cardOrEmpID) const;
    std::optional<Employee> employeeByBusCard(const std::string& oneCardID) const;
    std::vector<Employee> drivers() const;
    bool setPassword(const std::string& cardID, const std::string& password);

    struct Route {
        std::string id, name, first, last;
        double length;
    };
    std::vector<Route> routes() const;
    std::vector<std::string> buses() const;  // vehicle numbers
    std::string depotName(int i) const;

    // kind 2 announcements, 3 regulations; page from 1, 10 a page.
    boost::json::array bulletins(int kind, int page) const;
    int bulletinCount(int kind) const;

    long long addSuggestion(const std::string& empid, const std::string& content, const std::string& parentID,
                            const std::string& type, const std::string& when);
    bool suggestionExists(long long id) const;
    void addSuggestionImage(long long id, const std::string& fileName);
    struct Suggestion {
        long long id;
        std::string empid, content, parentID, type, queTime, ansContent, ansTime;
        std::vector<std::string> images;
    };
    std::vector<Suggestion> suggestions(const std::string& empid) const;

  private:
    void createSchema();
    void seedIfEmpty(unsigned seed);
    bool exec(const std::string& sql);

    sqlite3* db_ = nullptr;
    std::string error_;
    mutable std::mutex mutex_;
};

}  // namespace busdesk::sim
