#include "screens/core/SignedInAccount.h"

#include "app/core/PublicMethod.h"
#include "app/core/SettingsKeys.h"

namespace busdesk {

namespace {
std::optional<std::string>& typedStore() {
    static std::optional<std::string> typed;
    return typed;
}
}  // namespace

std::optional<std::string> SignedInAccount::typedCardID() {
    return typedStore();
}

void SignedInAccount::setTypedCardID(std::optional<std::string> cardID) {
    typedStore() = std::move(cardID);
}

std::optional<std::string> SignedInAccount::cardID() {
    if (auto typed = typedStore(); typed && !typed->empty()) return typed;
    auto stored = PublicMethod::getStringForKey(kZtUsername);
    if (stored && !stored->empty()) return stored;
    return std::nullopt;
}

}  // namespace busdesk
