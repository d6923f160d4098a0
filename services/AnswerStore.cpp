#include "services/AnswerStore.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "core/SessionEnd.h"
#include "platform/Crypto.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "platform/SQLite.h"

namespace busdesk {

namespace {

// The sealed answers live in a rowid table, with the lookup in an index of its own: were the
// lookup the key of the table itself, every comparison on the way down its tree would read a
// whole answer (tens of overflow pages), and a full store would open slower than an empty one.
// Version 1 was keyed so; a file of it is made again, a cache losing nothing it needs.
const sqlite::Schema kSchema{
    2,
    "CREATE TABLE answer(id INTEGER PRIMARY KEY, lookup BLOB NOT NULL UNIQUE, owner BLOB NOT NULL,"
    " fetched REAL NOT NULL, used INTEGER NOT NULL, size INTEGER NOT NULL, box BLOB NOT NULL);"
    "CREATE INDEX answer_owner ON answer(owner);"
    "CREATE INDEX answer_used ON answer(used)",
    true};

std::mutex& installedMutex() {
    static std::mutex m;
    return m;
}
std::shared_ptr<AnswerStore>& installedStore() {
    static std::shared_ptr<AnswerStore> store;
    return store;
}

// What the main thread hands a job: who is signed in, with the key their rows are sealed with.
struct Owner {
    std::string user;
    SecretBytes key;
    std::string ownerTag() const { return crypto::keyedHash(key, "owner\n" + user); }
    std::string lookup(const QueryKey& queryKey) const {
        return crypto::keyedHash(key, "answer\n" + queryKey.text());
    }
};

// The sealed form of an answer: the content type's length (4 bytes), the content type, the body.
std::string packAnswer(const RawAnswer& raw) {
    std::string packed;
    const auto length = static_cast<std::uint32_t>(raw.contentType.size());
    packed.reserve(4 + raw.contentType.size() + raw.body.size());
    for (int shift = 24; shift >= 0; shift -= 8) packed += static_cast<char>((length >> shift) & 0xff);
    packed += raw.contentType;
    packed += raw.body;
    return packed;
}

std::optional<std::pair<std::string, std::string_view>> unpackAnswer(std::string_view packed) {
    if (packed.size() < 4) return std::nullopt;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length = (length << 8) | static_cast<unsigned char>(packed[static_cast<std::size_t>(i)]);
    if (packed.size() - 4 < length) return std::nullopt;
    return std::pair{std::string(packed.substr(4, length)), packed.substr(4 + length)};
}

}  // namespace

// Lives on the store's queue: the connection and what was already said in the log.
struct AnswerStore::Worker {
    std::string path;
    Bounds bounds;
    std::unique_ptr<sqlite::Database> db;
    bool openFailureLogged = false;
    bool writeFailureLogged = false;
    // Lookups of the answers read since the last write, oldest first.
    std::vector<std::string> used;
    static constexpr std::size_t kUsesGathered = 32;

    sqlite::Database* database() {
        if (db) return db.get();
        auto opened = sqlite::Database::open(path, kSchema);
        if (auto* error = std::get_if<Error>(&opened)) {
            if (!openFailureLogged)
                Log::line("answers: cannot open " + path + " (" + error->description +
                          "), answers are not kept");
            openFailureLogged = true;
            return nullptr;
        }
        db = std::move(std::get<sqlite::Database::Opened>(opened).database);
        // A cache: with the WAL journal, NORMAL still never leaves a damaged file, and a power cut
        // loses at most the last answers kept. FULL would flush the disk at every read's mark.
        db->exec("PRAGMA synchronous=NORMAL");
        return db.get();
    }

    // A failed statement: damage replaces the file; anything else is said once.
    void failed(const Error& error) {
        if (db && sqlite::Database::isDamage(error)) {
            auto replaced = sqlite::Database::replace(std::move(db), kSchema, error);
            if (auto* opened = std::get_if<sqlite::Database::Opened>(&replaced))
                db = std::move(opened->database);
            return;
        }
        if (!writeFailureLogged) Log::line("answers: cannot keep an answer (" + error.description + ")");
        writeFailureLogged = true;
    }

