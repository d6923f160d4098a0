#include "platform/SQLite.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"

namespace busdesk::sqlite {

namespace {

std::atomic<std::uint64_t> gMainThreadCalls{0};

// Damaged copies kept beside a database; older ones go.
constexpr std::size_t kKeptDamagedCopies = 3;
// How long a statement waits for another connection's write to finish (off the main thread).
constexpr int kBusyTimeoutMs = 5000;

Error errorOf(sqlite3* db, int code) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return Error(kErrorDomain, code, message);
}

Error errnoError(const std::string& what) {
    return Error(kErrorDomain, SQLITE_CANTOPEN, what + ": " + std::strerror(errno));
}

// Makes the file with mode 0600 before SQLite sees it (SQLite would make it with the umask's
// mode, and its journal files copy the file's mode), and narrows an existing one.
std::optional<Error> prepareFile(const std::string& path) {
    if (!Paths::ensureDirectory(atomic_file::parentOf(path)))
        return errnoError("cannot make the folder of " + path);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return errnoError("cannot open " + path);
    ::fchmod(fd, 0600);
    ::close(fd);
    return std::nullopt;
}

enum class Check { Usable, Damaged, Failed };

// Drops every table of `db` (their indexes go with them), inside the caller's transaction.
std::optional<Error> dropTables(sqlite3* db) {
    std::vector<std::string> names;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite_%'", -1,
        &statement, nullptr);
    if (rc != SQLITE_OK) return errorOf(db, rc);
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) return errorOf(db, rc);
    for (const auto& name : names) {
        std::string quoted = "\"";
        for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        rc = sqlite3_exec(db, ("DROP TABLE " + quoted + "\"").c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return errorOf(db, rc);
    }
    return std::nullopt;
}

// Opens `path`, switches to WAL and checks (or makes) the schema.
std::variant<sqlite3*, Error> openChecked(const std::string& path, const Schema& schema, Check& check) {
    check = Check::Failed;
    if (auto error = prepareFile(path)) return *error;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        Error error = errorOf(db, rc);
        sqlite3_close(db);
        if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) check = Check::Damaged;
        return error;
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    auto fail = [&](int code) -> std::variant<sqlite3*, Error> {
        Error error = errorOf(db, code);
        sqlite3_close(db);
        check = code == SQLITE_CORRUPT || code == SQLITE_NOTADB ? Check::Damaged : Check::Failed;
        return error;
    };
    // Reading the version reads the header: random bytes fail here as "not a database".
    int version = -1;
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr);
    if (rc != SQLITE_OK) return fail(rc);
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) version = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    if (rc != SQLITE_ROW) return fail(rc);
    rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return fail(rc);
    if (version == schema.version) {
        check = Check::Usable;
        return db;
    }
    const auto older = [&schema](int v) {
        return schema.remakesOlderVersions && v > 0 && v < schema.version;
    };
    if (version != 0 && !older(version)) {
        sqlite3_close(db);
        check = Check::Damaged;
        return Error(kErrorDomain, SQLITE_NOTADB, "holds schema " + std::to_string(version));
    }
    // Version 0: a new file, or a file of someone else's tables; or an older version of a cache.
    // BEGIN IMMEDIATE so that two connections making the file at once do it one after the other.
    rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return fail(rc);
    rc = sqlite3_prepare_v2(
        db, "SELECT user_version, (SELECT count(*) FROM sqlite_schema) FROM pragma_user_version", -1,
        &statement, nullptr);
    int tables = -1;
    if (rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        version = sqlite3_column_int(statement, 0);
        tables = sqlite3_column_int(statement, 1);
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return fail(rc);
    }
    if (version == schema.version) {  // another connection made it meanwhile
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        check = Check::Usable;
        return db;
    }
    if (older(version)) {
        if (auto error = dropTables(db)) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            return *error;
        }
        Log::line("sqlite: " + path + " held schema " + std::to_string(version) + ", made again as " +
                  std::to_string(schema.version));
    } else if (version != 0 || tables != 0) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        check = Check::Damaged;
        return Error(kErrorDomain, SQLITE_NOTADB, "holds tables of another schema");
    }
    const std::string make =
        schema.create + ";PRAGMA user_version=" + std::to_string(schema.version) + ";COMMIT";
    rc = sqlite3_exec(db, make.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        Error error = errorOf(db, rc);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return error;
    }
    check = Check::Usable;
    return db;
}

}  // namespace

