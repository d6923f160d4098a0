#pragma once

#include <functional>
#include <string>

namespace busdesk {

class LoginResult;

// What a sign-in does for the times without the network: at an accepted login the card's offline
// file is renewed (core/OfflineCard) and the user's stored answers are opened with the data key
// it holds (services/AnswerStore); signing out deletes the card's file. The Argon2id work runs on
// the processing queue; `done` comes on the main loop once the store is ready, so no answer of the
// new session arrives before it can be kept.
namespace offline_sign_in {

void loginAccepted(const std::string& cardID, const std::string& password, const LoginResult& record,
                   std::function<void()> done);

}  // namespace offline_sign_in
}  // namespace busdesk
