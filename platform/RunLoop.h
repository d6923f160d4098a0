#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "platform/Clock.h"

namespace busdesk {

using Job = std::function<void()>;

// The main thread's run loop: posted jobs run in order, timers fire when their clock time is
// due. Any thread may post; only the owning thread runs jobs. In the app Qt's event loop drives
// it through the wake-up handler; tests and headless mode drive it directly.
class RunLoop {
  public:
    using Duration = Clock::Duration;
    using TimerId = std::uint64_t;

    RunLoop();
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // The process-wide main loop. Its owner thread is the first thread that runs it (or calls
    // adoptCurrentThread).
    static RunLoop& main();

    void post(Job job);
    TimerId postDelayed(Duration delay, Job job);
    TimerId addTimer(Duration interval, bool repeats, Job job);
    void cancelTimer(TimerId id);

    void setClock(std::shared_ptr<Clock> clock);
    std::shared_ptr<Clock> clock() const;
    // Installs a manual clock (if not already) and returns it.
    std::shared_ptr<ManualClock> useManualClock();

    // Calendar time that runs on this loop's clock: after pinCalendarTime(t), calendarTime() is t
    // plus whatever the clock has run since (each `wait` and timer on a manual clock, real time
    // on the steady one). Replacing the clock carries the calendar on from where it stood.
    // nullopt unpins it. Thread-safe.
    void pinCalendarTime(std::optional<double> secondsSince1970);
    std::optional<double> calendarTime() const;

    // Runs every job posted so far and every timer already due; returns how many ran.
    std::size_t runPending();
    // Advances a manual clock by `by`, firing due timers in time order, running posted jobs in
    // between. With a real clock it simply runs pending work.
    void advance(Duration by);
    // Runs jobs and timers until `done` is true or `realBound` of wall time has passed; waits
    // for posts from other threads without spinning. Returns done().
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds realBound = std::chrono::milliseconds(10000));
    // Runs until no job is queued, no request counted busy and no timer is due within `horizon`
    // of (manual) time; used by the scripted mode. Returns true when idle was reached.
    bool runUntilIdle(std::chrono::milliseconds realBound = std::chrono::milliseconds(10000));

    // Blocks the calling thread running the loop until quit().
    void run();
    void quit();

    // Outstanding-work counter: requests in flight increment it so that runUntilIdle waits.
    void beginWork();
    void endWork();
    int workCount() const;

    std::size_t queuedJobs() const;
    std::optional<Clock::TimePoint> nextTimerDue() const;

    bool isOwnerThread() const;
    void adoptCurrentThread();

    // Called (from any thread) after something was posted; the Qt driver uses it to schedule a
    // runPending on its own event loop.
    void setWakeupHandler(std::function<void()> handler);

  private:
    struct Timer {
        Clock::TimePoint due;
        Duration interval;
        bool repeats;
        Job job;
    };
    bool fireOneDueTimer();
    void wake();

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Job> jobs_;
    std::map<TimerId, Timer> timers_;
    // The timers by due time, equal times in creation order: the next one to fire is the first.
    std::set<std::pair<Clock::TimePoint, TimerId>> dueOrder_;
    void setDue(TimerId id, Timer& timer, Clock::TimePoint due);
    TimerId nextId_ = 1;
    std::shared_ptr<Clock> clock_;
    // The pinned calendar time and the clock's reading when it was pinned.
    std::optional<std::pair<double, Clock::TimePoint>> calendarPin_;
    std::function<void()> wakeup_;
    std::thread::id owner_;
    bool ownerSet_ = false;
    bool quit_ = false;
    int work_ = 0;
};

// Hands a job to the main queue from any thread.
inline void dispatchMain(Job job) {
    RunLoop::main().post(std::move(job));
}
inline void dispatchMainAfter(Clock::Duration delay, Job job) {
    RunLoop::main().postDelayed(delay, std::move(job));
}

}  // namespace busdesk
