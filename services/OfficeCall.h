#pragma once

#include <boost/json/value.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/WireModelArray.h"
#include "net/HTTPRequestOperationManager.h"
#include "platform/Error.h"

namespace busdesk {

inline constexpr const char* kOfficeServiceErrorDomain = "com.busdesk.error.office-service";

// Codes of kOfficeServiceErrorDomain: answers that arrived but cannot be used.
namespace OfficeServiceErrorCode {
inline constexpr long UnexpectedAnswerKind = 1;  // valid JSON of the wrong top-level kind
inline constexpr long UndecodableText = 2;       // a text answer whose bytes do not decode
inline constexpr long UnmappableAnswer = 3;      // the record could not be built from the answer
inline constexpr long UnknownTag = 4;            // the tag selects no server method
inline constexpr long BadUploadInput = 5;        // the photos cannot be sent as given
inline constexpr long UploadRefused = 6;         // the upload answer was not exactly "1"
}  // namespace OfficeServiceErrorCode

// The request conventions every office service shares: a fresh manager per call, the console
// lines, and the mapping of list answers. Nothing here keeps state between calls.
class OfficeCall {
  public:
    // A fresh manager; `text` swaps in the plain serializer, so any content type passes and the
    // body arrives as bytes.
    static std::shared_ptr<HTTPRequestOperationManager> manager(bool text = false);
    // Cancels every office request still waiting for its answer (signing out): each ends in its
    // failure block with the cancelled error, even one whose answer has arrived but not yet been
    // handed over, so nothing the old session asked for reaches anyone. Main thread.
    static void cancelPending();

    // Renderings for the console lines; "(null)" stands for a missing value.
    static std::string describe(const std::optional<boost::json::value>& json);
    static std::string describe(const Error& error);
    static std::string describe(const std::optional<std::string>& text);
    // Bytes as hexadecimal groups of four, like a data object prints itself; long bodies are cut
    // so an unexpected page cannot flood the console.
    static std::string describeBytes(const std::optional<std::string>& bytes);

    static Error makeError(long code, std::string description);
    // "Error: ..." and, for text answers, "operation===..." with what the server sent.
    static void logFailure(const Error& error, const std::shared_ptr<HTTPRequestOperation>& operation,
                           bool withOperationText);
    // The answer text, decoded with the charset the answer names, UTF-8 otherwise.
    static std::optional<std::string> answerText(const std::shared_ptr<HTTPRequestOperation>& operation);

    // The failure block every call shares: the console lines, then `fail`. It holds the manager,
    // which must live as long as its request.
    static HTTPRequestOperationManager::Failure failureBlock(std::shared_ptr<HTTPRequestOperationManager> mgr,
                                                             std::function<void()> fail,
                                                             bool withOperationText);
    // A GET whose answer is text: the console line of its bytes, the text decoded by the charset
    // it names, and `fail` (after an "Error:" line naming `what`) when it does not decode.
    // No parameters leave the URL as it is (not even a "?").
    static void fetchText(const std::string& url, const std::optional<boost::json::value>& params,
                          const std::string& what, bool logUndecodableOperation,
                          std::function<void(std::string)> onText, std::function<void()> fail);

    // Calls `fail` on the main queue after the current job, never inside the caller's own call,
    // so every outcome reaches the caller the same way.
    static void failLater(std::function<void()> fail);
    static void callFail(const std::function<void()>& fail) {
        if (fail) fail();
    }

    // Rows mapped one by one; a row that fails leaves the whole list empty (never shorter).
    template <class Elem>
    static WireModelArray<Elem> mapRows(const boost::json::value& array) {
        auto rows = Elem::arrayOfModelsFromDictionaries(array);
        if (!rows) return WireModelArray<Elem>(std::vector<std::shared_ptr<Elem>>{});
        return WireModelArray<Elem>(std::move(*rows));
    }

    // The rows of a parsed answer as an on-demand list sharing the answer's document: every row is
    // mapped once to check it (a row that fails leaves the whole list empty, as with mapRows) and
    // dropped again, so a long answer never holds all its rows as models at once.
    template <class Elem>
    static WireModelArray<Elem> sharedRows(std::shared_ptr<const boost::json::array> rows) {
        for (std::size_t i = 0; i < rows->size(); ++i) {
            std::shared_ptr<const boost::json::value> owner(rows, &(*rows)[i]);
            if (!Elem::initWithDictionaryIn((*rows)[i], &owner, nullptr))
                return WireModelArray<Elem>(std::vector<std::shared_ptr<Elem>>{});
        }
        return WireModelArray<Elem>(std::move(rows));
    }

    // GET of a list query: a JSON array becomes a fresh `List` whose `field` holds the rows; any
    // other answer ends in `fail` (the screen stops waiting and shows its network message). The
    // rows stay in the answer's parsed document and are mapped when read.
    template <class List, class Elem>
    static void fetchList(const std::string& url, boost::json::value params, bool logJSON,
                          WireModelArray<Elem> List::*field,
                          std::function<void(std::shared_ptr<List>)> success, std::function<void()> fail) {
        auto mgr = manager();
        mgr->GET(
            url, params,
            [mgr, logJSON, field, success, fail](const std::shared_ptr<HTTPRequestOperation>& operation,
                                                 const ResponseObject& answer) {
                if (logJSON) logJSONLine(answer.json);
                if (!answer.json || !answer.json->is_array()) {
                    logFailure(makeError(OfficeServiceErrorCode::UnexpectedAnswerKind,
                                         "The answer is not a JSON array."),
                               nullptr, false);
                    callFail(fail);
                    return;
                }
                auto list = List::init();
                // The list keeps the parsed answer alive (not the operation and its body), no copy.
                std::shared_ptr<const boost::json::array> rows;
                if (operation) {
                    auto shared = operation->sharedResponseObject();
                    if (shared->json && shared->json->is_array())
                        rows = std::shared_ptr<const boost::json::array>(shared, &shared->json->get_array());
                }
                if (!rows) rows = std::make_shared<const boost::json::array>(answer.json->get_array());
                (*list).*field = sharedRows<Elem>(std::move(rows));
                if (success) success(list);
            },
            failureBlock(mgr, fail, false));
    }

    static void logJSONLine(const std::optional<boost::json::value>& json);
    static bool isArrayMember(const std::optional<boost::json::value>& json, const char* key);
};

}  // namespace busdesk
