#include "platform/RunLoop.h"

#include <algorithm>
#include <vector>

namespace busdesk {

RunLoop::RunLoop() : clock_(std::make_shared<SteadyClock>()) {}
RunLoop::~RunLoop() = default;

RunLoop& RunLoop::main() {
    static RunLoop* loop = new RunLoop();  // never destroyed: jobs may be posted during exit
    return *loop;
}

void RunLoop::wake() {
    cv_.notify_all();
    std::function<void()> w;
    {
        std::lock_guard lock(mutex_);
        w = wakeup_;
    }
    if (w) w();
}

void RunLoop::post(Job job) {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        const bool wasEmpty = jobs_.empty();
        jobs_.push_back(std::move(job));
        // Jobs already queued mean a wake-up is already on its way: the waiter has not taken the
        // queue yet (taking it empties it), and it takes this job with the others.
        if (!wasEmpty) return;
        handler = wakeup_;
    }
    cv_.notify_all();
    if (handler) handler();
}

RunLoop::TimerId RunLoop::postDelayed(Duration delay, Job job) {
    return addTimer(delay, false, std::move(job));
}

RunLoop::TimerId RunLoop::addTimer(Duration interval, bool repeats, Job job) {
    TimerId id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        if (interval < Duration::zero()) interval = Duration::zero();
        auto& timer = timers_[id] = Timer{clock_->now() + interval, interval, repeats, std::move(job)};
        dueOrder_.emplace(timer.due, id);
    }
    wake();
    return id;
}

void RunLoop::cancelTimer(TimerId id) {
    std::lock_guard lock(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    dueOrder_.erase({it->second.due, id});
    timers_.erase(it);
}

void RunLoop::setDue(TimerId id, Timer& timer, Clock::TimePoint due) {
    dueOrder_.erase({timer.due, id});
    timer.due = due;
    dueOrder_.emplace(due, id);
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(mutex_);
    // Keep pending timers at the same distance from "now" on the new clock.
    auto oldNow = clock_->now();
    auto newNow = clock->now();
    dueOrder_.clear();
    for (auto& [id, t] : timers_) {
        t.due = newNow + (t.due - oldNow);
        dueOrder_.emplace(t.due, id);
    }
    if (calendarPin_) calendarPin_->second = newNow + (calendarPin_->second - oldNow);
    clock_ = std::move(clock);
}

void RunLoop::pinCalendarTime(std::optional<double> secondsSince1970) {
    std::lock_guard lock(mutex_);
    if (secondsSince1970) {
        calendarPin_.emplace(*secondsSince1970, clock_->now());
    } else {
        calendarPin_.reset();
    }
}

std::optional<double> RunLoop::calendarTime() const {
    std::lock_guard lock(mutex_);
    if (!calendarPin_) return std::nullopt;
    const auto& [pinned, mark] = *calendarPin_;
    return pinned + std::chrono::duration<double>(clock_->now() - mark).count();
}

std::shared_ptr<Clock> RunLoop::clock() const {
    std::lock_guard lock(mutex_);
    return clock_;
}

std::shared_ptr<ManualClock> RunLoop::useManualClock() {
    if (auto m = std::dynamic_pointer_cast<ManualClock>(clock())) return m;
    auto m = std::make_shared<ManualClock>();
    setClock(m);
    return m;
}

bool RunLoop::fireOneDueTimer() {
    Job job;
    {
        std::lock_guard lock(mutex_);
        // Earliest due first; equal due times fire in creation order.
        if (dueOrder_.empty() || dueOrder_.begin()->first > clock_->now()) return false;
        const TimerId id = dueOrder_.begin()->second;
        auto best = timers_.find(id);
        if (best->second.repeats) {
            job = best->second.job;
            auto step = best->second.interval > Duration::zero() ? best->second.interval : Duration(1);
            setDue(id, best->second, best->second.due + step);
        } else {
            job = std::move(best->second.job);
            dueOrder_.erase(dueOrder_.begin());
            timers_.erase(best);
        }
    }
    job();
    return true;
}

std::size_t RunLoop::runPending() {
    if (!ownerSet_) adoptCurrentThread();
    std::size_t ran = 0;
    std::deque<Job> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(jobs_);
    }
    for (auto& j : batch) {
        j();
        ++ran;
    }
    // Timers due now; each fired timer may post more work, which the next call handles.
    std::size_t guard = 0;
    while (guard++ < 10000 && fireOneDueTimer()) ++ran;
    return ran;
}

