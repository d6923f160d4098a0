#include "services/FeedbackOutbox.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

#include "core/SessionEnd.h"
#include "platform/Date.h"
#include "platform/DispatchQueue.h"
#include "platform/Log.h"
#include "platform/ProfileLock.h"
#include "platform/Translation.h"
#include "services/OfficeEvents.h"

namespace busdesk {

namespace {

using namespace std::chrono_literals;

// The waits between tries after rounds without an answer; the last repeats.
constexpr std::array<std::chrono::seconds, 5> kRetryDelays{30s, 2min, 10min, 30min, 1h};

constexpr const char* kListenerName = "feedbackOutbox";
constexpr const char* kPendingNotice = N_("待发送的反馈将在下次登录后发送（%1 条）");

// Why a kept submission stands stopped: its text refused, or no photo left to try and one refused.
std::optional<std::string> stoppedReason(const FeedbackSubmissionState& state) {
    if (state.textStatus.outcome == FeedbackOutcome::Refused) return state.textStatus.reason;
    const FeedbackPhoto* refused = nullptr;
    for (const auto& photo : state.photos) {
        if (photo.stored()) continue;
        if (photo.status.outcome != FeedbackOutcome::Refused) return std::nullopt;
        if (!refused) refused = &photo;
    }
    if (refused) return refused->status.reason;
    return std::nullopt;
}

// The next photo to upload: not stored, and not refused in this try.
std::optional<std::size_t> nextPhoto(const FeedbackSubmissionState& state) {
    for (std::size_t i = 0; i < state.photos.size(); ++i)
        if (!state.photos[i].stored() && state.photos[i].status.outcome != FeedbackOutcome::Refused) return i;
    return std::nullopt;
}

}  // namespace

FeedbackOutbox& FeedbackOutbox::shared() {
    static FeedbackOutbox& outbox = []() -> FeedbackOutbox& {
        // Never destroyed: its queue and timers may still be asked for while the program ends.
        // No root of its own: the profile's data folder as it is at each sign-in.
        auto* made = new FeedbackOutbox({});
        made->listenForOffice();
        return *made;
    }();
    return outbox;
}

FeedbackOutbox::FeedbackOutbox(std::string root)
    : fixedRoot_(std::move(root)),
      store_(fixedRoot_),
      queue_(std::make_unique<DispatchQueue>("org.busdesk.outbox", 1)) {}

FeedbackOutbox::~FeedbackOutbox() {
    *alive_ = false;
    cancelRetry();
    queue_.reset();  // runs what is queued, then joins its thread
}

void FeedbackOutbox::listenForOffice() {
    std::weak_ptr<bool> alive = alive_;
    office_events::onAnswered(kListenerName, [this, alive] {
        if (alive.lock()) sendNow();
    });
    office_events::onSignedIn(kListenerName, [this, alive](const std::string& empID) {
        if (alive.lock()) signedIn(empID);
    });
    SessionEnd::add("outbox", [this, alive](EndedSession& ended) {
        if (!alive.lock()) return;
        if (!slots_.empty())
            ended.notices.push_back(trFormat(kPendingNotice, {std::to_string(slots_.size())}));
        signedOut();
    });
}

std::chrono::seconds FeedbackOutbox::retryDelay(int failures) {
    if (failures <= 0) return kRetryDelays.front();
    return kRetryDelays[std::min<std::size_t>(static_cast<std::size_t>(failures - 1),
                                              kRetryDelays.size() - 1)];
}

FeedbackOutbox::Slot* FeedbackOutbox::find(const std::string& id) {
    for (auto& slot : slots_)
        if (slot.entry.id == id) return &slot;
    return nullptr;
}

void FeedbackOutbox::changed() {
    std::vector<std::function<void()>> copy;
    for (const auto& [name, observer] : observers_) copy.push_back(observer);
    for (const auto& observer : copy)
        if (observer) observer();
}

void FeedbackOutbox::setObserver(const std::string& name, std::function<void()> observer) {
    observers_[name] = std::move(observer);
}

void FeedbackOutbox::removeObserver(const std::string& name) {
    observers_.erase(name);
}

void FeedbackOutbox::onQueue(std::function<void()> work, std::function<void()> then) {
    std::weak_ptr<bool> alive = alive_;
    asyncThenMain<int>(
        *queue_,
        [work = std::move(work)] {
            work();
            return 0;
        },
        [this, alive, generation = generation_, then = std::move(then)](int) {
            if (alive.lock() && generation == generation_ && then) then();
        });
}

void FeedbackOutbox::signedIn(const std::string& empID) {
    if (empID.empty()) return;
    const std::string root = fixedRoot_.empty() ? OutboxStore::defaultRoot() : fixedRoot_;
    if (empID == user_ && root == store_.root()) return sendNow();
    signedOut();
    store_ = OutboxStore(root);
    user_ = empID;
    auto listing = std::make_shared<OutboxStore::Listing>();
    const bool clearLeftovers = ProfileLock::held();
    onQueue(
        [store = store_, listing, empID, clearLeftovers] { *listing = store.list(empID, clearLeftovers); },
        [this, listing] {
            for (auto& entry : listing->entries) {
                Slot slot;
                slot.entry = std::move(entry);
                if (auto why = stoppedReason(slot.entry.state)) {
                    slot.phase = Phase::Failed;
                    slot.reason = *why;
                }
                slots_.push_back(std::move(slot));
            }
            damaged_.insert(damaged_.end(), listing->damaged.begin(), listing->damaged.end());
            changed();
            pump();
        });
}

void FeedbackOutbox::signedOut() {
    ++generation_;
    cancelRetry();
    slots_.clear();
    sending_.reset();
    user_.clear();
    failures_ = 0;
    changed();
}

void FeedbackOutbox::submit(FeedbackSubmissionState state, std::function<void(const Submitted&)> done) {
    if (user_.empty()) {
        if (done) done({Submitted::Result::NotSaved, tr("未登录，反馈未保存")});
        return;
    }
    auto put = std::make_shared<OutboxStore::Put>();
    std::weak_ptr<bool> alive = alive_;
    const auto now = static_cast<std::int64_t>(Date::now().secondsSince1970);
    // Told even when the user changed meanwhile: the caller hears exactly once.
    asyncThenMain<int>(
        *queue_,
        [store = store_, put, user = user_, state = std::move(state), now]() mutable {
            *put = store.put(user, std::move(state), now);
            return 0;
        },
        [this, alive, generation = generation_, put, done = std::move(done)](int) {
            if (!put->entry) {
                if (done) done({Submitted::Result::NotSaved, put->error});
                return;
            }
            if (!alive.lock() || generation != generation_) {
                if (done) done({Submitted::Result::Kept, {}});
                return;
            }
            Slot slot;
            slot.entry = std::move(*put->entry);
            slot.done = done;
            slots_.push_back(std::move(slot));
            changed();
            // A new submission is a reason to try the network now rather than at the planned time.
            cancelRetry();
            pump();
        });
}

void FeedbackOutbox::sendNow() {
    if (user_.empty() || sending_) return;
    bool waiting = false;
    for (auto& slot : slots_) {
        slot.busyElsewhere = false;
        waiting = waiting || slot.phase == Phase::Waiting;
    }
    if (!waiting) return;
    cancelRetry();
    pump();
}

void FeedbackOutbox::sendAgain(const std::string& id) {
    Slot* slot = find(id);
    if (!slot || slot->phase != Phase::Failed) return;
    auto& state = slot->entry.state;
    if (state.textStatus.outcome == FeedbackOutcome::Refused) state.textStatus = {};
    for (auto& photo : state.photos)
        if (photo.status.outcome == FeedbackOutcome::Refused) photo.status = {};
    slot->phase = Phase::Waiting;
    slot->reason.clear();
    slot->busyElsewhere = false;
    changed();
    // Recorded first: sending reads the entry again, and a restart then goes on trying too.
    onQueue([store = store_, entry = slot->entry] { store.record(entry); }, [this] { pump(); });
}

void FeedbackOutbox::remove(const std::string& id, const std::function<void(bool)>& done) {
    Slot* slot = find(id);
    if (!slot || slot->phase == Phase::Sending) {
        if (done) done(false);
        return;
    }
    auto removed = std::make_shared<bool>(false);
    // Held while the files go, so another copy of the program cannot start sending it meanwhile.
    onQueue(
        [store = store_, entry = slot->entry, removed] {
            auto lock = OutboxStore::tryLock(entry);
            *removed = lock.held() && store.remove(entry);
        },
        [this, id, removed, done] {
            if (*removed) std::erase_if(slots_, [&](const Slot& s) { return s.entry.id == id; });
            changed();
            if (done) done(*removed);
        });
}

void FeedbackOutbox::removeAllOf(const std::string& empID, std::function<void()> done) {
    if (empID == user_) {
        ++generation_;
        cancelRetry();
        slots_.clear();
        sending_.reset();
        changed();
    }
    onQueue(
        [store = store_, empID] {
            for (const auto& entry : store.list(empID, false).entries) {
                auto lock = OutboxStore::tryLock(entry);
                if (lock.held()) store.remove(entry);
            }
        },
        std::move(done));
}

std::vector<FeedbackOutbox::Item> FeedbackOutbox::items() const {
    std::vector<Item> out;
    for (const auto& slot : slots_) {
        const auto& state = slot.entry.state;
        Item item;
        item.id = slot.entry.id;
        item.firstLine = state.text.substr(0, state.text.find('\n'));
        item.photos = state.photos.size();
        item.photosStored = static_cast<std::size_t>(std::count_if(state.photos.begin(), state.photos.end(),
                                                                   [](const auto& p) { return p.stored(); }));
        item.phase = slot.phase;
        item.reason = slot.reason;
        out.push_back(std::move(item));
    }
    return out;
}

std::vector<std::string> FeedbackOutbox::takeDamaged() {
    return std::exchange(damaged_, {});
}

void FeedbackOutbox::pump() {
    if (user_.empty() || sending_) return;
    bool elsewhere = false;
    for (auto& slot : slots_) {
        if (slot.phase != Phase::Waiting) continue;
        if (slot.busyElsewhere) {
            elsewhere = true;
            continue;
        }
        return startSending(slot);
    }
    // Another copy of the program holds some: look again later.
    if (elsewhere && retryTimer_ == 0) planRetry();
}

void FeedbackOutbox::startSending(Slot& slot) {
    const std::string id = slot.entry.id;
    sending_ = id;
    slot.phase = Phase::Sending;
    changed();
    auto lock = std::make_shared<OutboxStore::Lock>();
    auto fresh = std::make_shared<std::optional<OutboxEntry>>();
    auto gone = std::make_shared<bool>(false);
    // Read again under the lock: another copy may have moved it on, or sent and removed it.
    onQueue(
        [entry = slot.entry, lock, fresh, gone] {
            *lock = OutboxStore::tryLock(entry);
            if (lock->held()) *fresh = OutboxStore::reload(entry);
            *gone = !*fresh && !std::filesystem::exists(entry.dir);
        },
        [this, id, lock, fresh, gone] {
            Slot* slot = find(id);
            if (!slot) return;
            if (*gone) {
                // Sent (or deleted) by another copy of the program.
                tellDone(*slot, Submitted::Result::Sent, {});
                std::erase_if(slots_, [&](const Slot& s) { return s.entry.id == id; });
                sending_.reset();
                changed();
                return pump();
            }
            if (!lock->held() || !*fresh) {
                // Held by another copy of the program, or gone with it: not ours to send now.
                slot->phase = Phase::Waiting;
                slot->busyElsewhere = true;
                sending_.reset();
                changed();
                return pump();
            }
            slot->lock = lock;
            slot->entry.state = std::move((*fresh)->state);
            nextStep(id);
        });
}

void FeedbackOutbox::nextStep(const std::string& id) {
    Slot* slot = find(id);
    if (!slot) return;
    const auto& state = slot->entry.state;
    std::weak_ptr<bool> alive = alive_;
    auto answered = [this, alive, generation = generation_, id](const FeedbackStep& step) {
        if (alive.lock() && generation == generation_) stepDone(id, step);
    };
    if (FeedbackSubmission::needsText(state)) return FeedbackSubmission::postText(state, answered);
    if (auto photo = nextPhoto(state)) return FeedbackSubmission::uploadPhoto(state, *photo, answered);
    if (FeedbackSubmission::complete(state)) return finishSent(id);
    roundEnded(id, FeedbackOutcome::Refused, stoppedReason(state).value_or(std::string()));
}

void FeedbackOutbox::stepDone(const std::string& id, const FeedbackStep& step) {
    Slot* slot = find(id);
    if (!slot) return;
    FeedbackSubmission::apply(slot->entry.state, step);
    changed();
    auto recorded = std::make_shared<bool>(false);
    onQueue([store = store_, entry = slot->entry, recorded] { *recorded = store.record(entry); },
            [this, id, step, recorded] {
                if (!*recorded)
                    return roundEnded(id, FeedbackOutcome::Unavailable, tr("发送进度无法保存到磁盘"));
                const bool textRefused =
                    step.kind == FeedbackStep::Kind::Text && step.outcome == FeedbackOutcome::Refused;
                if (step.outcome == FeedbackOutcome::Unavailable || textRefused)
                    return roundEnded(id, step.outcome, step.reason);
                // A refused photo is that photo's failure only: the others still go.
                nextStep(id);
            });
}

void FeedbackOutbox::tellDone(Slot& slot, Submitted::Result result, const std::string& reason) {
    if (auto done = std::exchange(slot.done, nullptr)) done({result, reason});
}

void FeedbackOutbox::roundEnded(const std::string& id, FeedbackOutcome outcome, const std::string& reason) {
    sending_.reset();
    Slot* slot = find(id);
    if (!slot) return pump();
    slot->lock.reset();
    slot->reason = reason;
    if (outcome == FeedbackOutcome::Refused) {
        slot->phase = Phase::Failed;
        tellDone(*slot, Submitted::Result::Refused, reason);
        changed();
        return pump();
    }
    // No answer: the office is out of reach for the others too; all wait for the next try.
    slot->phase = Phase::Waiting;
    for (auto& other : slots_) tellDone(other, Submitted::Result::Kept, {});
    ++failures_;
    planRetry();
    changed();
}

void FeedbackOutbox::finishSent(const std::string& id) {
    Slot* slot = find(id);
    if (!slot) return;
    onQueue(
        [store = store_, entry = slot->entry] {
            if (!store.remove(entry)) Log::line("outbox: sent entry " + entry.id + " could not be removed");
        },
        [this, id] {
            if (Slot* sent = find(id)) tellDone(*sent, Submitted::Result::Sent, {});
            std::erase_if(slots_, [&](const Slot& s) { return s.entry.id == id; });
            sending_.reset();
            failures_ = 0;
            changed();
            pump();
        });
}

void FeedbackOutbox::planRetry() {
    cancelRetry();
    std::weak_ptr<bool> alive = alive_;
    retryTimer_ = RunLoop::main().postDelayed(retryDelay(failures_), [this, alive] {
        if (!alive.lock()) return;
        retryTimer_ = 0;
        for (auto& slot : slots_) slot.busyElsewhere = false;
        pump();
    });
}

void FeedbackOutbox::cancelRetry() {
    if (retryTimer_ != 0) RunLoop::main().cancelTimer(retryTimer_);
    retryTimer_ = 0;
}

}  // namespace busdesk
