#pragma once

namespace busdesk {

class Window;

// Signing out, from the menu ("退出登录") and from the lock ("切换用户", too many wrong tries) alike:
// the remembered card number and its keyring items, the stored EmpId and the typed card go, the
// lock stops, and a login screen is presented over the shell.
class SignOut {
  public:
    static void perform(Window& window);
};

}  // namespace busdesk
