#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace busdesk {

class LoginResult;

// Who is signed in, in one place: the record of the last answered login and the card number typed
// at the last accepted login of this run (neither is stored on disk), and the answers the screens
// derive from them and the remembered settings. `PublicMethod::loginResult` is a face over it.
class Session {
  public:
    static Session& shared();

    // Every login answer replaces the record, a refused one too; signing out clears it.
    std::shared_ptr<LoginResult> loginResult() const;
    void setLoginResult(std::shared_ptr<LoginResult> result);

    std::optional<std::string> typedCardID() const;
    void setTypedCardID(std::optional<std::string> cardID);

    // The account's card number for the password change and the profile: the one typed at the
    // last accepted login of this run, else the remembered one. The remembered number can belong
    // to an earlier employee when the box was left unticked at this login, so the typed one wins.
    std::optional<std::string> cardID() const;
    // The remembered login name ("zt_username"), else the card typed at this run's login.
    std::optional<std::string> userName() const;

    // Signing out: the record and the typed card are forgotten (the whole sign-out, with what
    // else it deletes, is screens/core/SignOut).
    void end();

  private:
    Session() = default;
    mutable std::mutex mutex_;
    std::shared_ptr<LoginResult> loginResult_;
    std::optional<std::string> typedCardID_;
};

// Record fields print as empty text when absent.
inline std::string displayText(const std::optional<std::string>& value) {
    return value.value_or(std::string());
}

}  // namespace busdesk
