#include "services/OfficeQuery.h"

#include <utility>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "net/HTTPResponseSerializer.h"
#include "net/JSONResponseSerializer.h"
#include "net/TextEncoding.h"
#include "platform/Log.h"
#include "services/OfficeCall.h"
#include "services/OfficeEvents.h"

namespace busdesk {

namespace {

std::shared_ptr<QueryObserver>& installedObserver() {
    static std::shared_ptr<QueryObserver> observer;
    return observer;
}

std::shared_ptr<const HTTPURLResponse> responseWithContentType(const std::string& contentType) {
    auto response = std::make_shared<HTTPURLResponse>();
    response->statusCode = 200;
    if (!contentType.empty()) response->allHeaderFields["Content-Type"] = contentType;
    return response;
}

std::string contentTypeOf(const std::shared_ptr<HTTPRequestOperation>& operation) {
    auto response = operation ? operation->response() : nullptr;
    if (!response) return {};
    auto it = response->allHeaderFields.find(std::string_view("Content-Type"));
    return it == response->allHeaderFields.end() ? std::string() : it->second;
}

}  // namespace

std::optional<std::string> Answer::text() const {
    if (raw.body.empty()) return std::string();
    std::string encoding = "UTF-8";
    if (auto name = responseWithContentType(raw.contentType)->textEncodingName();
        name && isKnownEncoding(*name))
        encoding = *name;
    return decodeText(raw.body, encoding);
}

std::optional<Answer> Answer::stored(const RawAnswer& raw, AnswerKind kind, Error* error) {
    std::shared_ptr<HTTPResponseSerializer> serializer = kind == AnswerKind::JSON
                                                             ? JSONResponseSerializer::serializer()
                                                             : HTTPResponseSerializer::serializer();
    std::optional<Error> failure;
    auto object = std::make_shared<ResponseObject>(serializer->responseObjectForResponse(
        responseWithContentType(raw.contentType), std::string(raw.body), failure));
    if (failure) {
        if (error) *error = std::move(*failure);
        return std::nullopt;
    }
    return Answer{raw, std::move(object)};
}

QueryRequest QueryRequest::forSession(std::string method, std::optional<boost::json::object> parameters) {
    QueryRequest request;
    request.method = std::move(method);
    request.parameters = std::move(parameters);
    if (auto session = Session::shared().loginResult(); session && session->EmpID)
        request.user = *session->EmpID;
    return request;
}

QueryKey QueryRequest::key() const {
    return QueryKey::of(method, parameters.value_or(boost::json::object()), user);
}

std::string QueryRequest::url() const {
    return closingSlash ? PublicMethod::addUrlPreWithName(method)
                        : PublicMethod::addUrlPreWithNameNoPara(method);
}

void setQueryObserver(std::shared_ptr<QueryObserver> observer) {
    installedObserver() = std::move(observer);
}

void runQueryRequest(const QueryRequest& request, AnswerHandler handle, std::function<void()> fail,
                     StoredHandler stored) {
    QueryKey key = request.key();
    // Set on the main thread once the fresh answer is handed over: a kept one found later is old news.
    auto freshIn = std::make_shared<bool>(false);
    // Main thread: the kept answer's look-up under way, and a failure that came before it was over.
    struct LookUp {
        bool underWay = false;
        std::function<void()> heldFailure;
    };
    auto lookUp = std::make_shared<LookUp>();
    if (auto observer = installedObserver()) {
        observer->queryWillSend(key);
        if (stored)
            lookUp->underWay = observer->lookUp(
                key,
                [freshIn, stored = std::move(stored)](const RawAnswer& raw,
                                                      Date fetched) -> std::function<void()> {
                    auto show = stored(raw, fetched);
                    if (!show) return {};
                    return [freshIn, show = std::move(show)] {
                        if (!*freshIn) show();
                    };
                },
                [lookUp] {
                    lookUp->underWay = false;
                    if (auto failure = std::exchange(lookUp->heldFailure, {})) failure();
                });
    }
    fail = [lookUp, fail = std::move(fail)] {
        if (lookUp->underWay)
            lookUp->heldFailure = fail;
        else if (fail)
            fail();
    };
    const bool text = request.answerKind == AnswerKind::Text;
    std::optional<boost::json::value> parameters;
    if (request.parameters) parameters = boost::json::value(*request.parameters);
    auto mgr = OfficeCall::manager(text);
    auto failure = OfficeCall::failureBlock(mgr, fail, text);
    mgr->GET(
        request.url(), parameters,
        [mgr, key = std::move(key), freshIn, text, logsAnswer = request.logsAnswer,
         handle = std::move(handle), fail = std::move(fail)](
            const std::shared_ptr<HTTPRequestOperation>& operation, const ResponseObject& object) {
            if (text)
                Log::line("JSON: " + OfficeCall::describeBytes(object.data));
            else if (logsAnswer)
                OfficeCall::logJSONLine(object.json);
            Answer answer{
                {operation ? std::string_view(operation->responseData()) : std::string_view(),
                 contentTypeOf(operation)},
                operation ? operation->sharedResponseObject() : std::make_shared<ResponseObject>(object)};
            auto outcome = handle(answer);
            if (auto* error = std::get_if<Error>(&outcome)) {
                OfficeCall::logFailure(*error, nullptr, false);
                return OfficeCall::callFail(fail);
            }
            if (auto observer = installedObserver()) observer->queryDidDecode(key, answer.raw);
            *freshIn = true;
            office_events::answered();
            std::get<std::function<void()>>(outcome)();
        },
        std::move(failure));
}

}  // namespace busdesk
