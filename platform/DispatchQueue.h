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

  private:
    void worker();
    std::string name_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Job> jobs_;
    std::vector<std::thread> threads_;
    bool stop_ = false;
};

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
