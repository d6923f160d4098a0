#include "screens/core/LoginViewController.h"

#include <optional>
#include <utility>

#include "core/OfflineCard.h"
#include "core/PublicMethod.h"
#include "core/RememberedCredentials.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "model/LoginResult.h"
#include "net/URLRequest.h"
#include "platform/DispatchQueue.h"
#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/Palette.h"
#include "platform/views/Window.h"
#include "screens/core/IdleLock.h"
#include "services/LoginResultService.h"
#include "services/OfficeFailure.h"
#include "services/OfflineSignIn.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
LoginViewController::Accepted& acceptedHandler() {
    static LoginViewController::Accepted handler;
    return handler;
}

// A warning line: dark red on white (7:1), small but legible.
std::shared_ptr<Label> warningLine(const char* identifier, const char* text) {
    auto label = std::make_shared<Label>(Rect{}, text);
    label->setIdentifier(identifier);
    label->setFontSize(13);
    label->setTextColor(Color::of(ColorRole::Warning));
    label->setNumberOfLines(0);
    return label;
}

// What both ways in start with: the card number and password as typed, or nothing when either is
// empty (then the screen says so and the empty field takes the focus). The keyboard goes away.
std::optional<std::pair<std::string, std::string>> typedCredentials(TextField& username, TextField& password,
                                                                    View& view) {
    // As typed: a card number of spaces is the server's to judge.
    std::string user = username.text();
    std::string pass = password.text();
    if (user.empty() || pass.empty()) {
        screen::setAlertInfo(tr("用户名或者密码不能为空！"), view);
        (user.empty() ? username : password).becomeFirstResponder();
        return std::nullopt;
    }
    username.resignFirstResponder();
    password.resignFirstResponder();
    return std::pair{std::move(user), std::move(pass)};
}
}  // namespace

void LoginViewController::setAcceptedHandler(Accepted handler) {
    acceptedHandler() = std::move(handler);
}

void LoginViewController::viewDidLoad() {
    auto root = view();
    heading_ = std::make_shared<Label>(Rect{}, tr("公交移动办公"));
    heading_->setFontSize(24);
    heading_->setTextAlignment(TextAlignment::Center);
    root->addSubview(heading_);

    username = std::make_shared<TextField>();
    username->setIdentifier("username");
    username->setPlaceholder(tr("请输入工号"));
    username->setKeyboardType(KeyboardType::NumberPad);
    password = std::make_shared<TextField>();
    password->setIdentifier("password");
    password->setPlaceholder(tr("请输入密码"));
    password->setSecureTextEntry(true);
    for (auto& field : {username, password}) {
        field->setDelegate(self<LoginViewController>());
        field->setReturnKeyType(ReturnKeyType::Done);
        root->addSubview(field);
    }

    viewChk = std::make_shared<View>();
    viewChk->setIdentifier("viewChk");
    root->addSubview(viewChk);
    cb = std::make_shared<CheckBoxView>(Rect{0, 0, 120, 30}, CheckBoxStyle::Default, true);
    cb->setIdentifier("cb");
    cb->textLabel().setText(tr("记住密码"));
    viewChk->addSubview(cb);

    loginButton_ = std::make_shared<Button>(Rect{}, tr("登录"));
    loginButton_->setIdentifier("loginAction");
    // A filled, rounded button, white on blue (5.6:1).
    loginButton_->setBackgroundColor(Color::of(ColorRole::Accent));
    loginButton_->setCornerRadius(8);
    loginButton_->setTitleColor(Color::of(ColorRole::OnAccent));
    loginButton_->setFontSize(18);
    loginButton_->addAction(action(&LoginViewController::loginAction));
    root->addSubview(loginButton_);
    setMainAction(loginButton_);

    offlineLoginButton_ = std::make_shared<Button>(Rect{}, tr("离线登录"));
    offlineLoginButton_->setIdentifier("offlineLogin");
    // Outlined: the second choice beside the filled one.
    offlineLoginButton_->setBackgroundColor(Color::of(ColorRole::Background));
    offlineLoginButton_->setCornerRadius(8);
    offlineLoginButton_->setTitleColor(Color::of(ColorRole::Accent));
    offlineLoginButton_->setFontSize(18);
    offlineLoginButton_->addAction(action(&LoginViewController::offlineLoginAction));
    offlineLoginButton_->setHidden(true);
    root->addSubview(offlineLoginButton_);

    keyringWarning_ = warningLine("keyringWarning", tr(kNoKeyringMessage));
    root->addSubview(keyringWarning_);
    // The office protocol puts the password into the query string.
    plainConnectionWarning_ = warningLine("plainConnectionWarning", tr(kPlainConnectionMessage));
    plainConnectionWarning_->setHidden(!url::sendsInTheClear(PublicMethod::officeBaseURL()));
    root->addSubview(plainConnectionWarning_);

    auto& remembered = RememberedCredentials::shared();
    // Started at launch already; here too, so the warning knows whether a keyring answers.
    remembered.load();
    if (auto card = remembered.card()) {
        username->setText(*card);
        cb->setChecked(true);
        // The password arrives when the keyring answers.
        remembered.whenLoaded(whileAlive<LoginViewController>(
            [](LoginViewController& self) { self.fillRememberedPassword(); }));
    } else {
        cb->setChecked(false);
        username->setText({});
        password->setText({});
    }
    cb->setStateChangedTarget(weak_from_this(), [this](CheckBoxView&) { updateKeyringWarning(); });
    remembered.observe(weak_from_this(), [this] { updateKeyringWarning(); });
    updateKeyringWarning();
    layout();
}

