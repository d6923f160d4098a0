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
#include "services/OfficeFailure.h"

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
inline constexpr long BadRequestHeader = 7;      // a header name or value that would break the request
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

    // A failure block that hears what went wrong, for callers that decide what to do next.
    using Failed = std::function<void(const OfficeFailure&)>;
    // `fail` as such a block, for the calls whose callers only need to know that it failed.
    static Failed ignoringWhy(std::function<void()> fail);

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
    static HTTPRequestOperationManager::Failure failureBlock(std::shared_ptr<HTTPRequestOperationManager> mgr,
                                                             Failed fail, bool withOperationText);
    // A GET whose answer is text: the console line of its bytes, the text decoded by the charset
    // it names, and `fail` (after an "Error:" line naming `what`) when it does not decode.
    // No parameters leave the URL as it is (not even a "?").
    static void fetchText(const std::string& url, const std::optional<boost::json::value>& params,
                          const std::string& what, bool logUndecodableOperation,
                          const std::function<void(std::string)>& onText, std::function<void()> fail);
    // The same with headers of its own besides the default ones (a name or value holding a line
    // break or a NUL is refused before anything is sent), telling `fail` what went wrong.
    static void fetchText(const std::string& url, const std::optional<boost::json::value>& params,
                          const std::string& what, bool logUndecodableOperation,
                          const std::function<void(std::string)>& onText, Failed fail,
                          const HTTPHeaders& headers);

    // Runs `job` on the main queue after the current job, counted as work so that a run until idle
    // waits for it as for a request's answer.
    static void later(std::function<void()> job);
    // Calls `fail` that way, never inside the caller's own call, so every outcome reaches the
    // caller the same way.
    static void failLater(std::function<void()> fail);
    static void failLater(Failed fail, OfficeFailure failure);
    // A call that cannot be made as asked: its "Error:" line, then `fail` that way, with nothing sent.
    static void refuseLater(long code, const std::string& why, Failed fail);
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

    static void logJSONLine(const std::optional<boost::json::value>& json);
    static bool isArrayMember(const std::optional<boost::json::value>& json, const char* key);
};

}  // namespace busdesk
