#pragma once

#include <memory>
#include <string>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// Old, new and repeated password; the placeholders double as the empty-field messages.
class ChangePasswordViewController : public ViewController, public TextFieldDelegate {
  public:
    static constexpr const char* kOldPlaceholder = N_("请输入原密码");
    static constexpr const char* kNewPlaceholder = N_("请输入新密码");
    static constexpr const char* kConfirmPlaceholder = N_("请再次输入新密码");
    static constexpr const char* kNoCardMessage = N_("无法确定您的工号，请重新登录后再修改密码！");

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    bool textFieldShouldReturn(TextField& field) override;

    void changePassword();
    void changePassword(const std::string& oldPassword, const std::string& newPassword);

    std::shared_ptr<TextField> tf_oldPassword;
    std::shared_ptr<TextField> tf_newPassword;
    std::shared_ptr<TextField> tf_confirmPassword;

  private:
    void layout();
    std::shared_ptr<Button> submit_;
};

}  // namespace busdesk