void LoginViewController::fillRememberedPassword() {
    auto& remembered = RememberedCredentials::shared();
    // Only into the form as it was left: not over a password typed meanwhile, not for another card.
    if (!password->text().empty() || username->text() != remembered.card()) return;
    if (auto pass = remembered.password()) password->setText(*pass);
}

void LoginViewController::updateKeyringWarning() {
    auto& remembered = RememberedCredentials::shared();
    bool noKeyring = remembered.keyringAvailable() == false;
    keyringWarning_->setHidden(!(noKeyring && (cb->checked() || remembered.migratedWithoutKeyring())));
}

void LoginViewController::viewDidLayoutSubviews() {
    layout();
}

void LoginViewController::layout() {
    if (!username) return;
    double width = view()->bounds().width;
    double left = 40, fieldWidth = width - 80;
    heading_->setFrame({left, 120, fieldWidth, 40});
    username->setFrame({left, 200, fieldWidth, 40});
    password->setFrame({left, 256, fieldWidth, 40});
    viewChk->setFrame({left, 310, fieldWidth, 30});
    cb->setFrame({0, 0, fieldWidth, 30});  // its caption takes the row and wraps no sooner
    keyringWarning_->setFrame({left, 342, fieldWidth, 20});
    loginButton_->setFrame({left, 370, fieldWidth, 44});
    offlineLoginButton_->setFrame({left, 422, fieldWidth, 44});
    plainConnectionWarning_->setFrame({left, offlineLoginButton_->hidden() ? 422.0 : 474.0, fieldWidth, 20});
}

bool LoginViewController::textFieldShouldReturn(TextField& field) {
    field.resignFirstResponder();
    return true;
}