    void removeOld(double now) {
        auto* remove = db->prepare("DELETE FROM answer WHERE fetched < ?1 OR fetched > ?2");
        if (!remove) return;
        // A row "fetched" far in the future came from a clock set wrong: it could never age out.
        remove->bind(1, static_cast<std::int64_t>(now - bounds.maxAgeSeconds))
            .bind(2, static_cast<std::int64_t>(now + 24 * 3600.0));
        if (auto error = remove->run()) failed(*error);
    }

    // Least recently used rows out until the rest fits.
    std::optional<Error> fitSize() {
        auto* total = db->prepare("SELECT coalesce(sum(size), 0) FROM answer");
        if (!total) return db->lastError();
        std::int64_t bytes = total->step() == sqlite::Statement::Step::Row ? total->integer(0) : 0;
        total->reset();
        if (bytes <= bounds.maxTotalBytes) return std::nullopt;
        auto* oldest = db->prepare("SELECT used, size FROM answer ORDER BY used");
        if (!oldest) return db->lastError();
        std::int64_t upTo = -1;
        while (bytes > bounds.maxTotalBytes && oldest->step() == sqlite::Statement::Step::Row) {
            upTo = oldest->integer(0);
            bytes -= oldest->integer(1);
        }
        oldest->reset();
        auto* remove = db->prepare("DELETE FROM answer WHERE used <= ?1");
        if (!remove) return db->lastError();
        return remove->bind(1, upTo).run();
    }

    void store(const Owner& owner, const QueryKey& key, const std::string& packed, double fetched) {
        if (!database()) return;
        const std::string lookup = owner.lookup(key);
        auto error = db->transaction([&]() -> std::optional<Error> {
            auto* put = db->prepare(
                "INSERT OR REPLACE INTO answer(lookup, owner, fetched, used, size, box)"
                " VALUES(?1, ?2, ?3, (SELECT coalesce(max(used), 0) + 1 FROM answer), ?4, ?5)");
            if (!put) return db->lastError();
            const std::string box = crypto::seal(owner.key, packed, lookup);
            put->bindBlob(1, lookup)
                .bindBlob(2, owner.ownerTag())
                .bind(3, static_cast<std::int64_t>(fetched))
                .bind(4, static_cast<std::int64_t>(box.size() + lookup.size() + 64))
                .bindBlob(5, box);
            if (auto e = markUses()) return e;
            if (auto e = put->run()) return e;
            return fitSize();
        });
        if (error) return failed(*error);
        writeFailureLogged = false;
        removeOld(fetched);
    }

    void forgetKey(const Owner& owner, const QueryKey& key) {
        if (!database()) return;
        auto* remove = db->prepare("DELETE FROM answer WHERE lookup = ?1");
        if (!remove) return;
        if (auto error = remove->bindBlob(1, owner.lookup(key)).run()) failed(*error);
    }

    std::optional<std::pair<std::string, double>> find(const Owner& owner, const QueryKey& key, double now) {
        if (!database()) return std::nullopt;
        const std::string lookup = owner.lookup(key);
        auto* select = db->prepare("SELECT fetched, box FROM answer WHERE lookup = ?1 AND owner = ?2");
        if (!select) return std::nullopt;
        select->bindBlob(1, lookup).bindBlob(2, owner.ownerTag());
        const auto step = select->step();
        if (step == sqlite::Statement::Step::Failed) {
            const Error error = db->lastError();
            select->reset();
            failed(error);
            return std::nullopt;
        }
        if (step == sqlite::Statement::Step::Done) {
            select->reset();
            return std::nullopt;
        }
        const double fetched = static_cast<double>(select->integer(0));
        auto opened = crypto::open(owner.key, select->blob(1), lookup);
        select->reset();
        if (!opened || fetched < now - bounds.maxAgeSeconds) {
            // Too old, or it does not open (damaged, or sealed with a key this user no longer has).
            forgetKey(owner, key);
            return std::nullopt;
        }
        return std::pair{std::string(opened->view()), fetched};
    }

    // Marks the entry as the one used last (the eviction order). The marks are writes, and a read
    // would wait for them or share a core with the screen showing its answer: they are gathered and
    // written with the next answer kept, or when the store closes.
    void noteUse(const Owner& owner, const QueryKey& key) {
        used.push_back(owner.lookup(key));
        if (used.size() >= kUsesGathered) writeUses();
    }