void RunLoop::advance(Duration by) {
    auto manual = std::dynamic_pointer_cast<ManualClock>(clock());
    if (!manual) {
        runPending();
        return;
    }
    auto target = manual->now() + by;
    for (;;) {
        while (runPending() > 0) {
        }
        auto next = nextTimerDue();
        if (!next || *next > target) break;
        if (*next > manual->now()) manual->set(*next);
    }
    manual->set(target);
    while (runPending() > 0) {
    }
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds realBound) {
    auto deadline = std::chrono::steady_clock::now() + realBound;
    for (;;) {
        runPending();
        if (done()) return true;
        std::unique_lock lock(mutex_);
        if (!jobs_.empty()) continue;
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return done();
        auto wait = deadline - now;
        if (!clock_->isManual() && !dueOrder_.empty()) {
            auto cnow = clock_->now();
            Clock::TimePoint earliest = dueOrder_.begin()->first;
            auto untilTimer = earliest - cnow;
            if (untilTimer < wait) wait = std::max<Clock::Duration>(untilTimer, Clock::Duration::zero());
        }
        cv_.wait_for(lock, wait, [&] { return !jobs_.empty(); });
    }
}

bool RunLoop::runUntilIdle(std::chrono::milliseconds realBound) {
    auto deadline = std::chrono::steady_clock::now() + realBound;
    for (;;) {
        runPending();
        bool busy;
        {
            std::lock_guard lock(mutex_);
            busy = !jobs_.empty() || work_ > 0;
        }
        if (!busy) {
            auto next = nextTimerDue();
            if (!next || *next > clock()->now()) return true;
            continue;
        }
        auto remaining = deadline - std::chrono::steady_clock::now();
        if (remaining <= std::chrono::steady_clock::duration::zero()) return false;
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock,
                     std::min<std::chrono::steady_clock::duration>(remaining, std::chrono::milliseconds(50)),
                     [&] { return !jobs_.empty() || work_ == 0; });
    }
}

void RunLoop::run() {
    adoptCurrentThread();
    {
        std::lock_guard lock(mutex_);
        quit_ = false;
    }
    for (;;) {
        runPending();
        std::unique_lock lock(mutex_);
        if (quit_) return;
        if (!jobs_.empty()) continue;
        auto wait = std::chrono::milliseconds(100);
        if (!dueOrder_.empty() && !clock_->isManual()) {
            Clock::TimePoint earliest = dueOrder_.begin()->first;
            auto d = std::chrono::duration_cast<std::chrono::milliseconds>(earliest - clock_->now());
            wait = std::clamp(d, std::chrono::milliseconds(0), wait);
        }
        cv_.wait_for(lock, wait, [&] { return !jobs_.empty() || quit_; });
    }
}

void RunLoop::quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    cv_.notify_all();
}

void RunLoop::beginWork() {
    std::lock_guard lock(mutex_);
    ++work_;
}

void RunLoop::endWork() {
    {
        std::lock_guard lock(mutex_);
        --work_;
    }
    cv_.notify_all();
}

int RunLoop::workCount() const {
    std::lock_guard lock(mutex_);
    return work_;
}

std::size_t RunLoop::queuedJobs() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

std::optional<Clock::TimePoint> RunLoop::nextTimerDue() const {
    std::lock_guard lock(mutex_);
    if (dueOrder_.empty()) return std::nullopt;
    return dueOrder_.begin()->first;
}

bool RunLoop::isOwnerThread() const {
    return ownerSet_ && owner_ == std::this_thread::get_id();
}

void RunLoop::adoptCurrentThread() {
    owner_ = std::this_thread::get_id();
    ownerSet_ = true;
}

void RunLoop::setWakeupHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    wakeup_ = std::move(handler);
}

}  // namespace busdesk
