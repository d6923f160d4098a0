#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace busdesk {

// How one step of a feedback round ended.
enum class FeedbackOutcome {
    Succeeded,
    // The office answered and would answer the same again: the text answered "0" or with no
    // identifier, an upload answered anything but "1", HTTP 4xx, a photo that cannot be read.
    Refused,
    // No usable answer yet: no connection, a dropped connection, a time-out, HTTP 5xx.
    Unavailable,
};

// Where a step stands: nothing before its first try, else how the last try ended and why.
struct FeedbackStepStatus {
    std::optional<FeedbackOutcome> outcome;
    std::string reason;  // empty on success; one line, at most OfficeFailure::kMaxReasonBytes
};

// One photo of a submission. The picture is read and encoded as JPEG only when its upload
// starts, so a submission holds at most the files' names or their encoded bytes.
struct FeedbackPhoto {
    std::string file;   // a picture file (JPEG or PNG), or empty
    std::string bytes;  // without a file: the picture's encoded bytes (JPEG or PNG)
    // The form field its upload goes under ("<32 hex digits>.png"): given before an upload when
    // empty, and afresh for every photo a round sends.
    std::string fileName;
    FeedbackStepStatus status;

    bool stored() const { return status.outcome == FeedbackOutcome::Succeeded; }
};

// Everything a feedback submission is, as a plain value that can be kept and resumed: what the
// user entered, who sent it, the identifier the stored text got, and how each step stands.
struct FeedbackSubmissionState {
    std::optional<std::string> empID;  // the author's employee identifier, sent as Empid when known
    std::string text;
    std::string kind;  // one of the form's kinds, sent as pType
    std::vector<FeedbackPhoto> photos;
    // Sent with the text as the header Idempotency-Key when not empty.
    std::string idempotencyKey;
    // The stored text's identifier, empty until the text post succeeded.
    std::string identifier;
    FeedbackStepStatus textStatus;
};

// What one step did, for the caller to record before anything else happens.
struct FeedbackStep {
    enum class Kind { Text, Photo };
    Kind kind = Kind::Text;
    std::size_t photo = 0;  // Photo: its index in the state
    FeedbackOutcome outcome = FeedbackOutcome::Unavailable;
    std::string reason;      // why it did not succeed
    std::string identifier;  // Text that succeeded: the stored text's identifier
    std::string fileName;    // Photo: the form field it was sent under
};

// The feedback round: post the text, read the identifier it was stored under, upload each photo
// against it under a fresh name, and keep track of which photos were stored, so that trying again
// sends only what is missing and never the text twice.
//
// Each step ends in exactly one callback on the main thread with its FeedbackStep; apply() folds
// it into the state. A caller that keeps submissions drives the steps itself (recording each before
// starting the next); the form runs a whole round with send().
class FeedbackSubmission {
  public:
    using State = FeedbackSubmissionState;
    using StepDone = std::function<void(const FeedbackStep&)>;

    // A new submission by the signed-in employee; the photos not yet tried.
    static State compose(std::string text, std::string kind, std::vector<FeedbackPhoto> photos);

    // The identifier in the text post's answer: every double quote removed, white space trimmed.
    // Empty, or "0" (the server's word for a text it did not store), means the text was refused.
    static std::string identifierFromAnswer(const std::string& answer);

    // What is left: the text while it has no identifier; then the photos not stored, in order.
    static bool needsText(const State& state) { return state.identifier.empty(); }
    static std::vector<std::size_t> photosLeft(const State& state);
    static bool complete(const State& state) { return !needsText(state) && photosLeft(state).empty(); }

    // The steps. postText sends the text, kind and author (ParentID "0"), with the idempotency key
    // when there is one. uploadPhoto sends photo `index` against the state's identifier under its
    // file name (a fresh one when it has none); it needs the identifier, and a photo that cannot be
    // read, or an index out of range, is Refused without a request.
    static void postText(const State& state, const StepDone& done);
    static void uploadPhoto(const State& state, std::size_t index, StepDone done);
    // The state after the step: the identifier and text status, or the photo's status and name.
    static void apply(State& state, const FeedbackStep& step);

    // Gives every photo not stored a fresh file name.
    static void renamePhotosLeft(State& state);

    // One round as the form sends it: the text when it has no identifier yet (a refusal or failure
    // ends the round there); then, under fresh names, every photo not stored, all at once. After
    // each step is applied, `onStep` sees the state and the step; `onFinished` runs once with the
    // final state when nothing is out any more (on a later turn of the main loop even when there
    // was nothing to send).
    using StepSeen = std::function<void(const State&, const FeedbackStep&)>;
    using Finished = std::function<void(const State&)>;
    static void send(State state, StepSeen onStep, Finished onFinished);
};

}  // namespace busdesk
