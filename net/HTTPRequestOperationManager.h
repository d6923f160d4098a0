#pragma once

#include <boost/json/value.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/HTTPRequestOperation.h"
#include "net/HTTPRequestSerializer.h"
#include "net/JSONResponseSerializer.h"
#include "net/OperationQueue.h"
#include "net/SecurityPolicy.h"
#include "net/StreamingMultipartFormData.h"

namespace busdesk {

// What a service call uses to issue one request: builds it, runs it and calls back exactly once
// on the main thread.
class HTTPRequestOperationManager : public std::enable_shared_from_this<HTTPRequestOperationManager> {
  public:
    using Success = std::function<void(const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject&)>;
    using HeadSuccess = std::function<void(const std::shared_ptr<HTTPRequestOperation>&)>;
    // The operation is null when the request could not be built.
    using Failure = std::function<void(const std::shared_ptr<HTTPRequestOperation>&, const Error&)>;
    using ConstructingBody = std::function<void(StreamingMultipartFormData&)>;

    explicit HTTPRequestOperationManager(std::optional<std::string> baseURL = std::nullopt);
    static std::shared_ptr<HTTPRequestOperationManager> manager();
    static std::shared_ptr<HTTPRequestOperationManager> managerWithBaseURL(std::string baseURL);

    const std::optional<std::string>& baseURL() const { return baseURL_; }
    std::shared_ptr<HTTPRequestSerializer> requestSerializer() const { return requestSerializer_; }
    void setRequestSerializer(std::shared_ptr<HTTPRequestSerializer> serializer);
    std::shared_ptr<HTTPResponseSerializer> responseSerializer() const { return responseSerializer_; }
    void setResponseSerializer(std::shared_ptr<HTTPResponseSerializer> serializer);
    OperationQueue& operationQueue() { return operationQueue_; }

    bool shouldUseCredentialStorage = true;
    std::optional<URLCredential> credential;
    std::shared_ptr<SecurityPolicy> securityPolicy = SecurityPolicy::defaultPolicy();
    URLConnectionOperation::Executor completionQueue;
    std::shared_ptr<DispatchGroup> completionGroup;

    std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationWithRequest(URLRequest request, Success success,
                                                                          Failure failure);

    std::shared_ptr<HTTPRequestOperation> GET(const std::string& URLString,
                                              const std::optional<boost::json::value>& parameters,
                                              Success success, Failure failure);
    std::shared_ptr<HTTPRequestOperation> HEAD(const std::string& URLString,
                                               const std::optional<boost::json::value>& parameters,
                                               HeadSuccess success, Failure failure);
    std::shared_ptr<HTTPRequestOperation> HEAD(const std::string& URLString,
                                               const std::optional<boost::json::value>& parameters,
                                               Success success, Failure failure);
    std::shared_ptr<HTTPRequestOperation> POST(const std::string& URLString,
                                               const std::optional<boost::json::value>& parameters,
                                               Success success, Failure failure);
    std::shared_ptr<HTTPRequestOperation> POST(const std::string& URLString,
                                               const std::optional<boost::json::value>& parameters,
                                               ConstructingBody constructingBody, Success success,
                                               Failure failure);
    std::shared_ptr<HTTPRequestOperation> PUT(const std::string& URLString,
                                              const std::optional<boost::json::value>& parameters,
                                              Success success, Failure failure);
    std::shared_ptr<HTTPRequestOperation> PATCH(const std::string& URLString,
                                                const std::optional<boost::json::value>& parameters,
                                                Success success, Failure failure);
    std::shared_ptr<HTTPRequestOperation> DELETE(const std::string& URLString,
                                                 const std::optional<boost::json::value>& parameters,
                                                 Success success, Failure failure);

    // "last url == ..." with the values of Password, OldPassword and NewPassword replaced by ***
    // (maskSecrets, which every console line also passes through).
    static std::string maskedURLForLog(const std::string& url);

  private:
    std::shared_ptr<HTTPRequestOperation> issue(const std::string& method, const std::string& URLString,
                                                const std::optional<boost::json::value>& parameters,
                                                Success success, Failure failure);
    // Resolves the address, builds the request with `build`, prints "last url ==" when asked, and
    // queues the operation; a request that cannot be built fails once through `failure`.
    using Build = std::function<std::optional<URLRequest>(const std::string& absoluteURL, Error* error)>;
    std::shared_ptr<HTTPRequestOperation> issue(const std::string& URLString, const Build& build, bool logURL,
                                                Success success, Failure failure);
    std::optional<std::string> resolvedURL(const std::string& URLString) const;
    std::shared_ptr<HTTPRequestOperation> failBuilding(const Error& error, const Failure& failure);

    std::optional<std::string> baseURL_;
    std::shared_ptr<HTTPRequestSerializer> requestSerializer_;
    std::shared_ptr<HTTPResponseSerializer> responseSerializer_;
    OperationQueue operationQueue_;
};

}  // namespace busdesk
