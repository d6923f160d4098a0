#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "net/SecurityPolicy.h"
#include "net/URLRequest.h"
#include "platform/DispatchQueue.h"
#include "platform/Error.h"

namespace busdesk {

inline constexpr const char* kNetworkingOperationDidStartNotification =
    "com.corvane.networking.operation.start";
inline constexpr const char* kNetworkingOperationDidFinishNotification =
    "com.corvane.networking.operation.finish";
inline constexpr const char* kNetworkingOperationLockName = "com.corvane.networking.operation.lock";

enum class OperationState { Paused = -1, Ready = 1, Executing = 2, Finished = 3 };

struct URLCredential {
    std::string user;
    std::string password;
};

class Connection;

// Runs one request on the network thread and collects the body in memory. Ready → Executing →
// Finished, once; a finished operation cannot be restarted.
class URLConnectionOperation : public std::enable_shared_from_this<URLConnectionOperation> {
  public:
    using ProgressBlock =
        std::function<void(std::uint64_t bytes, std::uint64_t totalBytes, std::int64_t expected)>;
    using StateObserver = std::function<void(const std::string& key)>;
    using Executor = std::function<void(std::function<void()>)>;

    static constexpr std::size_t kDefaultMaximumResponseDataLength = 64u * 1024u * 1024u;

    explicit URLConnectionOperation(URLRequest request);
    virtual ~URLConnectionOperation();
    URLConnectionOperation(const URLConnectionOperation&) = delete;
    URLConnectionOperation& operator=(const URLConnectionOperation&) = delete;

    const URLRequest& request() const { return request_; }
    std::shared_ptr<const HTTPURLResponse> response() const;
    // The whole body, complete once the operation has finished (empty before).
    const std::string& responseData() const;
    // The body as text in the response's charset when known, else UTF-8; nothing when the bytes
    // do not decode.
    std::optional<std::string> responseString() const;
    std::string responseStringEncoding() const;
    virtual std::optional<Error> error() const;

    void start();
    // A running or waiting operation fails with URLErrorCode::Cancelled. One that has finished
    // but whose callback has not run yet fails the same way instead of succeeding: after cancel()
    // returns, its success block never runs. Once the callback has run, nothing changes.
    void cancel();
    OperationState state() const;
    bool isReady() const { return state() == OperationState::Ready; }
    bool isExecuting() const { return state() == OperationState::Executing; }
    bool isFinished() const { return state() == OperationState::Finished; }
    bool isCancelled() const;
    bool isConcurrent() const { return true; }

    // Runs on the processing queue once the operation has finished.
    void setCompletionBlock(std::function<void()> block);
    void setUploadProgressBlock(ProgressBlock block);
    void setDownloadProgressBlock(ProgressBlock block);
    // Called with the key of the old and then of the new state on every change.
    void setStateObserver(StateObserver observer);

    std::shared_ptr<SecurityPolicy> securityPolicy = SecurityPolicy::defaultPolicy();
    std::optional<URLCredential> credential;
    bool shouldUseCredentialStorage = true;
    // Where callbacks are delivered; the main queue when unset.
    Executor completionQueue;
    std::shared_ptr<DispatchGroup> completionGroup;
    std::map<std::string, std::any> userInfo;
    // A bigger body fails the operation instead of exhausting memory.
    std::size_t maximumResponseDataLength = kDefaultMaximumResponseDataLength;

    const char* lockName() const { return kNetworkingOperationLockName; }

  protected:
    // Hands the body over (leaving it empty); for an operation nobody else can see any more.
    std::string takeResponseData();
    // The completion job runs on the processing queue and must end the operation's work bracket
    // (RunLoop::main().endWork()) when it is done delivering.
    void setCompletionJob(std::function<void()> job);
    std::optional<Error> transportError() const;
    void deliver(std::function<void()> job);
    // A subclass whose completion job delivers a callback says so; until that delivery begins
    // (beginDelivery, which returns whether the operation was cancelled first), cancel() still
    // turns the outcome into a cancellation.
    void expectDelivery();
    bool beginDelivery();

    mutable std::recursive_mutex lock_;

  private:
    friend class Connection;
    void setState(OperationState state);
    void operationDidStart();
    void cancelConnection();
    void finish();
    // Network thread, from the connection.
    void connectionDidReceiveResponse(std::shared_ptr<const HTTPURLResponse> response);
    void connectionDidFinishLoading(std::string data);
    void connectionDidFail(Error error);
    ProgressBlock uploadProgress() const;
    ProgressBlock downloadProgress() const;

    URLRequest request_;
    OperationState state_ = OperationState::Ready;
    bool cancelled_ = false;
    bool awaitsDelivery_ = false;
    bool started_ = false;
    std::shared_ptr<const HTTPURLResponse> response_;
    std::string responseData_;
    std::optional<Error> error_;
    mutable std::optional<std::optional<std::string>> responseString_;
    std::function<void()> completion_;
    ProgressBlock uploadProgress_, downloadProgress_;
    StateObserver stateObserver_;
    std::shared_ptr<Connection> connection_;  // network thread only
};

}  // namespace busdesk
