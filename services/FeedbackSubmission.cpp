#include "services/FeedbackSubmission.h"

#include <boost/json/object.hpp>
#include <memory>
#include <utility>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/DispatchQueue.h"
#include "platform/Image.h"
#include "services/OfficeCall.h"
#include "services/OfficeFailure.h"
#include "services/SuggestServer.h"

namespace busdesk {

namespace {

constexpr const char* kIdempotencyHeader = "Idempotency-Key";

FeedbackStep failed(FeedbackStep step, const OfficeFailure& failure) {
    step.outcome = failure.mayPassOnRetry() ? FeedbackOutcome::Unavailable : FeedbackOutcome::Refused;
    step.reason = failure.reason();
    return step;
}

// A step that cannot be made as asked ends like a refused answer, on a later turn of the main loop.
void refuseLater(const std::string& why, FeedbackStep step, FeedbackSubmission::StepDone done) {
    OfficeCall::refuseLater(OfficeServiceErrorCode::BadUploadInput, why,
                            [step = std::move(step), done = std::move(done)](const OfficeFailure& failure) {
                                if (done) done(failed(step, failure));
                            });
}

// The full picture, read again from its file or its bytes. Never a stand-in: a file that is gone
// or damaged gives nothing rather than a thumbnail kept elsewhere.
std::optional<Image> pictureOf(const FeedbackPhoto& photo) {
    if (!photo.file.empty()) return Image::fromFile(photo.file);
    if (!photo.bytes.empty()) return Image::decode(photo.bytes);
    return std::nullopt;
}

// The photo as the office takes it (JPEG at full quality); nothing when it cannot be read or encoded.
std::shared_ptr<const std::string> jpegOf(const FeedbackPhoto& photo) {
    auto picture = pictureOf(photo);
    if (!picture || picture->empty()) return nullptr;
    auto jpeg = std::make_shared<const std::string>(picture->jpegData(100));
    if (jpeg->empty()) return nullptr;
    return jpeg;
}

// Photos are read and encoded here: one worker, so one full picture is in memory at a time.
DispatchQueue& photoQueue() {
    static DispatchQueue queue("org.busdesk.feedback-photos", 1);
    return queue;
}

std::string freshFileName() {
    return PublicMethod::getUniqueStrByUUID() + ".png";
}

// One round of send(): owned by the callbacks of the requests it has out.
class Round : public std::enable_shared_from_this<Round> {
  public:
    Round(FeedbackSubmission::State state, FeedbackSubmission::StepSeen onStep,
          FeedbackSubmission::Finished onFinished)
        : state_(std::move(state)), onStep_(std::move(onStep)), onFinished_(std::move(onFinished)) {}

    void start() {
        if (FeedbackSubmission::needsText(state_)) {
            FeedbackSubmission::postText(
                state_, [self = shared_from_this()](const FeedbackStep& step) { self->textDone(step); });
            return;
        }
        if (FeedbackSubmission::photosLeft(state_).empty()) {
            OfficeCall::later([self = shared_from_this()] { self->finish(); });
            return;
        }
        uploadLeft();
    }

  private:
    void textDone(const FeedbackStep& step) {
        seen(step);
        if (step.outcome != FeedbackOutcome::Succeeded) return finish();
        uploadLeft();
    }

    void uploadLeft() {
        auto left = FeedbackSubmission::photosLeft(state_);
        if (left.empty()) return finish();
        FeedbackSubmission::renamePhotosLeft(state_);
        out_ = left.size();
        for (std::size_t index : left)
            FeedbackSubmission::uploadPhoto(
                state_, index,
                [self = shared_from_this()](const FeedbackStep& step) { self->photoDone(step); });
    }

    void photoDone(const FeedbackStep& step) {
        seen(step);
        if (out_ > 0) --out_;
        if (out_ == 0) finish();
    }

    void seen(const FeedbackStep& step) {
        FeedbackSubmission::apply(state_, step);
        if (onStep_) onStep_(state_, step);
    }

    void finish() {
        if (onFinished_) onFinished_(state_);
    }

    FeedbackSubmission::State state_;
    FeedbackSubmission::StepSeen onStep_;
    FeedbackSubmission::Finished onFinished_;
    std::size_t out_ = 0;
};

}  // namespace

FeedbackSubmission::State FeedbackSubmission::compose(std::string text, std::string kind,
                                                      std::vector<FeedbackPhoto> photos) {
    State state;
    if (auto session = Session::shared().loginResult(); session && session->EmpID)
        state.empID = *session->EmpID;
    state.text = std::move(text);
    state.kind = std::move(kind);
    state.photos = std::move(photos);
    return state;
}

std::string FeedbackSubmission::identifierFromAnswer(const std::string& answer) {
    std::string id;
    for (char c : answer)
        if (c != '"') id += c;
    auto space = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    };
    std::size_t a = 0, b = id.size();
    while (a < b && space(id[a])) ++a;
    while (b > a && space(id[b - 1])) --b;
    return id.substr(a, b - a);
}

