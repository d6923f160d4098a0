#include "screens/core/SettingViewController.h"

#include "core/AppInfo.h"
#include "core/OfficeAddress.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/core/ChangePasswordViewController.h"
#include "screens/core/DisplaySettings.h"
#include "screens/core/IdleLock.h"
#include "screens/core/LanguageSettings.h"
#include "screens/core/ServerAddressViewController.h"
#include "ui/ScreenHelpers.h"
#include "ui/StringPickerSheet.h"

namespace busdesk {

namespace {
// The lock's choices: every minute from 1 to 60, then never (0).
std::string lockChoice(int minutes) {
    return minutes == 0 ? std::string(tr("从不")) : trFormat("%1分钟", {std::to_string(minutes)});
}
}  // namespace

void SettingViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("系统设置"));
    changePassword_ = std::make_shared<Button>(Rect{}, tr("修改密码"));
    changePassword_->setIdentifier("changePassword");
    changePassword_->addAction(action(&SettingViewController::changePassword));
    view()->addSubview(changePassword_);
    autoLock_ = std::make_shared<Button>(Rect{}, "");
    autoLock_->setIdentifier("autoLock");
    autoLock_->addAction(action(&SettingViewController::chooseAutoLock));
    view()->addSubview(autoLock_);
    showAutoLock();
    appearance_ = std::make_shared<Button>(Rect{}, "");
    appearance_->setIdentifier("appearance");
    appearance_->addAction(action(&SettingViewController::chooseAppearance));
    view()->addSubview(appearance_);
    showAppearance();
    language_ = std::make_shared<Button>(Rect{}, "");
    language_->setIdentifier("language");
    language_->addAction(action(&SettingViewController::chooseLanguage));
    view()->addSubview(language_);
    showLanguage();
    textSize_ = std::make_shared<Button>(Rect{}, "");
    textSize_->setIdentifier("textSize");
    textSize_->addAction(action(&SettingViewController::chooseTextSize));
    view()->addSubview(textSize_);
    showTextSize();
    serverAddress_ = std::make_shared<Button>(Rect{}, tr(ServerAddressViewController::kTitle));
    serverAddress_->setIdentifier("serverAddress");
    serverAddress_->addAction(action(&SettingViewController::serverAddress));
    view()->addSubview(serverAddress_);
    serverAddressValue = std::make_shared<Label>();
    serverAddressValue->setIdentifier("serverAddressValue");
    serverAddressValue->setFontSize(13);
    serverAddressValue->setNumberOfLines(0);
    view()->addSubview(serverAddressValue);
    versionLine = std::make_shared<Label>(Rect{}, trFormat("版本 %1", {AppInfo::version()}));
    versionLine->setIdentifier("versionLine");
    versionLine->setFontSize(13);
    versionLine->setTextAlignment(TextAlignment::Center);
    view()->addSubview(versionLine);
    showServerAddress();
}

void SettingViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    // Back from the address screen, the row shows what was saved there.
    showServerAddress();
}

void SettingViewController::showServerAddress() {
    if (!serverAddressValue) return;
    const auto current = OfficeAddress::current();
    serverAddressValue->setText(current.office + "\n" + OfficeAddress::sourceText(current));
    viewDidLayoutSubviews();
}

void SettingViewController::viewDidLayoutSubviews() {
    if (!changePassword_) return;
    const double w = view()->bounds().width - 40;
    changePassword_->setFrame({20, 30, w, 44});
    autoLock_->setFrame({20, 86, w, 44});
    appearance_->setFrame({20, 142, w, 44});
    language_->setFrame({20, 198, w, 44});
    textSize_->setFrame({20, 254, w, 44});
    serverAddress_->setFrame({20, 310, w, 44});
    const double h = serverAddressValue->sizeThatFits({w, 1e6}).height;
    serverAddressValue->setFrame({20, 360, w, h});
    versionLine->setFrame({20, 370 + h, w, 24});
}

void SettingViewController::changePassword() {
    auto screen = std::make_shared<ChangePasswordViewController>();
    screen->setTitle(tr("修改密码"));
    if (auto nav = navigationController()) nav->pushViewController(screen, true);
}

