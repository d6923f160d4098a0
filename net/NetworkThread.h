#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/Clock.h"

typedef void CURL;
typedef void CURLM;
typedef void CURLSH;

namespace busdesk {

// A transfer driven by the network thread; every call happens on that thread.
class NetworkTransfer {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~NetworkTransfer() = default;
    // libcurl reported the end of the transfer (the handle is already out of the multi handle).
    virtual void transferDidComplete(int curlCode) = 0;
    // Time-outs and throttling; may remove the transfer.
    virtual void poll(TimePoint now) = 0;
    virtual std::optional<TimePoint> nextDeadline() const = 0;
};

// The one thread that carries every connection of the process: it owns the libcurl multi handle
// (and with it the connection cache, so connections to a host are reused), runs posted jobs and
// sleeps in curl_multi_poll until a socket, a timer or curl_multi_wakeup needs it (or, with nothing
// on the wire, on a condition variable until a post).
class NetworkThread {
  public:
    static NetworkThread& shared();
    ~NetworkThread();

    void post(std::function<void()> job);
    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Network thread only.
    void addTransfer(CURL* easy, std::shared_ptr<NetworkTransfer> transfer);
    void removeTransfer(CURL* easy);
    CURLSH* share() const { return share_; }
    std::size_t activeTransfers() const { return transfers_.size(); }

    // The clock the silence time-outs and deadlines of requests count on: the steady clock by
    // default; in headless mode the main run loop's virtual clock, so that a script's `wait`
    // moves a request towards its time-out as it moves every timer. Affects transfers started
    // afterwards. Any thread.
    void setTimeoutClock(std::shared_ptr<const Clock> clock);
    std::shared_ptr<const Clock> timeoutClock() const;

    // How many network threads this process started (tests check it stays one).
    static int threadsStarted();

  private:
    NetworkThread();
    void run();
    // Wakes the thread where it sleeps (`sleepingIdle_` as read under the lock).
    void wake(bool sleepingIdle);

    mutable std::mutex mutex_;
    std::shared_ptr<const Clock> timeoutClock_;
    std::deque<std::function<void()>> jobs_;
    bool stop_ = false;
    // With no transfer running the thread sleeps on `idle_` rather than in curl's poll: a post then
    // wakes it with a futex instead of a write to curl's wake-up socket and a poll round.
    std::condition_variable idle_;
    bool sleepingIdle_ = false;
    CURLM* multi_ = nullptr;
    CURLSH* share_ = nullptr;
    std::map<CURL*, std::shared_ptr<NetworkTransfer>> transfers_;
    std::thread thread_;
};

}  // namespace busdesk
