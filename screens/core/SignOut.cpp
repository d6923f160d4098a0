#include "screens/core/SignOut.h"

#include "core/PublicMethod.h"
#include "core/RememberedCredentials.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "platform/views/Window.h"
#include "screens/core/IdleLock.h"
#include "screens/core/LoginViewController.h"

namespace busdesk {

void SignOut::perform(Window& window) {
    // The remembered card with its password and identity-card number, and the signed-in card's
    // keyring item when it is another one.
    RememberedCredentials::shared().forget(Session::shared().typedCardID());
    PublicMethod::removeObjectForKey(kEmpId);
    // Nobody is signed in until the next accepted login names the account again.
    Session::shared().setTypedCardID(std::nullopt);
    IdleLock::shared().signedOut();
    if (auto root = window.rootViewController())
        root->presentViewController(std::make_shared<LoginViewController>(), true);
}

}  // namespace busdesk
