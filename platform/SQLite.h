#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Error.h"

struct sqlite3;
struct sqlite3_stmt;

// The client's one way into SQLite: a database file of its own (mode 0600, WAL journal, a schema
// with a version), prepared statements kept for reuse, transactions, and every failure as an
// `Error` value (domain "SQLite", the SQLite result code) — a full disk, a read-only folder or a
// damaged file never throws and never crashes. A connection belongs to one thread at a time; the
// callers keep it on a queue of their own, never on the main thread.
namespace busdesk::sqlite {

inline constexpr const char* kErrorDomain = "SQLite";

// What a database file must hold: the statements that make it, and the number they make.
struct Schema {
    int version = 1;
    std::string create;  // run once in a new file, in one transaction
    // A cache: a file made by an earlier version of the schema has its tables dropped and is made
    // again in place, rather than being moved aside as damaged.
    bool remakesOlderVersions = false;
};

class Statement {
  public:
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Parameters are numbered from 1, as SQLite numbers them.
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::string_view bytes);
    Statement& bind(int index, std::int64_t value);

    enum class Step { Row, Done, Failed };
    // The next row; Failed leaves the reason in the database's lastError().
    Step step();
    // Runs to the end (a statement that returns no rows); the error, or nothing.
    std::optional<Error> run();

    // Columns are numbered from 0; the views are valid until the next step or reset.
    std::string_view blob(int column) const;
    std::string_view text(int column) const;
    std::int64_t integer(int column) const;

    // Ready for the next use, its bindings cleared.
    void reset();

  private:
    friend class Database;
    Statement(class Database& db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}
    class Database& db_;
    sqlite3_stmt* statement_ = nullptr;
};

class Database {
  public:
    // What open() did to give a usable file.
    struct Opened {
        std::unique_ptr<Database> database;
        // The damaged file moved aside (path of the copy), when there was one.
        std::optional<std::string> movedAside;
    };

    // Opens `path` (its folder made 0700 when missing), making it with `schema` when new. A file
    // that is not a database, is damaged, or holds another schema is moved aside as
    // "<path>.corrupt-N" (with its journal files) and a new one is made. Nothing but an error
    // when the file cannot be opened or made (read-only folder, full disk).
    static std::variant<Opened, Error> open(const std::string& path, const Schema& schema);
    // For damage found later (a statement answered isDamage): closes `damaged`, moves its file
    // aside the same way and makes a new one.
    static std::variant<Opened, Error> replace(std::unique_ptr<Database> damaged, const Schema& schema,
                                               const Error& why);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& path() const { return path_; }

    // A statement prepared once per text and kept; nothing (and lastError()) when it does not
    // compile. Reset and unbound on return.
    Statement* prepare(std::string_view sql);
    std::optional<Error> exec(std::string_view sql);
    // Runs `body` inside BEGIN IMMEDIATE … COMMIT; an error from `body` or from the commit rolls
    // everything back and is returned.
    std::optional<Error> transaction(const std::function<std::optional<Error>()>& body);

    Error lastError() const;
    // The damage a file can have: SQLITE_CORRUPT, SQLITE_NOTADB.
    static bool isDamage(const Error& error);

    // SQLite calls made on the main thread since start (the app must make none).
    static std::uint64_t mainThreadCalls();

  private:
    friend class Statement;
    Database(std::string path, sqlite3* handle) : path_(std::move(path)), db_(handle) {}
    void noteCall() const;
    std::string path_;
    sqlite3* db_ = nullptr;
    std::map<std::string, std::unique_ptr<Statement>, std::less<>> statements_;
};

}  // namespace busdesk::sqlite
