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

// A line break or NUL would end the header line early and let the rest pass as headers of its own.
bool safeHeader(const std::string& name, const std::string& value) {
    const std::string breaks("\r\n\0", 3);
    return !name.empty() && name.find_first_of(breaks + ": \t") == std::string::npos &&
           value.find_first_of(breaks) == std::string::npos;
}

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

OfficeCall::Failed OfficeCall::ignoringWhy(std::function<void()> fail) {
    return [fail = std::move(fail)](const OfficeFailure&) { callFail(fail); };
}

HTTPRequestOperationManager::Failure OfficeCall::failureBlock(
    std::shared_ptr<HTTPRequestOperationManager> mgr, std::function<void()> fail, bool withOperationText) {
    return failureBlock(std::move(mgr), ignoringWhy(std::move(fail)), withOperationText);
}

HTTPRequestOperationManager::Failure OfficeCall::failureBlock(
    std::shared_ptr<HTTPRequestOperationManager> mgr, Failed fail, bool withOperationText) {
    return [mgr = std::move(mgr), fail = std::move(fail), withOperationText](
               const std::shared_ptr<HTTPRequestOperation>& operation, const Error& error) {
        logFailure(error, operation, withOperationText);
        if (fail) fail(OfficeFailure::from(operation, error));
    };
}

void OfficeCall::fetchText(const std::string& url, const std::optional<boost::json::value>& params,
                           const std::string& what, bool logUndecodableOperation,
                           const std::function<void(std::string)>& onText, std::function<void()> fail) {
    fetchText(url, params, what, logUndecodableOperation, onText, ignoringWhy(std::move(fail)), {});
}

void OfficeCall::fetchText(const std::string& url, const std::optional<boost::json::value>& params,
                           const std::string& what, bool logUndecodableOperation,
                           const std::function<void(std::string)>& onText, Failed fail,
                           const HTTPHeaders& headers) {
    auto mgr = manager(true);
    for (const auto& [name, value] : headers) {
        if (!safeHeader(name, value))
            return refuseLater(OfficeServiceErrorCode::BadRequestHeader,
                               "The request header " + name + " cannot be sent as it is.", std::move(fail));
        mgr->requestSerializer()->setValue(value, name);
    }
    mgr->GET(
        url, params,
        [mgr, what, logUndecodableOperation, onText, fail](
            const std::shared_ptr<HTTPRequestOperation>& operation, const ResponseObject& answer) {
            Log::line("JSON: " + describeBytes(answer.data));
            auto text = answerText(operation);
            if (!text) {
                auto error =
                    makeError(OfficeServiceErrorCode::UndecodableText, "The " + what + " is not valid text.");
                logFailure(error, operation, logUndecodableOperation);
                if (fail) fail(OfficeFailure::from(operation, error));
                return;
            }
            onText(std::move(*text));
        },
        failureBlock(mgr, fail, true));
}

void OfficeCall::failLater(std::function<void()> fail) {
    failLater(ignoringWhy(std::move(fail)), {});
}

void OfficeCall::failLater(Failed fail, OfficeFailure failure) {
    later([fail = std::move(fail), failure = std::move(failure)] {
        if (fail) fail(failure);
    });
}

void OfficeCall::refuseLater(long code, const std::string& why, Failed fail) {
    auto error = makeError(code, why);
    logFailure(error, nullptr, false);
    failLater(std::move(fail), OfficeFailure::from(nullptr, error));
}

void OfficeCall::later(std::function<void()> job) {
    RunLoop::main().beginWork();
    dispatchMain([job = std::move(job)] {
        job();
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
