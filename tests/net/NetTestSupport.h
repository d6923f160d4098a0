#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "net/HTTPRequestOperationManager.h"
#include "platform/RunLoop.h"

namespace busdesk::test {

// Collects the outcome of one request and checks that exactly one callback ran, on the main
// thread.
struct Outcome {
    int successes = 0;
    int failures = 0;
    bool offMainThread = false;
    std::shared_ptr<HTTPRequestOperation> operation;
    ResponseObject object;
    std::optional<Error> error;

    int calls() const { return successes + failures; }

    HTTPRequestOperationManager::Success success() {
        return [this](const std::shared_ptr<HTTPRequestOperation>& op, const ResponseObject& obj) {
            if (!RunLoop::main().isOwnerThread()) offMainThread = true;
            ++successes;
            operation = op;
            object = obj;
        };
    }
    HTTPRequestOperationManager::Failure failure() {
        return [this](const std::shared_ptr<HTTPRequestOperation>& op, const Error& e) {
            if (!RunLoop::main().isOwnerThread()) offMainThread = true;
            ++failures;
            operation = op;
            error = e;
        };
    }
    bool wait(std::chrono::milliseconds bound = std::chrono::milliseconds(10000)) {
        return RunLoop::main().runUntil([this] { return calls() > 0; }, bound);
    }
};

// Lets late, wrongly doubled callbacks arrive before a test checks the count.
inline void drainMainQueue() {
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
}

}  // namespace busdesk::test
