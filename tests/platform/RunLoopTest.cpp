#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/DispatchQueue.h"
#include "platform/RunLoop.h"

using namespace busdesk;
using namespace std::chrono_literals;

TEST(RunLoop, VirtualTimeFiresTimersInOrderWithoutSleeping) {
    RunLoop loop;
    loop.adoptCurrentThread();
    loop.useManualClock();
    std::vector<int> fired;
    loop.postDelayed(3s, [&] { fired.push_back(3); });
    loop.postDelayed(1s, [&] { fired.push_back(1); });
    loop.postDelayed(2s, [&] {
        fired.push_back(2);
        loop.postDelayed(500ms, [&] { fired.push_back(25); });
    });
    loop.advance(1999ms);
    EXPECT_EQ(fired, (std::vector<int>{1}));
    loop.advance(1ms);
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
    loop.advance(1s);
    EXPECT_EQ(fired, (std::vector<int>{1, 2, 25, 3}));
}

TEST(RunLoop, RepeatingTimerAndCancel) {
    RunLoop loop;
    loop.adoptCurrentThread();
    loop.useManualClock();
    int ticks = 0;
    auto id = loop.addTimer(1s, true, [&] { ++ticks; });
    loop.advance(3500ms);
    EXPECT_EQ(ticks, 3);
    loop.cancelTimer(id);
    loop.advance(5s);
    EXPECT_EQ(ticks, 3);
}

TEST(RunLoop, TimersDueTogetherFireInCreationOrderAndACancelledOneNeverFires) {
    RunLoop loop;
    loop.adoptCurrentThread();
    loop.useManualClock();
    std::vector<int> fired;
    RunLoop::TimerId third = 0;
    RunLoop::TimerId ticking = 0;
    // Many timers far ahead, as screens left open keep them: they must not change what fires.
    for (int i = 0; i < 500; ++i)
        loop.postDelayed(1h + std::chrono::seconds(i), [&] { fired.push_back(-1); });
    loop.postDelayed(1s, [&] { fired.push_back(1); });
    loop.postDelayed(1s, [&] {
        fired.push_back(2);
        loop.cancelTimer(third);
    });
    third = loop.postDelayed(1s, [&] { fired.push_back(3); });
    ticking = loop.addTimer(400ms, true, [&] {
        fired.push_back(4);
        if (fired.size() >= 4) loop.cancelTimer(ticking);  // from inside its own job
    });
    loop.advance(2s);
    EXPECT_EQ(fired, (std::vector<int>{4, 4, 1, 2, 4}));
    loop.advance(30min);
    EXPECT_EQ(fired.size(), 5u);
    ASSERT_TRUE(loop.nextTimerDue().has_value());
    loop.advance(1h);
    EXPECT_EQ(fired.size(), 505u);
    EXPECT_FALSE(loop.nextTimerDue().has_value());
}

TEST(RunLoop, JobsFromOtherThreadsRunOnTheOwnerInOrder) {
    RunLoop loop;
    loop.adoptCurrentThread();
    std::vector<int> seen;
    std::atomic<bool> wrongThread{false};
    auto owner = std::this_thread::get_id();
    std::thread t([&] {
        for (int i = 0; i < 100; ++i)
            loop.post([&, i] {
                if (std::this_thread::get_id() != owner) wrongThread = true;
                seen.push_back(i);
            });
    });
    t.join();
    EXPECT_TRUE(loop.runUntil([&] { return seen.size() == 100; }, 2000ms));
    EXPECT_FALSE(wrongThread);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

TEST(RunLoop, OneWakeUpPerBatchOfPostsAndAgainOnceTheBatchWasTaken) {
    RunLoop loop;
    loop.adoptCurrentThread();
    int wakeUps = 0;
    loop.setWakeupHandler([&] { ++wakeUps; });
    std::vector<int> ran;
    loop.post([&] { ran.push_back(1); });
    loop.post([&] { ran.push_back(2); });
    loop.post([&] { ran.push_back(3); });
    EXPECT_EQ(wakeUps, 1);
    EXPECT_EQ(loop.runPending(), 3u);
    // The queue was taken: the next post must wake the loop again, also from inside a job.
    loop.post([&] {
        ran.push_back(4);
        loop.post([&] { ran.push_back(5); });
    });
    EXPECT_EQ(wakeUps, 2);
    loop.runPending();
    EXPECT_EQ(wakeUps, 3);
    loop.runPending();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4, 5}));
    // Timers still wake the loop each time.
    loop.postDelayed(1s, [] {});
    EXPECT_EQ(wakeUps, 4);
    loop.setWakeupHandler({});
}

TEST(RunLoop, RunUntilIsBounded) {
    RunLoop loop;
    loop.adoptCurrentThread();
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(loop.runUntil([] { return false; }, 50ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(DispatchQueue, AJobGoesToTheWorkerThatWentIdleLastAndEveryJobRunsOnce) {
    DispatchQueue queue("test.lifo", 3);
    auto allIdle = [&] {
        return RunLoop::main().runUntil([&] { return queue.idleWorkers() == 3; }, std::chrono::seconds(5));
    };
    ASSERT_TRUE(allIdle());
    // One job at a time: the same worker takes each, the other two are never woken.
    std::set<std::thread::id> ranOn;
    for (int i = 0; i < 12; ++i) {
        std::atomic<bool> done{false};
        std::thread::id id;
        queue.async([&] {
            id = std::this_thread::get_id();
            done = true;
        });
        ASSERT_TRUE(allIdle());
        ASSERT_TRUE(done);
        ranOn.insert(id);
    }
    EXPECT_EQ(ranOn.size(), 1u);
    // Many at once still spread over the workers, and each runs exactly once.
    std::atomic<int> runs{0};
    std::vector<std::atomic<int>> counts(200);
    for (auto& c : counts)
        queue.async([&] {
            ++c;
            ++runs;
        });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return runs.load() == 200; }, std::chrono::seconds(10)));
    for (auto& c : counts) EXPECT_EQ(c.load(), 1);
    EXPECT_TRUE(allIdle());
}

TEST(DispatchQueue, AGroupMayBeDestroyedAsSoonAsItsWaitReturns) {
    // The waiter frees the group the moment wait() returns; the thread that emptied it must be
    // done with it by then (the thread sanitizer reports the condition destroyed mid-broadcast).
    for (int round = 0; round < 200; ++round) {
        auto group = std::make_unique<DispatchGroup>();
        group->enter();
        std::thread leaver([g = group.get()] { g->leave(); });
        ASSERT_TRUE(group->wait(5000ms));
        group.reset();
        leaver.join();
    }
}

TEST(DispatchQueue, ProcessingQueueHandsResultsToMain) {
    std::atomic<int> done{0};
    int onMain = 0;
    DispatchGroup group;
    for (int i = 0; i < 20; ++i) {
        group.enter();
        DispatchQueue::processing().async([&] {
            ++done;
            dispatchMain([&] { ++onMain; });
            group.leave();
        });
    }
    bool notified = false;
    group.notify([&] { notified = true; });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return onMain == 20 && notified; }, 5000ms));
    EXPECT_EQ(done, 20);
}
