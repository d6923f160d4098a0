#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/RunLoop.h"

namespace busdesk {

class Window;
class LockViewController;

// Covers a signed-in window with the lock screen after a time without input (5 minutes unless
// the settings say 1–60 or never), counted on the run loop's clock, so in headless mode on the
// script's clock. The password is checked on this machine against an Argon2id verifier made off
// the main thread at sign-in and held in memory for that sign-in only; never against a stored
// value, never by a request. Five wrong tries in a row sign out. Underneath, nothing is lost:
// the screens keep their state and answers and toasts wait (Window::setCoverViewController).
class IdleLock {
  public:
    static constexpr int kDefaultMinutes = 5;
    static constexpr int kMaxMinutes = 60;
    static constexpr int kMaxWrongTries = 5;

    static IdleLock& shared();

    // Minutes of the setting (`lockMinutes`): 1–60, or 0 for never; anything else reads as the
    // default. Setting it re-counts from the last input.
    static int idleMinutes();
    void setIdleMinutes(int minutes);

    // The window to watch and cover.
    void attach(const std::shared_ptr<Window>& window);
    // How the lock signs out ("切换用户", too many wrong tries): the app's one sign-out path.
    void setSignOutHandler(std::function<void()> handler) { signOut_ = std::move(handler); }

    // An accepted login: the idle time counts from now, the verifier is made on the processing queue.
    void signIn(const std::string& userName, const std::string& password);
    // The password was changed: unlocking takes the new one.
    void passwordChanged(const std::string& password);
    // Signed out (called by the sign-out path): no lock, no verifier, no counting.
    void signedOut();

    bool isLocked() const;
    // Covers the window now (the idle timer calls it).
    void lock();

  private:
    IdleLock() = default;
    void makeVerifier(const std::string& password);
    void noteActivity();
    void arm();
    void timerFired();
    void unlockWith(const std::string& password);
    void checked(bool right);
    void unlock();
    void signOutFromLock(const std::string& why);

    std::weak_ptr<Window> window_;
    std::function<void()> signOut_;
    bool signedIn_ = false;
    std::string userName_;
    std::optional<std::string> verifier_;
    bool verifierPending_ = false;
    // Bumped at every sign-in and sign-out: a verifier or a check finishing later for an earlier
    // sign-in is dropped.
    unsigned generation_ = 0;
    std::shared_ptr<LockViewController> screen_;
    Clock::TimePoint lastActivity_{};
    RunLoop::TimerId timer_ = 0;
    int wrongTries_ = 0;
    bool checking_ = false;
    // A password typed before the verifier was ready.
    std::optional<std::string> waitingCheck_;
};

}  // namespace busdesk