void SettingViewController::serverAddress() {
    if (auto nav = navigationController())
        nav->pushViewController(std::make_shared<ServerAddressViewController>(), true);
}

void SettingViewController::showAutoLock() {
    autoLock_->setTitle(trFormat("自动锁定：%1", {lockChoice(IdleLock::idleMinutes())}));
}

void SettingViewController::chooseAutoLock() {
    std::vector<std::string> rows;
    for (int m = 1; m <= IdleLock::kMaxMinutes; ++m) rows.push_back(lockChoice(m));
    rows.push_back(lockChoice(0));
    int current = IdleLock::idleMinutes();
    int selected = current == 0 ? IdleLock::kMaxMinutes : current - 1;
    StringPickerSheet::showPickerWithTitle(
        tr("自动锁定"), rows, selected,
        whileAlive<SettingViewController>(
            [](SettingViewController& self, StringPickerSheet&, int index, const std::string&) {
                IdleLock::shared().setIdleMinutes(index >= IdleLock::kMaxMinutes ? 0 : index + 1);
                self.showAutoLock();
            }),
        {}, autoLock_);
}

void SettingViewController::showAppearance() {
    appearance_->setTitle(
        trFormat("外观：%1", {DisplaySettings::appearanceText(DisplaySettings::appearance())}));
}

void SettingViewController::chooseAppearance() {
    std::vector<std::string> rows;
    int selected = 0;
    for (auto choice : DisplaySettings::appearances()) {
        if (choice == DisplaySettings::appearance()) selected = static_cast<int>(rows.size());
        rows.push_back(DisplaySettings::appearanceText(choice));
    }
    StringPickerSheet::showPickerWithTitle(
        tr("外观"), rows, selected,
        whileAlive<SettingViewController>(
            [](SettingViewController& self, StringPickerSheet&, int index, const std::string&) {
                auto choices = DisplaySettings::appearances();
                if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) return;
                DisplaySettings::setAppearance(choices[static_cast<std::size_t>(index)]);
                self.showAppearance();
            }),
        {}, appearance_);
}

void SettingViewController::showLanguage() {
    language_->setTitle(trFormat("语言：%1", {LanguageSettings::choiceText(LanguageSettings::choice())}));
}

void SettingViewController::chooseLanguage() {
    std::vector<std::string> rows;
    int selected = 0;
    for (auto choice : LanguageSettings::choices()) {
        if (choice == LanguageSettings::choice()) selected = static_cast<int>(rows.size());
        rows.push_back(LanguageSettings::choiceText(choice));
    }
    StringPickerSheet::showPickerWithTitle(
        tr("语言"), rows, selected,
        whileAlive<SettingViewController>(
            [](SettingViewController& self, StringPickerSheet&, int index, const std::string&) {
                auto choices = LanguageSettings::choices();
                if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) return;
                LanguageSettings::setChoice(choices[static_cast<std::size_t>(index)]);
                self.showLanguage();
                if (LanguageSettings::nextStartChangesLanguage())
                    screen::setAlertInfo(tr("新的语言将在下次启动时生效"), *self.view());
            }),
        {}, language_);
}

void SettingViewController::showTextSize() {
    textSize_->setTitle(
        trFormat("字体大小：%1", {DisplaySettings::textSizeText(DisplaySettings::textSize())}));
}

void SettingViewController::chooseTextSize() {
    const auto choices = DisplaySettings::textSizes();
    std::vector<std::string> rows;
    int selected = 0;
    for (const auto& choice : choices) {
        if (choice == DisplaySettings::textSize()) selected = static_cast<int>(rows.size());
        rows.push_back(DisplaySettings::textSizeText(choice));
    }
    StringPickerSheet::showPickerWithTitle(
        tr("字体大小"), rows, selected,
        whileAlive<SettingViewController>(
            [](SettingViewController& self, StringPickerSheet&, int index, const std::string&) {
                auto sizes = DisplaySettings::textSizes();
                if (index < 0 || static_cast<std::size_t>(index) >= sizes.size()) return;
                DisplaySettings::setTextSize(sizes[static_cast<std::size_t>(index)]);
                self.showTextSize();
            }),
        {}, textSize_);
}

}  // namespace busdesk
