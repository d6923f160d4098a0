#pragma once

#include <functional>
#include <memory>

#include "net/HTTPResponseSerializer.h"
#include "net/ResponseObject.h"
#include "net/URLConnectionOperation.h"

namespace busdesk {

inline constexpr const char* kHTTPRequestProcessingQueueName =
    "com.corvane.networking.http-request.processing";

// An operation whose body is validated and decoded by a response serializer, on the processing
// queue, after it finished.
class HTTPRequestOperation : public URLConnectionOperation {
  public:
    using Success = std::function<void(const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject&)>;
    using Failure = std::function<void(const std::shared_ptr<HTTPRequestOperation>&, const Error&)>;

    explicit HTTPRequestOperation(URLRequest request);
    static std::shared_ptr<HTTPRequestOperation> create(URLRequest request) {
        return std::make_shared<HTTPRequestOperation>(std::move(request));
    }

    std::shared_ptr<HTTPResponseSerializer> responseSerializer() const;
    void setResponseSerializer(std::shared_ptr<HTTPResponseSerializer> serializer);

    // Computed once, on first use after the operation finished without a transport error.
    const ResponseObject& responseObject() const;
    // The same object, shared: whoever keeps a part of the answer (a list keeping its rows in the
    // parsed document) keeps only the answer alive, not the operation and its body.
    std::shared_ptr<const ResponseObject> sharedResponseObject() const;
    std::optional<Error> responseSerializationError() const;
    // The serializer's error takes precedence over the transport error.
    std::optional<Error> error() const override;

    // Exactly one of the two runs, on the completion queue (the main queue when unset).
    void setCompletionBlockWithSuccess(Success success, Failure failure);

  private:
    static void releaseAfterDelivery(std::shared_ptr<HTTPRequestOperation>&& self);

    std::shared_ptr<HTTPResponseSerializer> responseSerializer_;
    mutable bool responseObjectComputed_ = false;
    mutable std::shared_ptr<ResponseObject> responseObject_ = std::make_shared<ResponseObject>();
    mutable std::optional<Error> responseSerializationError_;
};

}  // namespace busdesk
