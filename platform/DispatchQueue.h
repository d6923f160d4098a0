#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/RunLoop.h"

namespace busdesk {

// A concurrent queue over a small fixed pool of threads. `processing()` is the shared queue on
// which responses are validated and decoded.
class DispatchQueue {
  public:
    DispatchQueue(std::string name, unsigned threads);
    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    static DispatchQueue& processing();

    void async(Job job);
    const std::string& name() const { return name_; }
    std::size_t threadCount() const { return threads_.size(); }
    // Workers waiting for a job.
    std::size_t idleWorkers();

  private:
    // One per worker, for the life of the queue.
    struct Sleeper {
        std::condition_variable cv;
        bool woken = false;
    };
    void worker(Sleeper& sleeper);
    std::string name_;
    std::mutex mutex_;
    std::deque<Job> jobs_;
    std::vector<std::unique_ptr<Sleeper>> sleepers_;
    // Idle workers, the one that went idle last at the back: a job wakes that one. Its core is the
    // likeliest to be awake still and its cache to hold what the last job freed (the next job
    // reuses that memory); the others stay asleep.
    std::vector<Sleeper*> idle_;
    std::vector<std::thread> threads_;
    bool stop_ = false;
};

// Runs `work` on `queue`, then `done` with its result on the main loop. The main loop counts the
// pair as outstanding work until `done` has run, so runUntilIdle (the scripted mode, tests) waits
// for the answer as it waits for a request.
template <class Result>
void asyncThenMain(DispatchQueue& queue, std::function<Result()> work, std::function<void(Result)> done) {
    RunLoop::main().beginWork();
    queue.async([work = std::move(work), done = std::move(done)] {
        auto result = std::make_shared<Result>(work());
        dispatchMain([done, result] {
            if (done) done(std::move(*result));
            RunLoop::main().endWork();
        });
    });
}

// Counts outstanding work; `notify` runs a job on the main loop once the count drops to zero.
class DispatchGroup {
  public:
    void enter();
    void leave();
    void notify(Job job);  // runs on the main loop
    // Blocks the calling thread (never the main thread in app code) until the group empties.
    bool wait(std::chrono::milliseconds bound);

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int count_ = 0;
    std::vector<Job> waiters_;
};

}  // namespace busdesk
