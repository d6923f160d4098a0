#include "services/OfflineSignIn.h"

#include "core/OfflineCard.h"
#include "core/Session.h"
#include "core/SessionEnd.h"
#include "model/LoginResult.h"
#include "platform/DispatchQueue.h"
#include "platform/Log.h"
#include "services/AnswerStore.h"
#include "services/LoginResultService.h"
#include "services/OfficeEvents.h"
#include "services/OfficeFailure.h"

namespace busdesk::offline_sign_in {

namespace {

// The name the offline session listens under for the office answering again.
constexpr const char* kOfflineListener = "offlineSession";

// The signed-in user's card and data key (for a password change), and while offline the password
// the background login sends. Main thread only.
struct OpenSession {
    std::string cardID;
    SecretBytes dataKey;
    bool offline = false;
    SecretBytes password;  // only while offline
    bool loggingIn = false;
    BackOnline backOnline;
};

OpenSession& openSession() {
    static OpenSession session;
    return session;
}

void leaveOffline() {
    auto& session = openSession();
    session.offline = false;
    session.loggingIn = false;
    session.password.clear();
    office_events::removeListeners(kOfflineListener);
}

void registerSignOutSteps() {
    SessionEnd::add("offlineCard", [](EndedSession& ended) {
        if (!ended.cardID) return;
        // File work, off the main thread.
        asyncThenMain<bool>(DispatchQueue::processing(),
                            [card = *ended.cardID] {
                                offline::forget(card);
                                return true;
                            },
                            {});
    });
    SessionEnd::add("offlineSession", [](EndedSession&) {
        leaveOffline();
        openSession().cardID.clear();
        openSession().dataKey.clear();
    });
}

void openStore(const std::string& empID, const SecretBytes& dataKey) {
    auto store = AnswerStore::installed();
    if (store && !empID.empty()) store->signIn(empID, dataKey);
}

// The office answered a query while offline: the same card and password as a real login.
void officeAnswered() {
    auto& session = openSession();
    if (!session.offline || session.loggingIn) return;
    session.loggingIn = true;
    const std::string card = session.cardID;
    const std::string password(session.password.view());
    LoginResultService::login(
        card, password,
        [card, password](const std::shared_ptr<LoginResult>& answer, bool accepted) {
            auto& now = openSession();
            if (!now.offline || now.cardID != card) return;  // signed out meanwhile
            if (!accepted) {
                Log::line("offline sign-in: the office refused the kept password");
                auto handler = now.backOnline;
                leaveOffline();
                if (handler) handler(false, answer ? displayText(answer->FailReason) : std::string());
                return;
            }
            loginAccepted(card, password, *answer, [card] {
                auto& after = openSession();
                if (!after.offline || after.cardID != card) return;
                auto handler = after.backOnline;
                leaveOffline();
                if (handler) handler(true, {});
            });
        },
        [card](const OfficeFailure&) {
            // No answer again: still offline; the next answered query tries once more.
            auto& now = openSession();
            if (now.cardID == card) now.loggingIn = false;
        });
}

}  // namespace

void loginAccepted(const std::string& cardID, const std::string& password, const LoginResult& record,
                   std::function<void()> done) {
    registerSignOutSteps();
    const std::string empID = record.EmpID.value_or(std::string());
    offline::rememberLoginAsync(
        cardID, SecretBytes(std::string_view(password)), record.toJSONString(),
        [cardID, empID, done = std::move(done)](std::optional<offline::Remembered> kept) {
            if (kept) {
                openStore(empID, kept->dataKey);
                openSession().cardID = cardID;
                openSession().dataKey = kept->dataKey;
            }
            if (done) done();
            if (!empID.empty()) office_events::signedIn(empID);
        });
}

void signInOffline(const std::string& cardID, SecretBytes password,
                   std::function<void(OfflineOutcome)> done) {
    SecretBytes kept = password;
    offline::openLoginAsync(cardID, std::move(password),
                            [cardID, password = std::move(kept),
                             done = std::move(done)](std::variant<offline::Opened, offline::Refusal> result) {
                                OfflineOutcome outcome;
                                if (auto* refusal = std::get_if<offline::Refusal>(&result)) {
                                    outcome.kind = *refusal == offline::Refusal::WrongPassword
                                                       ? OfflineOutcome::Kind::WrongPassword
                                                   : *refusal == offline::Refusal::Deleted
                                                       ? OfflineOutcome::Kind::Deleted
                                                       : OfflineOutcome::Kind::NoCard;
                                    if (done) done(std::move(outcome));
                                    return;
                                }
                                auto& opened = std::get<offline::Opened>(result);
                                auto record = LoginResult::initWithString(opened.loginRecord);
                                if (!record || !record->EmpID) {
                                    if (done) done(std::move(outcome));
                                    return;
                                }
                                registerSignOutSteps();
                                Session::shared().setLoginResult(record);
                                openStore(*record->EmpID, opened.dataKey);
                                auto& session = openSession();
                                session.cardID = cardID;
                                session.dataKey = std::move(opened.dataKey);
                                session.offline = true;
                                session.loggingIn = false;
                                session.password = password;
                                office_events::onAnswered(kOfflineListener, officeAnswered);
                                const std::string empID = *record->EmpID;
                                outcome.kind = OfflineOutcome::Kind::Opened;
                                outcome.record = std::move(record);
                                if (done) done(std::move(outcome));
                                // Work kept for later (the feedback outbox) waits for the office
                                // itself; it is told of the user now and tries when it answers.
                                office_events::signedIn(empID);
                            });
}

bool isOffline() {
    return openSession().offline;
}

void setBackOnlineHandler(BackOnline handler) {
    openSession().backOnline = std::move(handler);
}

void passwordChanged(const std::string& cardID, const std::string& newPassword) {
    auto& session = openSession();
    if (session.dataKey.empty() || session.cardID != cardID) return;
    offline::rewrapAsync(cardID, session.dataKey, SecretBytes(std::string_view(newPassword)), [](bool kept) {
        if (!kept) Log::line("offline sign-in: the data key could not be sealed for the new password");
    });
}

}  // namespace busdesk::offline_sign_in