void LoginViewController::loginAction() {
    auto typed = typedCredentials(*username, *password, *view());
    if (!typed) return;
    // Plain names, not a structured binding: the lambdas below capture them.
    std::string user = std::move(typed->first);
    std::string pass = std::move(typed->second);
    // Remembered before the request, so a refused or failed attempt keeps them too.
    if (cb->checked()) RememberedCredentials::shared().remember(user, pass);
    screen::showActivityOrNo(true, *view());
    offlineLoginButton_->setHidden(true);
    layout();

    LoginResultService::login(
        user, pass,
        whileAlive<LoginViewController>([user, pass](LoginViewController& self,
                                                     const std::shared_ptr<LoginResult>& answer,
                                                     bool accepted) {
            self.Data = answer;
            if (!accepted || !answer) screen::showActivityOrNo(false, *self.view());
            if (!accepted) {
                // No record at all: the answer was not one the screen can explain, so it is
                // reported like any other unusable answer rather than as an empty box.
                screen::setAlertInfo(answer ? displayText(answer->FailReason) : std::string(tr("网络异常！")),
                                     *self.view());
                return;
            }
            if (!answer) return self.enter(user, pass, answer);
            // The offline card and the stored answers first (Argon2id, off the main thread; the
            // overlay stays meanwhile), so that the new session's first answers are kept.
            offline_sign_in::loginAccepted(
                user, pass, *answer,
                self.whileAlive<LoginViewController>([user, pass, answer](LoginViewController& later) {
                    screen::showActivityOrNo(false, *later.view());
                    later.enter(user, pass, answer);
                }));
        }),
        whileAlive<LoginViewController>([user](LoginViewController& self, const OfficeFailure& failure) {
            screen::showActivityOrNo(false, *self.view());
            screen::setAlertInfo(tr("网络异常！"), *self.view());
            // Only when the office could not be asked at all: a refusal it answered stands.
            if (!failure.officeUnreachable()) return;
            // The card's file is read off the main thread.
            asyncThenMain<bool>(
                DispatchQueue::processing(), [user] { return offline::canOffer(user); },
                self.whileAlive<LoginViewController>([user](LoginViewController& later, bool offered) {
                    if (!offered || later.username->text() != user) return;
                    later.offlineLoginButton_->setHidden(false);
                    later.layout();
                }));
        }));
}

void LoginViewController::offlineLoginAction() {
    auto typed = typedCredentials(*username, *password, *view());
    if (!typed) return;
    // Plain names, not a structured binding: the lambdas below capture them.
    std::string user = std::move(typed->first);
    std::string pass = std::move(typed->second);
    // Argon2id on the processing queue; the overlay meanwhile.
    screen::showActivityOrNo(true, *view());
    offline_sign_in::signInOffline(
        user, SecretBytes(std::string_view(pass)),
        whileAlive<LoginViewController>([user, pass](LoginViewController& self,
                                                     const offline_sign_in::OfflineOutcome& outcome) {
            screen::showActivityOrNo(false, *self.view());
            using Kind = offline_sign_in::OfflineOutcome::Kind;
            if (outcome.kind == Kind::Opened) return self.enter(user, pass, outcome.record);
            if (outcome.kind != Kind::WrongPassword) {
                // The card's file is gone (or never read): nothing to offer any more.
                self.offlineLoginButton_->setHidden(true);
                self.layout();
            }
            screen::setAlertInfo(
                outcome.kind == Kind::NoCard ? tr("网络异常！") : tr("离线登录失败：密码错误"), *self.view());
        }));
}

void LoginViewController::enter(const std::string& user, const std::string& pass,
                                const std::shared_ptr<LoginResult>& answer) {
    screen::setAlertInfo(tr("登录成功"), *view());
    PublicMethod::setObject(answer ? answer->EmpID : std::nullopt, kEmpId);
    RememberedCredentials::shared().acceptLogin(user, answer ? answer->IDcard : std::nullopt);
    Session::shared().setTypedCardID(user);
    // The lock opens with this password for as long as this sign-in lasts.
    IdleLock::shared().signIn(answer && answer->Name ? *answer->Name : user, pass);
    // The screen is let go once the shell replaces it; the caller's whileAlive holds it for the
    // whole call, so it is still alive here.
    if (Window* w = window(); w && acceptedHandler()) acceptedHandler()(*w);
}

}  // namespace busdesk
