#include "net/NetworkThread.h"

#include <curl/curl.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/DispatchQueue.h"
#include "platform/RunLoop.h"

namespace busdesk {

namespace {
std::atomic<int> gThreadsStarted{0};
// Connections per host, as the platform's loading system allows; further requests wait for a
// free connection instead of opening hundreds of sockets.
constexpr long kMaxHostConnections = 6;
constexpr long kVirtualClockLookMs = 20;
}  // namespace

int NetworkThread::threadsStarted() {
    return gThreadsStarted.load();
}

NetworkThread& NetworkThread::shared() {
    // The main loop and the processing queue are touched first so that they are destroyed after
    // this thread has stopped.
    static NetworkThread& instance = []() -> NetworkThread& {
        RunLoop::main();
        DispatchQueue::processing();
        static NetworkThread thread;
        return thread;
    }();
    return instance;
}

NetworkThread::NetworkThread() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, kMaxHostConnections);
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    thread_ = std::thread([this] { run(); });
    ++gThreadsStarted;
}

NetworkThread::~NetworkThread() {
    bool idle;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        idle = sleepingIdle_;
    }
    wake(idle);
    if (thread_.joinable()) thread_.join();
    // Each transfer frees its own easy handle once it is out of the multi handle.
    for (auto& [easy, transfer] : transfers_) curl_multi_remove_handle(multi_, easy);
    transfers_.clear();
    curl_multi_cleanup(multi_);
    curl_share_cleanup(share_);
}

void NetworkThread::post(std::function<void()> job) {
    bool idle;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        idle = sleepingIdle_;
    }
    wake(idle);
}

void NetworkThread::wake(bool sleepingIdle) {
    // Either way the thread looks at the jobs and the stop flag under the lock before it sleeps
    // again, so a wake-up that finds it between the two never goes missing.
    if (sleepingIdle) {
        idle_.notify_one();
    } else {
        curl_multi_wakeup(multi_);
    }
}

void NetworkThread::setTimeoutClock(std::shared_ptr<const Clock> clock) {
    bool idle;
    {
        std::lock_guard lock(mutex_);
        timeoutClock_ = std::move(clock);
        idle = sleepingIdle_;
    }
    wake(idle);
}

std::shared_ptr<const Clock> NetworkThread::timeoutClock() const {
    std::lock_guard lock(mutex_);
    if (!timeoutClock_) {
        static const auto steady = std::make_shared<const SteadyClock>();
        return steady;
    }
    return timeoutClock_;
}

void NetworkThread::addTransfer(CURL* easy, std::shared_ptr<NetworkTransfer> transfer) {
    transfers_[easy] = std::move(transfer);
    curl_multi_add_handle(multi_, easy);
}

void NetworkThread::removeTransfer(CURL* easy) {
    auto it = transfers_.find(easy);
    if (it == transfers_.end()) return;
    auto keep = std::move(it->second);
    transfers_.erase(it);
    curl_multi_remove_handle(multi_, easy);
}

void NetworkThread::run() {
    pthread_setname_np(pthread_self(), "busdesk.network");
    while (true) {
        std::deque<std::function<void()>> jobs;
        {
            std::lock_guard lock(mutex_);
            if (stop_) break;
            jobs.swap(jobs_);
        }
        for (auto& job : jobs) job();
        // Dropped now, not after the wait: a job may hold the last reference to a finished
        // operation, whose teardown should not delay the next wake-up.
        jobs.clear();

        int running = 0;
        curl_multi_perform(multi_, &running);
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &queued)) {
            if (msg->msg != CURLMSG_DONE) continue;
            CURL* easy = msg->easy_handle;
            CURLcode code = msg->data.result;
            auto it = transfers_.find(easy);
            if (it == transfers_.end()) continue;
            auto transfer = std::move(it->second);
            transfers_.erase(it);
            curl_multi_remove_handle(multi_, easy);
            transfer->transferDidComplete(static_cast<int>(code));
        }

        auto now = std::chrono::steady_clock::now();
        std::vector<std::shared_ptr<NetworkTransfer>> current;
        current.reserve(transfers_.size());
        for (auto& [easy, transfer] : transfers_) current.push_back(transfer);
        std::optional<NetworkTransfer::TimePoint> deadline;
        for (auto& transfer : current) {
            transfer->poll(now);
            if (auto d = transfer->nextDeadline(); d && (!deadline || *d < *deadline)) deadline = d;
        }

        long curlTimeout = -1;
        curl_multi_timeout(multi_, &curlTimeout);
        long wait = curlTimeout < 0 ? 1000 : std::min(curlTimeout, 1000L);
        if (deadline) {
            auto untilDeadline = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     *deadline - std::chrono::steady_clock::now())
                                     .count() +
                                 1;
            wait = std::max(0L, std::min(wait, static_cast<long>(untilDeadline)));
        }
        {
            std::unique_lock lock(mutex_);
            if (!jobs_.empty() || stop_) wait = 0;
            // A virtual clock moves without telling anyone: look again soon while requests run.
            if (timeoutClock_ && timeoutClock_->isManual() && !transfers_.empty())
                wait = std::min(wait, kVirtualClockLookMs);
            if (transfers_.empty() && wait > 0) {
                // Nothing on the wire: only a post (or the time-out) brings work.
                sleepingIdle_ = true;
                idle_.wait_for(lock, std::chrono::milliseconds(wait),
                               [&] { return !jobs_.empty() || stop_; });
                sleepingIdle_ = false;
                continue;
            }
        }
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait), nullptr);
    }
}

}  // namespace busdesk
