#include "net/OperationQueue.h"

#include <algorithm>

#include "net/URLConnectionOperation.h"

namespace busdesk {

void OperationQueue::addOperation(const std::shared_ptr<URLConnectionOperation>& operation) {
    {
        std::lock_guard lock(mutex_);
        operations_.erase(std::remove_if(operations_.begin(), operations_.end(),
                                         [](const auto& weak) {
                                             auto op = weak.lock();
                                             return !op || op->isFinished();
                                         }),
                          operations_.end());
        operations_.push_back(operation);
    }
    operation->start();
}

std::vector<std::shared_ptr<URLConnectionOperation>> OperationQueue::operations() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<URLConnectionOperation>> result;
    for (const auto& weak : operations_) {
        if (auto op = weak.lock(); op && !op->isFinished()) result.push_back(op);
    }
    return result;
}

void OperationQueue::cancelAllOperations() {
    for (auto& op : operations()) op->cancel();
}

}  // namespace busdesk
