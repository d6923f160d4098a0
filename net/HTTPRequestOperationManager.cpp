#include "net/HTTPRequestOperationManager.h"

#include "net/URLError.h"
#include "platform/ConsoleText.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

namespace busdesk {

HTTPRequestOperationManager::HTTPRequestOperationManager(std::optional<std::string> baseURL)
    : requestSerializer_(HTTPRequestSerializer::serializer()),
      responseSerializer_(JSONResponseSerializer::serializer()) {
    if (baseURL) {
        // A base whose path does not end in "/" would lose its last segment when resolving.
        std::string& base = *baseURL;
        size_t scheme = base.find("://");
        size_t pathStart = scheme == std::string::npos ? std::string::npos : base.find('/', scheme + 3);
        if (pathStart != std::string::npos && pathStart + 1 < base.size() && base.back() != '/') base += '/';
    }
    baseURL_ = std::move(baseURL);
}

std::shared_ptr<HTTPRequestOperationManager> HTTPRequestOperationManager::manager() {
    return std::make_shared<HTTPRequestOperationManager>();
}

std::shared_ptr<HTTPRequestOperationManager> HTTPRequestOperationManager::managerWithBaseURL(
    std::string baseURL) {
    return std::make_shared<HTTPRequestOperationManager>(std::move(baseURL));
}

void HTTPRequestOperationManager::setRequestSerializer(std::shared_ptr<HTTPRequestSerializer> serializer) {
    if (serializer) requestSerializer_ = std::move(serializer);
}

void HTTPRequestOperationManager::setResponseSerializer(std::shared_ptr<HTTPResponseSerializer> serializer) {
    if (serializer) responseSerializer_ = std::move(serializer);
}

std::string HTTPRequestOperationManager::maskedURLForLog(const std::string& url) {
    return maskSecrets(url);
}

std::optional<std::string> HTTPRequestOperationManager::resolvedURL(const std::string& URLString) const {
    if (!baseURL_) return URLString;
    return url::resolve(URLString, *baseURL_);
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::failBuilding(const Error& error,
                                                                                const Failure& failure) {
    if (failure) {
        RunLoop::main().beginWork();
        auto job = [failure, error] {
            failure(nullptr, error);
            RunLoop::main().endWork();
        };
        if (completionQueue) {
            completionQueue(job);
        } else {
            dispatchMain(job);
        }
    }
    return nullptr;
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::HTTPRequestOperationWithRequest(
    URLRequest request, Success success, Failure failure) {
    auto operation = HTTPRequestOperation::create(std::move(request));
    operation->setResponseSerializer(responseSerializer_);
    operation->shouldUseCredentialStorage = shouldUseCredentialStorage;
    operation->credential = credential;
    operation->securityPolicy = securityPolicy;
    operation->completionQueue = completionQueue;
    operation->completionGroup = completionGroup;
    operation->setCompletionBlockWithSuccess(std::move(success), std::move(failure));
    return operation;
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::issue(
    const std::string& method, const std::string& URLString,
    const std::optional<boost::json::value>& parameters, Success success, Failure failure) {
    return issue(
        URLString,
        [&](const std::string& absolute, Error* error) {
            return requestSerializer_->requestWithMethod(method, absolute, parameters, error);
        },
        true, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::issue(const std::string& URLString,
                                                                         const Build& build, bool logURL,
                                                                         Success success, Failure failure) {
    Error error;
    auto absolute = resolvedURL(URLString);
    std::optional<URLRequest> request;
    if (absolute) {
        request = build(*absolute, &error);
    } else {
        error = makeURLError(URLErrorCode::BadURL, "bad URL", URLString);
    }
    if (logURL) Log::line("last url == " + maskedURLForLog(request ? request->URL : URLString));
    if (!request) return failBuilding(error, failure);
    auto operation =
        HTTPRequestOperationWithRequest(std::move(*request), std::move(success), std::move(failure));
    operationQueue_.addOperation(operation);
    return operation;
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::GET(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, Success success,
    Failure failure) {
    return issue("GET", URLString, parameters, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::HEAD(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, HeadSuccess success,
    Failure failure) {
    Success wrapped;
    if (success)
        wrapped = [success = std::move(success)](const std::shared_ptr<HTTPRequestOperation>& op,
                                                 const ResponseObject&) { success(op); };
    return issue("HEAD", URLString, parameters, std::move(wrapped), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::HEAD(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, Success success,
    Failure failure) {
    return issue("HEAD", URLString, parameters, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::POST(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, Success success,
    Failure failure) {
    return issue("POST", URLString, parameters, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::POST(
    const std::string& URLString, const std::optional<boost::json::value>& parameters,
    ConstructingBody constructingBody, Success success, Failure failure) {
    // An upload does not print its address: the multipart body is built from the form instead.
    return issue(
        URLString,
        [&](const std::string& absolute, Error* error) {
            return requestSerializer_->multipartFormRequestWithMethod("POST", absolute, parameters,
                                                                      constructingBody, error);
        },
        false, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::PUT(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, Success success,
    Failure failure) {
    return issue("PUT", URLString, parameters, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::PATCH(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, Success success,
    Failure failure) {
    return issue("PATCH", URLString, parameters, std::move(success), std::move(failure));
}

std::shared_ptr<HTTPRequestOperation> HTTPRequestOperationManager::DELETE(
    const std::string& URLString, const std::optional<boost::json::value>& parameters, Success success,
    Failure failure) {
    return issue("DELETE", URLString, parameters, std::move(success), std::move(failure));
}

}  // namespace busdesk
