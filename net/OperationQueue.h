#pragma once

#include <memory>
#include <mutex>
#include <vector>

namespace busdesk {

class URLConnectionOperation;

// Starts its operations at once (they run concurrently on the network thread). It does not
// keep them alive: a running operation is held by its transfer, so a manager may go away before
// its operation has called back.
class OperationQueue {
  public:
    void addOperation(const std::shared_ptr<URLConnectionOperation>& operation);
    std::vector<std::shared_ptr<URLConnectionOperation>> operations() const;
    std::size_t operationCount() const { return operations().size(); }
    void cancelAllOperations();

  private:
    mutable std::mutex mutex_;
    mutable std::vector<std::weak_ptr<URLConnectionOperation>> operations_;
};

}  // namespace busdesk
