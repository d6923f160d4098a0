#include "screens/core/IdleLock.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Crypto.h"
#include "platform/Translation.h"
#include "platform/views/Window.h"
#include "screens/core/LockViewController.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
constexpr const char* kWrongPassword = N_("密码错误，还可尝试%1次");
constexpr const char* kEmptyPassword = N_("请输入密码");
constexpr const char* kCannotCheck = N_("无法验证密码，请切换用户");
constexpr const char* kSignedOutAfterWrongTries = N_("密码连续错误5次，已退出登录");

Clock::TimePoint now() {
    return RunLoop::main().clock()->now();
}
}  // namespace

IdleLock& IdleLock::shared() {
    static IdleLock instance;
    return instance;
}

int IdleLock::idleMinutes() {
    auto minutes = PublicMethod::getIntegerForKey(kLockMinutes);
    if (minutes && *minutes >= 0 && *minutes <= kMaxMinutes) return static_cast<int>(*minutes);
    return kDefaultMinutes;
}

void IdleLock::setIdleMinutes(int minutes) {
    if (minutes < 0 || minutes > kMaxMinutes) return;
    PublicMethod::setInteger(minutes, kLockMinutes);
    arm();
}

void IdleLock::attach(const std::shared_ptr<Window>& window) {
    window_ = window;
    window->setUserActivityHandler([this] { noteActivity(); });
}

void IdleLock::signIn(const std::string& userName, const std::string& password) {
    ++generation_;
    signedIn_ = true;
    userName_ = userName;
    wrongTries_ = 0;
    checking_ = false;
    waitingCheck_.reset();
    lastActivity_ = now();
    makeVerifier(password);
    arm();
}

void IdleLock::passwordChanged(const std::string& password) {
    if (!signedIn_) return;
    makeVerifier(password);
}

void IdleLock::makeVerifier(const std::string& password) {
    verifier_.reset();
    verifierPending_ = true;
    crypto::makeVerifierAsync(SecretBytes(password),
                              [this, generation = generation_](std::optional<std::string> v) {
                                  // A newer sign-in or password change is making its own.
                                  if (generation != generation_ || !verifierPending_) return;
                                  verifierPending_ = false;
                                  verifier_ = std::move(v);
                                  if (auto typed = std::exchange(waitingCheck_, std::nullopt))
                                      unlockWith(*typed);
                              });
}

void IdleLock::signedOut() {
    ++generation_;
    signedIn_ = false;
    verifier_.reset();
    verifierPending_ = false;
    waitingCheck_.reset();
    checking_ = false;
    wrongTries_ = 0;
    if (timer_) RunLoop::main().cancelTimer(std::exchange(timer_, 0));
    if (screen_) {
        screen_.reset();
        if (auto window = window_.lock()) window->setCoverViewController(nullptr);
    }
}

bool IdleLock::isLocked() const {
    return screen_ != nullptr;
}

void IdleLock::noteActivity() {
    lastActivity_ = now();
    // A running timer finds the new time when it fires and counts on from there; no churn per key.
    if (!timer_) arm();
}

void IdleLock::arm() {
    if (timer_) RunLoop::main().cancelTimer(std::exchange(timer_, 0));
    int minutes = idleMinutes();
    if (!signedIn_ || isLocked() || minutes == 0) return;
    auto due = lastActivity_ + std::chrono::minutes(minutes);
    auto delay = std::max(Clock::Duration::zero(), due - now());
    timer_ = RunLoop::main().postDelayed(delay, [this] {
        timer_ = 0;
        timerFired();
    });
}

void IdleLock::timerFired() {
    int minutes = idleMinutes();
    if (!signedIn_ || minutes == 0) return;
    if (now() - lastActivity_ >= std::chrono::minutes(minutes))
        lock();
    else
        arm();
}

void IdleLock::lock() {
    auto window = window_.lock();
    if (!signedIn_ || isLocked() || !window) return;
    if (timer_) RunLoop::main().cancelTimer(std::exchange(timer_, 0));
    screen_ = std::make_shared<LockViewController>(userName_);
    screen_->onUnlock = [this](const std::string& password) { unlockWith(password); };
    screen_->onSwitchUser = [this] { signOutFromLock({}); };
    window->setCoverViewController(screen_);
    screen_->lockPassword->becomeFirstResponder();
}

void IdleLock::unlockWith(const std::string& password) {
    if (!screen_ || checking_) return;
    if (password.empty()) return screen_->showMessage(tr(kEmptyPassword));
    if (verifierPending_) {
        // Made at sign-in; it is nearly there.
        waitingCheck_ = password;
        return;
    }
    if (!verifier_) return screen_->showMessage(tr(kCannotCheck));
    checking_ = true;
    crypto::checkVerifierAsync(*verifier_, SecretBytes(password),
                               [this, generation = generation_](bool right) {
                                   if (generation != generation_) return;
                                   checking_ = false;
                                   checked(right);
                               });
}

void IdleLock::checked(bool right) {
    if (!screen_) return;
    if (right) return unlock();
    if (++wrongTries_ >= kMaxWrongTries) return signOutFromLock(tr(kSignedOutAfterWrongTries));
    screen_->showMessage(trFormat(kWrongPassword, {std::to_string(kMaxWrongTries - wrongTries_)}));
}

void IdleLock::unlock() {
    wrongTries_ = 0;
    screen_.reset();
    if (auto window = window_.lock()) window->setCoverViewController(nullptr);
    lastActivity_ = now();
    arm();
}

void IdleLock::signOutFromLock(const std::string& why) {
    auto window = window_.lock();
    // The sign-out path ends the lock too (signedOut); the cover goes before the login screen comes.
    signedOut();
    if (signOut_) signOut_();
    if (window && !why.empty()) screen::setAlertInfo(why, *window);
}

}  // namespace busdesk