// ---- Statement

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::bind(int index, std::string_view text) {
    db_.noteCall();
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    db_.noteCall();
    sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    db_.noteCall();
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement::Step Statement::step() {
    db_.noteCall();
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return Step::Row;
    if (rc == SQLITE_DONE) return Step::Done;
    return Step::Failed;
}

std::optional<Error> Statement::run() {
    Step result = step();
    while (result == Step::Row) result = step();
    std::optional<Error> error;
    if (result == Step::Failed) error = db_.lastError();
    reset();
    return error;
}

std::string_view Statement::blob(int column) const {
    db_.noteCall();
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (!data || size <= 0) return {};
    return {static_cast<const char*>(data), static_cast<std::size_t>(size)};
}

std::string_view Statement::text(int column) const {
    db_.noteCall();
    const unsigned char* data = sqlite3_column_text(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (!data || size <= 0) return {};
    return {reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)};
}

std::int64_t Statement::integer(int column) const {
    db_.noteCall();
    return sqlite3_column_int64(statement_, column);
}

void Statement::reset() {
    db_.noteCall();
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

// ---- Database

namespace {

// Moves the damaged file at `path` (and its journal files) aside, says so once, and makes a new one.
std::variant<sqlite3*, Error> replaceDamaged(const std::string& path, const Schema& schema,
                                             const std::string& why, std::optional<std::string>& movedAside) {
    auto aside = atomic_file::moveAside(path, kKeptDamagedCopies);
    if (!aside) return errnoError("cannot move the damaged " + path + " aside");
    for (const char* suffix : {"-wal", "-shm"})
        if (::rename((path + suffix).c_str(), (*aside + suffix).c_str()) != 0)
            ::unlink((path + suffix).c_str());
    Log::line("sqlite: damaged " + path + " (" + why + ") moved to " + *aside + ", a new one is made");
    movedAside = *aside;
    Check check = Check::Failed;
    return openChecked(path, schema, check);
}

}  // namespace

std::variant<Database::Opened, Error> Database::open(const std::string& path, const Schema& schema) {
    if (RunLoop::main().isOwnerThread()) ++gMainThreadCalls;
    Opened opened;
    Check check = Check::Failed;
    auto result = openChecked(path, schema, check);
    if (std::holds_alternative<Error>(result) && check == Check::Damaged)
        result = replaceDamaged(path, schema, std::get<Error>(result).description, opened.movedAside);
    if (auto* error = std::get_if<Error>(&result)) return *error;
    opened.database.reset(new Database(path, std::get<sqlite3*>(result)));
    return opened;
}

std::variant<Database::Opened, Error> Database::replace(std::unique_ptr<Database> damaged,
                                                        const Schema& schema, const Error& why) {
    const std::string path = damaged->path();
    damaged.reset();
    if (RunLoop::main().isOwnerThread()) ++gMainThreadCalls;
    Opened opened;
    auto result = replaceDamaged(path, schema, why.description, opened.movedAside);
    if (auto* error = std::get_if<Error>(&result)) return *error;
    opened.database.reset(new Database(path, std::get<sqlite3*>(result)));
    return opened;
}

Database::~Database() {
    statements_.clear();
    sqlite3_close(db_);
}

void Database::noteCall() const {
    if (RunLoop::main().isOwnerThread()) ++gMainThreadCalls;
}

std::uint64_t Database::mainThreadCalls() {
    return gMainThreadCalls.load();
}

Statement* Database::prepare(std::string_view sql) {
    noteCall();
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        it->second->reset();
        return it->second.get();
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    auto statement = std::unique_ptr<Statement>(new Statement(*this, raw));
    Statement* result = statement.get();
    statements_.emplace(std::string(sql), std::move(statement));
    return result;
}

std::optional<Error> Database::exec(std::string_view sql) {
    noteCall();
    const std::string text(sql);
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return errorOf(db_, rc);
    return std::nullopt;
}

std::optional<Error> Database::transaction(const std::function<std::optional<Error>()>& body) {
    if (auto error = exec("BEGIN IMMEDIATE")) return error;
    std::optional<Error> error = body();
    if (!error) error = exec("COMMIT");
    if (error) exec("ROLLBACK");
    return error;
}

Error Database::lastError() const {
    return errorOf(db_, sqlite3_errcode(db_));
}

bool Database::isDamage(const Error& error) {
    return error.domain == kErrorDomain && (error.code == SQLITE_CORRUPT || error.code == SQLITE_NOTADB);
}

}  // namespace busdesk::sqlite
