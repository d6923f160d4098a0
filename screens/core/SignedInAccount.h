#pragma once

#include <optional>
#include <string>

namespace busdesk {

// What the core screens know about who is signed in, beyond the session record.
class SignedInAccount {
  public:
    // The card number typed at the last accepted login of this run (not persisted).
    static std::optional<std::string> typedCardID();
    static void setTypedCardID(std::optional<std::string> cardID);

    // The account's card number for the change-password request and the profile: the one typed
    // at the last accepted login of this run, else the remembered one. The remembered number can
    // belong to an earlier employee when the box was left unticked at this login, so the typed
    // one wins.
    static std::optional<std::string> cardID();
};

// Session fields print as empty text when absent.
inline std::string displayText(const std::optional<std::string>& value) {
    return value.value_or(std::string());
}

}  // namespace busdesk