    std::optional<Error> markUses() {
        if (used.empty()) return std::nullopt;
        auto* update =
            db->prepare("UPDATE answer SET used = (SELECT max(used) + 1 FROM answer) WHERE lookup = ?1");
        if (!update) return db->lastError();
        for (const auto& lookup : used)
            if (auto error = update->bindBlob(1, lookup).run()) return error;
        used.clear();
        return std::nullopt;
    }

    void writeUses() {
        if (used.empty() || !database()) return;
        if (auto error = db->transaction([&] { return markUses(); })) failed(*error);
        used.clear();
    }

    void removeOwner(const Owner& owner) {
        if (!database()) return;
        auto* remove = db->prepare("DELETE FROM answer WHERE owner = ?1");
        if (!remove) return;
        if (auto error = remove->bindBlob(1, owner.ownerTag()).run()) failed(*error);
    }
};

AnswerStore::AnswerStore(std::string path, Bounds bounds)
    : path_(std::move(path)),
      bounds_(bounds),
      worker_(std::make_shared<Worker>(Worker{path_, bounds_, nullptr, false, false, {}})),
      queue_("org.busdesk.answers", 1) {}

AnswerStore::~AnswerStore() {
    // The queue runs what it holds before it stops: the marks of use go last.
    queue_.async([worker = worker_] { worker->writeUses(); });
}

std::shared_ptr<AnswerStore> AnswerStore::install() {
    auto store = std::make_shared<AnswerStore>(Paths::cacheDir() + "/answers.sqlite");
    {
        std::lock_guard lock(installedMutex());
        installedStore() = store;
    }
    setQueryObserver(store);
    SessionEnd::add("answers", [](EndedSession&) {
        if (auto current = installed()) current->signOut(true);
    });
    return store;
}

std::shared_ptr<AnswerStore> AnswerStore::installed() {
    std::lock_guard lock(installedMutex());
    return installedStore();
}

void AnswerStore::uninstall() {
    std::shared_ptr<AnswerStore> store;
    {
        std::lock_guard lock(installedMutex());
        store.swap(installedStore());
    }
    setQueryObserver(nullptr);
    SessionEnd::remove("answers");
}

void AnswerStore::post(std::function<void(Worker&)> work) {
    RunLoop::main().beginWork();
    queue_.async([worker = worker_, work = std::move(work)] {
        work(*worker);
        dispatchMain([] { RunLoop::main().endWork(); });
    });
}

void AnswerStore::signIn(std::string user, SecretBytes dataKey) {
    user_ = std::move(user);
    key_ = std::move(dataKey);
}

void AnswerStore::signOut(bool deleteRows) {
    if (deleteRows && signedIn())
        post([owner = Owner{user_, key_}](Worker& worker) { worker.removeOwner(owner); });
    user_.clear();
    key_.clear();
}

bool AnswerStore::lookUp(const QueryKey& key, const Reader& read, const std::function<void()>& finished) {
    if (!signedIn() || key.user != user_) return false;
    post([owner = Owner{user_, key_}, key, read, finished,
          now = Date::now().secondsSince1970](Worker& worker) {
        std::function<void()> job;
        if (auto found = worker.find(owner, key, now)) {
            if (auto unpacked = unpackAnswer(found->first)) {
                job = read(RawAnswer{unpacked->second, unpacked->first}, Date{found->second});
                worker.noteUse(owner, key);
            }
        }
        if (job || finished)
            dispatchMain([job = std::move(job), finished] {
                if (job) job();
                if (finished) finished();
            });
    });
    return true;
}

void AnswerStore::queryDidDecode(const QueryKey& key, const RawAnswer& answer) {
    if (!signedIn() || key.user != user_) return;
    if (answer.body.size() > bounds_.maxAnswerBytes) {
        // Not kept; an older answer under the key would now be the wrong one to show.
        post([owner = Owner{user_, key_}, key](Worker& worker) { worker.forgetKey(owner, key); });
        return;
    }
    post([owner = Owner{user_, key_}, key, packed = packAnswer(answer),
          fetched = Date::now().secondsSince1970](Worker& worker) {
        worker.store(owner, key, packed, fetched);
    });
}

void AnswerStore::whenIdle(std::function<void()> done) {
    post([done = std::move(done)](Worker&) { dispatchMain(done); });
}

}  // namespace busdesk
