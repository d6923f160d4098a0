#pragma once

#include <functional>
#include <memory>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "ui/CheckBoxView.h"

namespace busdesk {

class Window;

class LoginResult;

// The first screen: card number and password, the remember-password box, and the way into the
// navigation shell. The remembered password comes from the keyring (RememberedCredentials) once it
// answers; a line under the box says when no keyring can keep it, and a line under the login
// button when the office address sends the password unencrypted.
class LoginViewController : public ViewController, public TextFieldDelegate {
  public:
    LoginViewController() = default;

    // What an accepted login does with the window (the app installs the navigation shell);
    // nothing while unset.
    using Accepted = std::function<void(Window&)>;
    static void setAcceptedHandler(Accepted handler);

    static constexpr const char* kNoKeyringMessage = N_("无法安全保存密码：系统钥匙串不可用");
    static constexpr const char* kPlainConnectionMessage = N_("连接未加密，密码可能被他人截获");

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    bool prefersStatusBarHidden() const override { return true; }

    void loginAction();
    // Signs in with the card's kept record when the office cannot be reached (offered only then).
    void offlineLoginAction();
    bool textFieldShouldReturn(TextField& field) override;

    std::shared_ptr<TextField> username;
    std::shared_ptr<TextField> password;
    std::shared_ptr<View> viewChk;
    std::shared_ptr<CheckBoxView> cb;
    // The last answer, accepted or refused.
    std::shared_ptr<LoginResult> Data;

  private:
    void layout();
    // An accepted login: the session, the remembered card, the lock, then the shell.
    void enter(const std::string& user, const std::string& pass, const std::shared_ptr<LoginResult>& answer);
    void fillRememberedPassword();
    void updateKeyringWarning();
    std::shared_ptr<Label> heading_;
    std::shared_ptr<Button> loginButton_;
    // "离线登录": shown after a login the office did not answer, for a card that can sign in
    // without it.
    std::shared_ptr<Button> offlineLoginButton_;
    std::shared_ptr<Label> keyringWarning_;
    std::shared_ptr<Label> plainConnectionWarning_;
};

}  // namespace busdesk
