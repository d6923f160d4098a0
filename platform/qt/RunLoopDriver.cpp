#include "platform/qt/RunLoopDriver.h"

#include <QPointer>
#include <atomic>
#include <cmath>
#include <mutex>

#include "platform/RunLoop.h"

namespace busdesk::qt {

// What the wake-up handler (called on any thread, possibly while the driver goes away) may touch.
struct RunLoopDriver::Shared {
    std::mutex mutex;
    RunLoopDriver* driver = nullptr;
    QPointer<QObject> context;
    std::atomic<bool> posted{false};
};

RunLoopDriver::RunLoopDriver(QObject* context) : shared_(std::make_shared<Shared>()) {
    shared_->driver = this;
    shared_->context = context;
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, context, [this] { pump(); });
    RunLoop::main().adoptCurrentThread();
    std::weak_ptr<Shared> weak = shared_;
    RunLoop::main().setWakeupHandler([weak] {
        auto s = weak.lock();
        if (!s || s->posted.exchange(true)) return;
        std::lock_guard lock(s->mutex);
        if (!s->context) return;
        QMetaObject::invokeMethod(
            s->context.data(),
            [weak] {
                auto again = weak.lock();
                if (!again) return;
                again->posted = false;
                if (again->driver) again->driver->pump();
            },
            Qt::QueuedConnection);
    });
}

RunLoopDriver::~RunLoopDriver() {
    RunLoop::main().setWakeupHandler({});
    std::lock_guard lock(shared_->mutex);
    shared_->driver = nullptr;
    shared_->context = nullptr;
}

void RunLoopDriver::pump() {
    if (inPump_) {
        missed_ = true;
        return;
    }
    inPump_ = true;
    ++pumps_;
    auto& loop = RunLoop::main();
    do {
        missed_ = false;
        for (int i = 0; i < 64 && loop.runPending() > 0; ++i) {
        }
    } while (missed_);
    armTimer();
    inPump_ = false;
    if (afterPump_) afterPump_();
}

void RunLoopDriver::armTimer() {
    auto& loop = RunLoop::main();
    auto next = loop.nextTimerDue();
    auto clock = loop.clock();
    // A manual clock only moves when a test advances it; real time has nothing to wait for.
    if (!next || clock->isManual()) {
        timer_.stop();
        return;
    }
    auto wait = std::chrono::duration_cast<std::chrono::microseconds>(*next - clock->now()).count();
    int ms = wait <= 0 ? 0 : static_cast<int>(std::ceil(wait / 1000.0));
    timer_.start(ms);
}

}  // namespace busdesk::qt
