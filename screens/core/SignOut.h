#pragma once

#include <string>

namespace busdesk {

class Window;

// The one way a session ends, whoever ends it: the right menu's "退出登录", and later a lock's
// "切换用户" or a password the server no longer takes. Everything of the signed-in user goes:
//   1. office requests still waiting are cancelled, so no answer reaches anything afterwards;
//   2. the remembered card, password and employee identifier are removed from the settings
//      (the identity card number, refresh time, read marks and vehicle number stay);
//   3. the session record and the typed card number are forgotten;
//   4. the steps features added to SessionEnd run (stored answers, keyring items, …);
//   5. alerts, sheets and pickers still open are closed without reporting a choice;
//   6. a new login screen becomes the window's root: the shell and every screen in it are let go,
//      so neither a tap, a key nor a script's `back` can reach them again.
// When `reason` is not empty (the user did not choose to sign out), the login screen says it,
// together with any notice a step added.
class SignOut {
  public:
    static void signOut(Window& window, const std::string& reason = {});
};

}  // namespace busdesk
