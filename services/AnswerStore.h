#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Date.h"
#include "platform/DispatchQueue.h"
#include "platform/SecretBytes.h"
#include "services/OfficeQuery.h"

namespace busdesk {

namespace sqlite {
class Database;
}

// How much the answer store keeps.
struct AnswerStoreBounds {
    double maxAgeSeconds = 30 * 24 * 3600.0;
    std::int64_t maxTotalBytes = 20 * 1024 * 1024;
    std::size_t maxAnswerBytes = 5 * 1024 * 1024;
};

// The last accepted answer of every typed office query, kept for when the office cannot be
// reached: one SQLite file (`answers.sqlite` in the cache folder), one row per query key, each
// row sealed with the signed-in user's data key (the key text is not in the file: a row is found
// by a keyed hash of it). Rows past the age bound are neither shown nor kept; the file stays under
// the size bound, least recently used rows out first; a larger answer is not kept at all.
//
// The main thread only posts: every SQLite call runs on the store's own serial queue, and what a
// look-up finds comes back on the main loop (counted as outstanding work until then). A store
// that cannot be opened or written (read-only folder, full disk) keeps nothing and says so once in
// the log; a damaged file is moved aside and a new one made.
class AnswerStore : public QueryObserver {
  public:
    using Bounds = AnswerStoreBounds;

    explicit AnswerStore(std::string path, Bounds bounds = Bounds());
    ~AnswerStore() override;
    AnswerStore(const AnswerStore&) = delete;
    AnswerStore& operator=(const AnswerStore&) = delete;

    // The store of the cache folder as the app uses it: made, installed as the query observer and
    // registered with the sign-out steps (signing out deletes the user's rows). Main thread.
    static std::shared_ptr<AnswerStore> install();
    // The installed store, when there is one.
    static std::shared_ptr<AnswerStore> installed();
    static void uninstall();

    // From a sign-in on: answers of `user` are kept and shown, sealed with `dataKey`. Main thread.
    void signIn(std::string user, SecretBytes dataKey);
    // Nothing is kept or shown any more; with `deleteRows`, the user's rows are deleted.
    void signOut(bool deleteRows);
    bool signedIn() const { return !user_.empty(); }

    // Looks `key` up; when a row is found (and opens), `read` runs with it on the store's queue
    // and the job it returns (when not empty) on the main loop, then `finished` (when not empty),
    // found or not. False, and nothing runs, when nobody or another user is signed in.
    bool lookUp(const QueryKey& key, const Reader& read, const std::function<void()>& finished) override;

    void queryWillSend(const QueryKey&) override {}
    void queryDidDecode(const QueryKey& key, const RawAnswer& answer) override;

    // Runs `done` on the main loop once everything posted before has run (tests, benchmarks).
    void whenIdle(std::function<void()> done);
    const std::string& path() const { return path_; }

  private:
    struct Worker;
    // Runs `work` on the store's queue with its open database (null when it cannot be had).
    void post(std::function<void(Worker&)> work);
    std::string path_;
    Bounds bounds_;
    std::string user_;
    SecretBytes key_;
    std::shared_ptr<Worker> worker_;
    DispatchQueue queue_;
};

// The stored answer of `query`, decoded as a fresh one is, handed to `show` on the main loop with
// its fetch time. Nothing happens when no store is installed, nobody is signed in, nothing is
// stored, or the stored bytes no longer decode.
template <class Model>
void lookUpStored(const OfficeQuery<Model>& query, std::function<void(Model, Date)> show) {
    auto store = AnswerStore::installed();
    if (!store || !store->signedIn()) return;
    store->lookUp(
        query.key(),
        [query, show = std::move(show)](const RawAnswer& raw, Date fetched) -> std::function<void()> {
            auto decoded = query.decodeStored(raw);
            auto* model = std::get_if<Model>(&decoded);
            if (!model) return {};
            return [show, model = std::move(*model), fetched]() mutable { show(std::move(model), fetched); };
        },
        {});
}

}  // namespace busdesk
