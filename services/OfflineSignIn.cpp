#include "services/OfflineSignIn.h"

#include "core/OfflineCard.h"
#include "core/SessionEnd.h"
#include "model/LoginResult.h"
#include "platform/DispatchQueue.h"
#include "services/AnswerStore.h"
#include "services/OfficeEvents.h"

namespace busdesk::offline_sign_in {

namespace {

void registerSignOutStep() {
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
}

}  // namespace

void loginAccepted(const std::string& cardID, const std::string& password, const LoginResult& record,
                   std::function<void()> done) {
    registerSignOutStep();
    const std::string empID = record.EmpID.value_or(std::string());
    offline::rememberLoginAsync(cardID, SecretBytes(std::string_view(password)), record.toJSONString(),
                                [empID, done = std::move(done)](std::optional<offline::Remembered> kept) {
                                    auto store = AnswerStore::installed();
                                    if (store && kept && !empID.empty()) store->signIn(empID, kept->dataKey);
                                    if (done) done();
                                    if (!empID.empty()) office_events::signedIn(empID);
                                });
}

}  // namespace busdesk::offline_sign_in
