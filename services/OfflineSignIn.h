#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/SecretBytes.h"

namespace busdesk {

class LoginResult;

// What a sign-in does for the times without the network: at an accepted login the card's offline
// file is renewed (core/OfflineCard) and the user's stored answers are opened with the data key
// it holds (services/AnswerStore); signing out deletes the card's file. The Argon2id work runs on
// the processing queue; `done` comes on the main loop once the store is ready, so no answer of the
// new session arrives before it can be kept.
//
// A session opened without the network (`signInOffline`) runs on the card's kept login record
// and answers only from the store until a typed query is answered by the office: then the same
// card and password are sent as a real login in the background. The password is kept for that in
// memory only, and only while the session is offline.
namespace offline_sign_in {

void loginAccepted(const std::string& cardID, const std::string& password, const LoginResult& record,
                   std::function<void()> done);

// How an offline sign-in ended.
struct OfflineOutcome {
    enum class Kind {
        Opened,         // the session holds the kept record; the store is open
        WrongPassword,  // counted by the card's file; nothing opened
        Deleted,        // the last wrong password allowed: the card's file is gone
        NoCard,         // no usable file for the card (or its record does not read)
    };
    Kind kind = Kind::NoCard;
    std::shared_ptr<LoginResult> record;  // when Opened
};
// Checks `password` against the card's file off the main thread; on success puts the kept record
// into the session, opens the store with the data key and goes offline. `done` on the main loop.
void signInOffline(const std::string& cardID, SecretBytes password, std::function<void(OfflineOutcome)> done);

// Whether the session was opened offline and the office has not taken the password since.
bool isOffline();

// What the app does when an offline session meets the office again: `accepted` true once the
// background login was accepted (the session record and the offline file are renewed); false when
// the office refused the password (the app must sign out), with the office's reason when it gave
// one. A failed attempt (no answer again) stays offline and tries at the next answered query.
using BackOnline = std::function<void(bool accepted, const std::string& reason)>;
void setBackOnlineHandler(BackOnline handler);

// The signed-in user's password changed at the office: the data key is sealed for the new one
// (off the main thread). Nothing happens when no key is open.
void passwordChanged(const std::string& cardID, const std::string& newPassword);

}  // namespace offline_sign_in
}  // namespace busdesk
