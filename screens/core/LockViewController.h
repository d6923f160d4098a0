#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// The lock screen over a signed-in window left alone (IdleLock): who is signed in, the password
// field, "解锁" and "切换用户". It only shows and forwards; IdleLock decides.
class LockViewController : public ViewController, public TextFieldDelegate {
  public:
    explicit LockViewController(std::string userName) : userName_(std::move(userName)) {}

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    bool textFieldShouldReturn(TextField& field) override;

    // "解锁" (and the field's return key) with the typed password; "切换用户".
    std::function<void(const std::string& password)> onUnlock;
    std::function<void()> onSwitchUser;

    void unlock();
    void switchUser();
    // A line under the field ("密码错误…"); empty hides it. The field is emptied for the next try.
    void showMessage(const std::string& message);

    std::shared_ptr<TextField> lockPassword;

  private:
    void layout();
    std::string userName_;
    std::shared_ptr<Label> title_;
    std::shared_ptr<Label> name_;
    std::shared_ptr<Label> message_;
    std::shared_ptr<Button> unlock_;
    std::shared_ptr<Button> switchUser_;
};

}  // namespace busdesk
