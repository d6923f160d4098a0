#include "platform/DispatchQueue.h"

#include <algorithm>

namespace busdesk {

DispatchQueue::DispatchQueue(std::string name, unsigned threads) : name_(std::move(name)) {
    threads = std::max(1u, threads);
    for (unsigned i = 0; i < threads; ++i) sleepers_.push_back(std::make_unique<Sleeper>());
    for (auto& sleeper : sleepers_) threads_.emplace_back([this, s = sleeper.get()] { worker(*s); });
}

DispatchQueue::~DispatchQueue() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    for (auto& sleeper : sleepers_) sleeper->cv.notify_one();
    for (auto& t : threads_) t.join();
}

DispatchQueue& DispatchQueue::processing() {
    // Leaked on purpose: worker threads may still hold jobs at process exit.
    static DispatchQueue* q = new DispatchQueue("com.corvane.networking.http-request.processing",
                                                std::clamp(std::thread::hardware_concurrency(), 2u, 4u));
    return *q;
}

void DispatchQueue::async(Job job) {
    Sleeper* wake = nullptr;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        if (!idle_.empty()) {
            wake = idle_.back();
            idle_.pop_back();
            wake->woken = true;
        }
    }
    // Sleepers live as long as the queue, so this may come after the lock.
    if (wake) wake->cv.notify_one();
}

std::size_t DispatchQueue::idleWorkers() {
    std::lock_guard lock(mutex_);
    return idle_.size();
}

void DispatchQueue::worker(Sleeper& sleeper) {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            // Also after a wake-up whose job another worker took first.
            while (!stop_ && jobs_.empty()) {
                sleeper.woken = false;
                idle_.push_back(&sleeper);
                sleeper.cv.wait(lock, [&] { return sleeper.woken || stop_; });
                if (!sleeper.woken) idle_.erase(std::find(idle_.begin(), idle_.end(), &sleeper));
            }
            if (jobs_.empty()) return;  // stopped
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

void DispatchGroup::enter() {
    std::lock_guard lock(mutex_);
    ++count_;
}

void DispatchGroup::leave() {
    std::vector<Job> ready;
    {
        std::lock_guard lock(mutex_);
        if (count_ > 0) --count_;
        if (count_ == 0) ready.swap(waiters_);
        // Notified under the lock: a waiter may return and destroy the group as soon as the lock
        // is free, so nothing of the group is touched after it is released.
        cv_.notify_all();
    }
    for (auto& j : ready) dispatchMain(std::move(j));
}

void DispatchGroup::notify(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (count_ > 0) {
            waiters_.push_back(std::move(job));
            return;
        }
    }
    dispatchMain(std::move(job));
}

bool DispatchGroup::wait(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, bound, [&] { return count_ == 0; });
}

}  // namespace busdesk
