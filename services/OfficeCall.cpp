#include "services/OfficeCall.h"

#include <boost/json/serialize.hpp>
#include <mutex>
#include <utility>
#include <vector>

#include "net/HTTPResponseSerializer.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"

namespace busdesk {

namespace {
constexpr std::size_t kMaxLoggedBytes = 256;

// Every manager an office call made; a manager lives until its one request has called back, so
// the live ones are those with a request pending.
std::mutex madeManagersMutex;
std::vector<std::weak_ptr<HTTPRequestOperationManager>>& madeManagers() {
    static std::vector<std::weak_ptr<HTTPRequestOperationManager>> list;
    return list;
}
}  // namespace

std::shared_ptr<HTTPRequestOperationManager> OfficeCall::manager(bool text) {
    auto mgr = HTTPRequestOperationManager::manager();
    if (text) mgr->setResponseSerializer(HTTPResponseSerializer::serializer());
    std::lock_guard lock(madeManagersMutex);
    auto& made = madeManagers();
    std::erase_if(made, [](const auto& weak) { return weak.expired(); });
    made.push_back(mgr);
    return mgr;
}

void OfficeCall::cancelPending() {
    std::vector<std::weak_ptr<HTTPRequestOperationManager>> made;
    {
        std::lock_guard lock(madeManagersMutex);
        made = std::exchange(madeManagers(), {});
    }
    for (auto& weak : made)
        if (auto mgr = weak.lock()) mgr->operationQueue().cancelAllOperations();
}

std::string OfficeCall::describe(const std::optional<boost::json::value>& json) {
    if (!json) return "(null)";
    return boost::json::serialize(*json);
}

std::string OfficeCall::describe(const Error& error) {
    std::string out = "Error Domain=" + error.domain + " Code=" + std::to_string(error.code) + " \"" +
                      error.description + "\"";
    if (auto url = error.infoString(kErrorFailingURLKey)) out += " URL=" + *url;
    for (auto* e = error.underlying.get(); e; e = e->underlying.get())
        out += " (underlying: " + e->domain + " " + std::to_string(e->code) + " \"" + e->description + "\")";
    return out;
}

std::string OfficeCall::describe(const std::optional<std::string>& text) {
    return text ? *text : "(null)";
}

std::string OfficeCall::describeBytes(const std::optional<std::string>& bytes) {
    if (!bytes) return "(null)";
    static const char* hex = "0123456789abcdef";
    std::string out = "<";
    const std::size_t shown = std::min(bytes->size(), kMaxLoggedBytes);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0 && i % 4 == 0) out += ' ';
        const auto b = static_cast<unsigned char>((*bytes)[i]);
        out += hex[b >> 4];
        out += hex[b & 0xF];
    }
    if (shown < bytes->size()) out += " ... " + std::to_string(bytes->size()) + " bytes";
    out += ">";
    return out;
}

Error OfficeCall::makeError(long code, std::string description) {
    return Error(kOfficeServiceErrorDomain, code, std::move(description));
}

void OfficeCall::logFailure(const Error& error, const std::shared_ptr<HTTPRequestOperation>& operation,
                            bool withOperationText) {
    Log::line("Error: " + describe(error));
    if (withOperationText)
        Log::line("operation===" + describe(operation ? operation->responseString() : std::nullopt));
}

std::optional<std::string> OfficeCall::answerText(const std::shared_ptr<HTTPRequestOperation>& operation) {
    if (!operation) return std::nullopt;
    return operation->responseString();
}

HTTPRequestOperationManager::Failure OfficeCall::failureBlock(
    std::shared_ptr<HTTPRequestOperationManager> mgr, std::function<void()> fail, bool withOperationText) {
    return [mgr = std::move(mgr), fail = std::move(fail), withOperationText](
               const std::shared_ptr<HTTPRequestOperation>& operation, const Error& error) {
        logFailure(error, operation, withOperationText);
        callFail(fail);
    };
}

void OfficeCall::fetchText(const std::string& url, const std::optional<boost::json::value>& params,
                           const std::string& what, bool logUndecodableOperation,
                           std::function<void(std::string)> onText, std::function<void()> fail) {
    auto mgr = manager(true);
    // Made before the answer block takes `fail` over.
    auto onFailure = failureBlock(mgr, fail, true);
    mgr->GET(
        url, params,
        [mgr, what, logUndecodableOperation, onText = std::move(onText), fail = std::move(fail)](
            const std::shared_ptr<HTTPRequestOperation>& operation, const ResponseObject& answer) {
            Log::line("JSON: " + describeBytes(answer.data));
            auto text = answerText(operation);
            if (!text) {
                logFailure(
                    makeError(OfficeServiceErrorCode::UndecodableText, "The " + what + " is not valid text."),
                    operation, logUndecodableOperation);
                return callFail(fail);
            }
            onText(std::move(*text));
        },
        std::move(onFailure));
}

void OfficeCall::failLater(std::function<void()> fail) {
    // Counted as work so that a run until idle waits for this outcome as for a request's.
    RunLoop::main().beginWork();
    dispatchMain([fail = std::move(fail)] {
        callFail(fail);
        RunLoop::main().endWork();
    });
}

void OfficeCall::logJSONLine(const std::optional<boost::json::value>& json) {
    Log::line("JSON: " + describe(json));
}

bool OfficeCall::isArrayMember(const std::optional<boost::json::value>& json, const char* key) {
    if (!json || !json->is_object()) return false;
    const auto* member = json->get_object().if_contains(key);
    return member && member->is_array();
}

}  // namespace busdesk
