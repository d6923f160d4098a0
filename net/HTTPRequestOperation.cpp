#include "net/HTTPRequestOperation.h"

#include "net/URLError.h"
#include "platform/DispatchQueue.h"
#include "platform/RunLoop.h"

namespace busdesk {

HTTPRequestOperation::HTTPRequestOperation(URLRequest request)
    : URLConnectionOperation(std::move(request)), responseSerializer_(HTTPResponseSerializer::serializer()) {}

std::shared_ptr<HTTPResponseSerializer> HTTPRequestOperation::responseSerializer() const {
    std::lock_guard lock(lock_);
    return responseSerializer_;
}

void HTTPRequestOperation::setResponseSerializer(std::shared_ptr<HTTPResponseSerializer> serializer) {
    std::lock_guard lock(lock_);
    responseSerializer_ = serializer ? std::move(serializer) : HTTPResponseSerializer::serializer();
}

const ResponseObject& HTTPRequestOperation::responseObject() const {
    std::lock_guard lock(lock_);
    if (!responseObjectComputed_ && isFinished() && !transportError()) {
        responseObjectComputed_ = true;
        std::optional<Error> error;
        *responseObject_ = responseSerializer_->responseObjectForResponse(response(), responseData(), error);
        responseSerializationError_ = std::move(error);
    }
    return *responseObject_;
}

std::shared_ptr<const ResponseObject> HTTPRequestOperation::sharedResponseObject() const {
    std::lock_guard lock(lock_);
    responseObject();
    return responseObject_;
}

std::optional<Error> HTTPRequestOperation::responseSerializationError() const {
    std::lock_guard lock(lock_);
    return responseSerializationError_;
}

std::optional<Error> HTTPRequestOperation::error() const {
    std::lock_guard lock(lock_);
    if (responseSerializationError_) return responseSerializationError_;
    return transportError();
}

void HTTPRequestOperation::releaseAfterDelivery(std::shared_ptr<HTTPRequestOperation>&& self) {
    // Anyone else still holding the operation lets it go later, wherever they are.
    if (self.use_count() != 1) {
        self.reset();
        return;
    }
    // Nobody else can see it: its body and decoded answer are freed on the processing queue,
    // where they were built, instead of on the main thread. A large answer takes milliseconds to
    // tear down; a small one frees from a warm cache there.
    std::shared_ptr<ResponseObject> object;
    {
        std::lock_guard lock(self->lock_);
        object = std::exchange(self->responseObject_, std::make_shared<ResponseObject>());
    }
    DispatchQueue::processing().async([body = self->takeResponseData(), object = std::move(object)] {});
    self.reset();  // the rest of it (the callbacks it still holds) goes here, on the main thread
}

void HTTPRequestOperation::setCompletionBlockWithSuccess(Success success, Failure failure) {
    std::weak_ptr<URLConnectionOperation> weak = weak_from_this();
    // The job runs once: the callbacks move on into the delivery instead of being copied.
    setCompletionJob([this, weak, success = std::move(success), failure = std::move(failure)]() mutable {
        // The finishing operation holds itself alive while this job runs.
        auto self = std::static_pointer_cast<HTTPRequestOperation>(weak.lock());
        auto group = completionGroup;
        if (group) group->enter();
        auto finishDelivery = [group](std::shared_ptr<HTTPRequestOperation> delivered) {
            if (group) group->leave();
            RunLoop::main().endWork();
            releaseAfterDelivery(std::move(delivered));
        };
        // A transport error goes as it is; otherwise the body is decoded and the serializer's
        // error, if any, goes instead of the answer.
        std::optional<Error> error = transportError();
        const ResponseObject* object = nullptr;
        if (!error) {
            object = &responseObject();
            error = this->error();
        }
        if (error) {
            deliver(
                [self, failure = std::move(failure), error = std::move(*error), finishDelivery]() mutable {
                    if (self) self->beginDelivery();
                    if (failure) failure(self, error);
                    finishDelivery(std::move(self));
                });
        } else {
            deliver([self, success = std::move(success), failure = std::move(failure), object,
                     finishDelivery]() mutable {
                // Cancelled after the answer came in: the caller asked not to hear of it.
                if (self && self->beginDelivery()) {
                    if (failure)
                        failure(self,
                                makeURLError(URLErrorCode::Cancelled, "cancelled", self->request().URL));
                } else if (success) {
                    success(self, *object);
                }
                finishDelivery(std::move(self));
            });
        }
    });
    expectDelivery();
}

}  // namespace busdesk
