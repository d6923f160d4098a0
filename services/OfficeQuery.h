#pragma once

#include <boost/json/object.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "net/ResponseObject.h"
#include "platform/Date.h"
#include "platform/Error.h"
#include "services/QueryKey.h"

namespace busdesk {

// How the office answers a query: JSON (parsed and checked by the JSON serializer) or plain text
// (any content type; the bytes as they came).
enum class AnswerKind { JSON, Text };

// An accepted answer as it came over the wire: what an answer store keeps.
struct RawAnswer {
    std::string_view body;    // the bytes as received; valid only during the call that hands them over
    std::string contentType;  // the Content-Type header as sent; empty when there was none
};

// An accepted answer as the decoders read it, whether it just arrived or was kept earlier.
struct Answer {
    RawAnswer raw;
    // What the response serializer made of the body: `json` for JSON answers, `data` for text.
    // Shared, so a list can keep its rows in the parsed document without copying it.
    std::shared_ptr<const ResponseObject> object;

    // The body in the charset the content type names, UTF-8 otherwise; nothing when the bytes do
    // not decode. The same text the request operation gives for a fresh answer.
    std::optional<std::string> text() const;

    // A kept answer read again the way a fresh one of `kind` is read (charset, UTF-8 check, JSON
    // parse); nothing, with the reason in `error`, when the bytes would not pass now.
    static std::optional<Answer> stored(const RawAnswer& raw, AnswerKind kind, Error* error = nullptr);
};

// A decoder's result: the model, or why the answer cannot be used (the caller then fails).
template <class Model>
using Decoded = std::variant<Model, Error>;

// Everything sending one office query needs, whatever model its answer becomes.
struct QueryRequest {
    std::string method;
    // Nothing: the address goes out without a query string (not even a "?").
    std::optional<boost::json::object> parameters;
    std::string user;  // the signed-in employee the answer is for (QueryKey::user)
    AnswerKind answerKind = AnswerKind::JSON;
    bool logsAnswer = true;    // the "JSON: ..." console line of a JSON answer
    bool closingSlash = true;  // false only for the company logo's address

    // `method` with `parameters` for whoever the session holds.
    static QueryRequest forSession(std::string method, std::optional<boost::json::object> parameters);

    QueryKey key() const;
    std::string url() const;
};

// One typed office query: what to send, and how its answer becomes a `Model`. A plain value; the
// typed calls of services/OfficeQueries.h make them, runQuery sends them.
template <class Model>
struct OfficeQuery : QueryRequest {
    using Decode = Decoded<Model> (*)(const Answer&);
    // Pure: the same answer, fresh or kept, gives the same model.
    Decode decode = nullptr;

    // The model of a kept answer, exactly as `decode` reads a fresh one.
    Decoded<Model> decodeStored(const RawAnswer& raw) const {
        Error error;
        auto answer = Answer::stored(raw, answerKind, &error);
        if (!answer) return error;
        return decode(*answer);
    }
};

template <class Model>
OfficeQuery<Model> makeQuery(QueryRequest request, typename OfficeQuery<Model>::Decode decode) {
    OfficeQuery<Model> query;
    static_cast<QueryRequest&>(query) = std::move(request);
    query.decode = decode;
    return query;
}

// Where an answer store plugs in: it hears of every typed query before it is sent, and of every
// answer that was accepted and decoded, with the bytes as received, and it is asked for the answer
// it kept under a key. The calls come on the main thread and must not block it.
class QueryObserver {
  public:
    virtual ~QueryObserver() = default;
    virtual void queryWillSend(const QueryKey& key) = 0;
    virtual void queryDidDecode(const QueryKey& key, const RawAnswer& answer) = 0;
    // Reads a kept answer off the main thread; the job it returns (when not empty) runs on the
    // main loop.
    using Reader = std::function<std::function<void()>(const RawAnswer&, Date fetched)>;
    // Looks `key` up; when an answer is kept under it, `read` runs with it (on any thread but the
    // main one). Returns whether a look-up is under way: then `finished` runs on the main loop once
    // it is over, found or not, after the job `read` returned.
    virtual bool lookUp(const QueryKey& /*key*/, const Reader& /*read*/,
                        const std::function<void()>& /*finished*/) {
        return false;
    }
};
void setQueryObserver(std::shared_ptr<QueryObserver> observer);

// Reads an accepted answer (fresh, or kept and read again) into the call that hands its model
// over, or into the error that makes it unusable.
using AnswerHandler = std::function<std::variant<std::function<void()>, Error>(const Answer&)>;
// Reads a kept answer (off the main thread) into the call that shows it, or into nothing when it
// no longer decodes.
using StoredHandler = std::function<std::function<void()>(const RawAnswer&, Date fetched)>;

// The one function every typed query goes through: tells the observer, sends the request, writes
// the console lines, and then either hands the decoded answer over (after telling the observer)
// or calls `fail`. Exactly one of the two, on the main thread, never inside this call.
//
// With `stored`, the observer is also asked for the answer it kept under the query's key; when one
// is found and decodes, its call runs on the main loop unless the fresh answer came first. It is
// no outcome: `success` (which may come before it) or `fail` still follows. A failure waits for
// that look-up to be over, so a screen shows the kept rows first and then says the office failed,
// rather than saying so in an empty list that the kept rows then replace.
void runQueryRequest(const QueryRequest& request, AnswerHandler handle, std::function<void()> fail,
                     StoredHandler stored = {});

// Sends `query`: `success` with the fresh answer's model or `fail`, exactly one. With `stored`,
// the model of the answer kept under the query's key is handed to it first with its fetch time
// (decoded off the main thread), unless the fresh answer is in by then: a screen shows it under
// its overlay until the outcome arrives.
template <class Model>
void runQuery(const OfficeQuery<Model>& query, std::function<void(Model)> success, std::function<void()> fail,
              std::function<void(Model, Date)> stored = {}) {
    StoredHandler readStored;
    if (stored)
        readStored = [query, stored = std::move(stored)](const RawAnswer& raw,
                                                         Date fetched) -> std::function<void()> {
            auto decoded = query.decodeStored(raw);
            auto* model = std::get_if<Model>(&decoded);
            if (!model) return {};
            return
                [stored, model = std::move(*model), fetched]() mutable { stored(std::move(model), fetched); };
        };
    runQueryRequest(
        query,
        [decode = query.decode,
         success = std::move(success)](const Answer& answer) -> std::variant<std::function<void()>, Error> {
            auto decoded = decode(answer);
            if (auto* error = std::get_if<Error>(&decoded)) return std::move(*error);
            return [success, model = std::get<Model>(std::move(decoded))]() mutable {
                if (success) success(std::move(model));
            };
        },
        std::move(fail), std::move(readStored));
}

}  // namespace busdesk
