#pragma once

#include <sqlite3.h>

#include <string>

namespace busdesk::sim {

// A prepared statement that finalizes itself; reset() lets a generator reuse it row after row.
class SqlStatement {
  public:
    SqlStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~SqlStatement() { sqlite3_finalize(s_); }
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    SqlStatement& bind(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    SqlStatement& bind(int i, const char* v) { return bind(i, std::string(v)); }
    SqlStatement& bind(int i, double v) {
        sqlite3_bind_double(s_, i, v);
        return *this;
    }
    SqlStatement& bind(int i, int v) { return bind(i, static_cast<long long>(v)); }
    SqlStatement& bind(int i, long v) { return bind(i, static_cast<long long>(v)); }
    SqlStatement& bind(int i, long long v) {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    bool step() { return s_ && sqlite3_step(s_) == SQLITE_ROW; }
    bool run() {
        bool ok = s_ && sqlite3_step(s_) == SQLITE_DONE;
        reset();
        return ok;
    }
    void reset() {
        if (!s_) return;
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    bool valid() const { return s_ != nullptr; }
    std::string text(int c) const {
        auto* p = sqlite3_column_text(s_, c);
        return p ? reinterpret_cast<const char*>(p) : "";
    }
    long long integer(int c) const { return sqlite3_column_int64(s_, c); }
    double real(int c) const { return sqlite3_column_double(s_, c); }

  private:
    sqlite3_stmt* s_ = nullptr;
};

}  // namespace busdesk::sim
