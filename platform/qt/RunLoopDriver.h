#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace busdesk::qt {

// Runs the main RunLoop from Qt's event loop: whatever is posted (from any thread) wakes a
// queued call on the Qt thread, and the earliest timer of the loop arms a Qt timer, so timers
// fire in real time while the window is up.
class RunLoopDriver {
  public:
    explicit RunLoopDriver(QObject* context);
    ~RunLoopDriver();
    RunLoopDriver(const RunLoopDriver&) = delete;
    RunLoopDriver& operator=(const RunLoopDriver&) = delete;

    // Runs posted jobs and due timers, re-arms the timer, then calls the after-pump hook.
    // A modal Qt dialog opened by a job spins Qt's loop inside that job; a pump asked for then
    // waits for the job to end instead of running jobs out of order.
    void pump();
    void setAfterPump(std::function<void()> hook) { afterPump_ = std::move(hook); }
    int pumps() const { return pumps_; }

  private:
    struct Shared;
    void armTimer();
    std::shared_ptr<Shared> shared_;
    QTimer timer_;
    std::function<void()> afterPump_;
    bool inPump_ = false;
    bool missed_ = false;
    int pumps_ = 0;
};

}  // namespace busdesk::qt