std::vector<std::size_t> FeedbackSubmission::photosLeft(const State& state) {
    std::vector<std::size_t> left;
    for (std::size_t i = 0; i < state.photos.size(); ++i)
        if (!state.photos[i].stored()) left.push_back(i);
    return left;
}

void FeedbackSubmission::renamePhotosLeft(State& state) {
    for (auto& photo : state.photos)
        if (!photo.stored()) photo.fileName = freshFileName();
}

void FeedbackSubmission::postText(const State& state, const StepDone& done) {
    boost::json::object params;
    if (state.empID) params["Empid"] = *state.empID;
    params["Content"] = state.text;
    params["ParentID"] = "0";
    params["pType"] = state.kind;
    HTTPHeaders headers;
    if (!state.idempotencyKey.empty()) headers[kIdempotencyHeader] = state.idempotencyKey;
    SuggestServer::PostSubmitTextWithPar(
        std::move(params), headers,
        [done](const std::string& answer) {
            FeedbackStep step;
            std::string id = identifierFromAnswer(answer);
            // No identifier, or the server's "0" for a text it did not store: nothing to upload against.
            if (id.empty() || id == "0") {
                step.outcome = FeedbackOutcome::Refused;
                step.reason = OfficeFailure::shortLine("The office did not store the text; it answered " +
                                                       answer + ".");
            } else {
                step.outcome = FeedbackOutcome::Succeeded;
                step.identifier = std::move(id);
            }
            if (done) done(step);
        },
        [done](const OfficeFailure& failure) {
            if (done) done(failed(FeedbackStep{}, failure));
        });
}

void FeedbackSubmission::uploadPhoto(const State& state, std::size_t index, StepDone done) {
    FeedbackStep step;
    step.kind = FeedbackStep::Kind::Photo;
    step.photo = index;
    if (index >= state.photos.size())
        return refuseLater("There is no photo " + std::to_string(index) + ".", std::move(step),
                           std::move(done));
    const FeedbackPhoto& photo = state.photos[index];
    step.fileName = photo.fileName.empty() ? freshFileName() : photo.fileName;
    if (state.identifier.empty())
        return refuseLater("The photo has no stored text to go with.", std::move(step), std::move(done));
    boost::json::object params;
    params["id"] = state.identifier;
    HTTPHeaders headers;
    // One key per photo: a repeated upload of it (its answer lost) stores nothing new.
    if (!state.idempotencyKey.empty())
        headers[kIdempotencyHeader] = state.idempotencyKey + "/" + std::to_string(index);
    // Read, decoded and encoded as JPEG away from the main thread, one full picture at a time.
    asyncThenMain<std::shared_ptr<const std::string>>(
        photoQueue(), [photo]() { return jpegOf(photo); },
        [params = std::move(params), headers = std::move(headers), step = std::move(step),
         done = std::move(done)](std::shared_ptr<const std::string> jpeg) mutable {
            if (!jpeg) return refuseLater("The photo cannot be read.", std::move(step), std::move(done));
            SuggestServer::PostSubmitJpegsWithPar(
                params, {std::move(jpeg)}, {step.fileName},
                [done, step]() mutable {
                    step.outcome = FeedbackOutcome::Succeeded;
                    if (done) done(step);
                },
                [done, step](const OfficeFailure& failure) {
                    if (done) done(failed(step, failure));
                },
                headers);
        });
}

void FeedbackSubmission::apply(State& state, const FeedbackStep& step) {
    FeedbackStepStatus status{step.outcome, step.outcome == FeedbackOutcome::Succeeded ? "" : step.reason};
    if (step.kind == FeedbackStep::Kind::Text) {
        state.textStatus = std::move(status);
        if (step.outcome == FeedbackOutcome::Succeeded) state.identifier = step.identifier;
        return;
    }
    if (step.photo >= state.photos.size()) return;
    FeedbackPhoto& photo = state.photos[step.photo];
    photo.status = std::move(status);
    if (!step.fileName.empty()) photo.fileName = step.fileName;
}

void FeedbackSubmission::send(State state, StepSeen onStep, Finished onFinished) {
    std::make_shared<Round>(std::move(state), std::move(onStep), std::move(onFinished))->start();
}

}  // namespace busdesk
