#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/RunLoop.h"
#include "services/FeedbackSubmission.h"
#include "services/OutboxStore.h"

namespace busdesk {

class DispatchQueue;

// The signed-in user's kept feedback submissions and their sending. A submission is put into the
// outbox (durable, photos copied in) before anything is sent; then the feedback round goes step by
// step, each step's result recorded in the outbox before the next starts, so a restart resumes
// from the first step not done and the office never gets a thing twice (the text post and every
// upload carry idempotency keys). One submission is sent at a time, oldest first.
//
// After a round that did not finish for want of an answer, the next try comes after 30 s, 2 min,
// 10 min, 30 min, then every hour, and at once when any other office request is answered or the
// user signs in again. A refusal that would stand stops that submission with its reason until the
// user sends it again or deletes it. Only what the office accepted is ever deleted by itself.
//
// Main thread only; every file operation runs on the outbox's own serial queue.
class FeedbackOutbox {
  public:
    // The outbox of the program: Paths::dataDir()/outbox, listening for sign-ins and answers.
    static FeedbackOutbox& shared();
    // `root` empty: OutboxStore::defaultRoot() as it stands at each sign-in.
    explicit FeedbackOutbox(std::string root);
    ~FeedbackOutbox();
    FeedbackOutbox(const FeedbackOutbox&) = delete;
    FeedbackOutbox& operator=(const FeedbackOutbox&) = delete;

    // Sends at every sign-in and whenever the office answers another request; keeps the user's
    // submissions at sign-out with a notice (office_events, SessionEnd step "outbox").
    void listenForOffice();

    // The wait after `failures` rounds in a row ended without an answer (1 → 30 s).
    static std::chrono::seconds retryDelay(int failures);

    enum class Phase { Waiting, Sending, Failed };
    struct Item {
        std::string id;
        std::string firstLine;
        std::size_t photos = 0;
        std::size_t photosStored = 0;
        Phase phase = Phase::Waiting;
        std::string reason;  // Failed: why; Waiting: why the last try did not get through, if any
    };

    // How the first round of a new submission ended, told once.
    struct Submitted {
        enum class Result { Sent, Kept, Refused, NotSaved };
        Result result = Result::NotSaved;
        std::string reason;  // Refused and NotSaved: why
    };

    // The user whose outbox this is now: loads it (setting aside damaged entries) and sends what
    // waits. Signing in again as the same user sends at once.
    void signedIn(const std::string& empID);
    // Stops sending; the user's submissions stay for their next sign-in.
    void signedOut();
    const std::string& user() const { return user_; }

    // Puts a submission of the signed-in user into the outbox, then sends it. `done` runs once.
    void submit(FeedbackSubmissionState state, std::function<void(const Submitted&)> done);
    // Every submission that waits goes now (the network is back).
    void sendNow();
    // A failed submission is tried again from its first step not done.
    void sendAgain(const std::string& id);
    // Deletes a submission that is not being sent; `done(false)` when it could not be.
    void remove(const std::string& id, const std::function<void(bool)>& done);
    // Deletes every submission of `empID` kept on disk (signed in or not), on the queue.
    void removeAllOf(const std::string& empID, std::function<void()> done);

    std::vector<Item> items() const;
    std::size_t count() const { return slots_.size(); }
    // Entries set aside as damaged since the last call (each is named once).
    std::vector<std::string> takeDamaged();
    // When the next try is due, if one is planned.
    bool retryPlanned() const { return retryTimer_ != 0; }

    // Told after every change of the list or of a submission's state.
    void setObserver(const std::string& name, std::function<void()> observer);
    void removeObserver(const std::string& name);

  private:
    struct Slot {
        OutboxEntry entry;
        Phase phase = Phase::Waiting;
        std::string reason;
        std::shared_ptr<OutboxStore::Lock> lock;
        std::function<void(const Submitted&)> done;
        bool busyElsewhere = false;
    };
    Slot* find(const std::string& id);
    void changed();
    void pump();
    void startSending(Slot& slot);
    void nextStep(const std::string& id);
    void stepDone(const std::string& id, const FeedbackStep& step);
    void roundEnded(const std::string& id, FeedbackOutcome outcome, const std::string& reason);
    void finishSent(const std::string& id);
    void planRetry();
    void cancelRetry();
    void tellDone(Slot& slot, Submitted::Result result, const std::string& reason);
    // Runs `work` on the queue and `then` on the main loop, unless the user changed meanwhile.
    void onQueue(std::function<void()> work, std::function<void()> then);

    std::string fixedRoot_;
    OutboxStore store_;
    std::unique_ptr<DispatchQueue> queue_;
    std::string user_;
    std::uint64_t generation_ = 0;
    std::vector<Slot> slots_;
    std::optional<std::string> sending_;
    int failures_ = 0;
    RunLoop::TimerId retryTimer_ = 0;
    std::vector<std::string> damaged_;
    std::map<std::string, std::function<void()>> observers_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace busdesk
