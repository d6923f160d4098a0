#include "screens/core/ChangePasswordViewController.h"

#include "core/RememberedCredentials.h"
#include "core/Session.h"
#include "model/ResultInfo.h"
#include "platform/Translation.h"
#include "screens/core/IdleLock.h"
#include "services/LoginResultService.h"
#include "services/OfflineSignIn.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void ChangePasswordViewController::viewDidLoad() {
    screen::setNavTitleBarWithLeftBTAndTitle(*this, tr("修改密码"));
    auto make = [this](const char* id, const char* placeholder) {
        auto field = std::make_shared<TextField>();
        field->setIdentifier(id);
        field->setPlaceholder(placeholder);
        field->setSecureTextEntry(true);
        field->setReturnKeyType(ReturnKeyType::Done);
        field->setDelegate(self<ChangePasswordViewController>());
        view()->addSubview(field);
        return field;
    };
    tf_oldPassword = make("tf_oldPassword", tr(kOldPlaceholder));
    tf_newPassword = make("tf_newPassword", tr(kNewPlaceholder));
    tf_confirmPassword = make("tf_confirmPassword", tr(kConfirmPlaceholder));
    submit_ = std::make_shared<Button>(Rect{}, tr("确认修改"));
    submit_->setIdentifier("changePassword");
    submit_->addAction(whileAlive<ChangePasswordViewController>(
        [](ChangePasswordViewController& self, View&) { self.changePassword(); }));
    view()->addSubview(submit_);
    setMainAction(submit_);
    layout();
}

void ChangePasswordViewController::viewDidLayoutSubviews() {
    layout();
}

void ChangePasswordViewController::layout() {
    if (!submit_) return;
    double w = view()->bounds().width - 40;
    tf_oldPassword->setFrame({20, 30, w, 40});
    tf_newPassword->setFrame({20, 86, w, 40});
    tf_confirmPassword->setFrame({20, 142, w, 40});
    submit_->setFrame({20, 210, w, 44});
}

bool ChangePasswordViewController::textFieldShouldReturn(TextField& field) {
    field.resignFirstResponder();
    return true;
}

void ChangePasswordViewController::changePassword() {
    for (auto* field : {tf_oldPassword.get(), tf_newPassword.get(), tf_confirmPassword.get()}) {
        if (field->text().empty()) return screen::setAlertInfo(field->placeholder(), *view());
    }
    if (tf_newPassword->text() != tf_confirmPassword->text())
        return screen::setAlertInfo(tr("两次输入的密码不一致，请重新输入！"), *view());
    changePassword(tf_oldPassword->text(), tf_newPassword->text());
}

void ChangePasswordViewController::changePassword(const std::string& oldPassword,
                                                  const std::string& newPassword) {
    // The account the change is for, as the service reads it; the keyring item follows it.
    const std::string card = Session::shared().cardID().value_or(std::string());
    bool sent = LoginResultService::changePassword(
        oldPassword, newPassword,
        whileAlive<ChangePasswordViewController>(
            [card, newPassword](ChangePasswordViewController& self, const std::shared_ptr<ResultInfo>& answer,
                                bool changed) {
                screen::showActivityOrNo(false, *self.view());
                if (changed) {
                    // The remembered password and the lock follow, or the next start would sign in
                    // with a password that no longer works.
                    RememberedCredentials::shared().passwordChanged(card, newPassword);
                    IdleLock::shared().passwordChanged(newPassword);
                    // The stored answers' key, sealed for the new password.
                    offline_sign_in::passwordChanged(card, newPassword);
                }
                screen::setAlertInfo(changed ? std::string(tr("密码修改成功！"))
                                             : (answer ? displayText(answer->FailReason) : std::string()),
                                     *self.view());
            }),
        whileAlive<ChangePasswordViewController>([](ChangePasswordViewController& self) {
            screen::showActivityOrNo(false, *self.view());
            screen::setAlertInfo(tr("网络异常！"), *self.view());
        }));
    // Without a card number nothing was sent: the password of nobody's account cannot change.
    if (!sent) return screen::setAlertInfo(tr(kNoCardMessage), *view());
    screen::showActivityOrNo(true, *view());
}

}  // namespace busdesk
