#pragma once

#include <string>

#include "platform/Translation.h"

namespace busdesk {

class Window;

// The one way a session ends, whoever ends it: the right menu's "退出登录", the lock's "切换用户"
// and its fifth wrong password, or a password the server no longer takes. Everything of the signed-in user
// goes:
//   1. office requests still waiting are cancelled, so no answer reaches anything afterwards;
//   2. the remembered card and employee identifier are removed from the settings, and the keyring
//      items of the remembered and the signed-in card (refresh time, read marks and vehicle
//      number stay); the lock stops and drops its verifier;
//   3. the session record and the typed card number are forgotten;
//   4. the steps features added to SessionEnd run (stored answers, …);
//   5. alerts, sheets and pickers still open are closed without reporting a choice;
//   6. a new login screen becomes the window's root: the shell and every screen in it are let go,
//      so neither a tap, a key nor a script's `back` can reach them again.
// When `reason` is not empty (the user did not choose to sign out), the login screen says it,
// together with any notice a step added. When the user's feedback outbox still holds submissions,
// that alert also offers "删除待发送的反馈" (they are kept otherwise, for the next sign-in).
class SignOut {
  public:
    static constexpr const char* kDeletePendingFeedback = N_("删除待发送的反馈");
    static void signOut(Window& window, const std::string& reason = {});
};

}  // namespace busdesk
