#include "screens/core/SettingViewController.h"

#include "core/AppInfo.h"
#include "core/OfficeAddress.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/core/ChangePasswordViewController.h"
#include "screens/core/ChoiceRow.h"
#include "screens/core/DisplaySettings.h"
#include "screens/core/IdleLock.h"
#include "screens/core/LanguageSettings.h"
#include "screens/core/ServerAddressViewController.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {

// The lock's choices: every minute from 1 to 60, then never (0).
std::vector<int> lockChoices() {
    std::vector<int> minutes;
    for (int m = 1; m <= IdleLock::kMaxMinutes; ++m) minutes.push_back(m);
    minutes.push_back(0);
    return minutes;
}

std::string lockChoice(int minutes) {
    return minutes == 0 ? std::string(tr("从不")) : trFormat("%1分钟", {std::to_string(minutes)});
}

void noteNextStartLanguage(ViewController& settings) {
    if (LanguageSettings::nextStartChangesLanguage())
        screen::setAlertInfo(tr("新的语言将在下次启动时生效"), *settings.view());
}

}  // namespace

void SettingViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("系统设置"));
    using Language = LanguageSettings::Choice;
    rows_ = {
        actionRow("changePassword", tr("修改密码"), &SettingViewController::changePassword),
        addChoiceRow<int>(*this, {.identifier = "autoLock",
                                  .title = N_("自动锁定：%1"),
                                  .pickerTitle = N_("自动锁定"),
                                  .choices = lockChoices(),
                                  .current = &IdleLock::idleMinutes,
                                  .text = lockChoice,
                                  .store = [](int minutes) { IdleLock::shared().setIdleMinutes(minutes); }}),
        addChoiceRow<AppearancePreference>(*this, {.identifier = "appearance",
                                                   .title = N_("外观：%1"),
                                                   .pickerTitle = N_("外观"),
                                                   .choices = DisplaySettings::appearances(),
                                                   .current = &DisplaySettings::appearance,
                                                   .text = &DisplaySettings::appearanceText,
                                                   .store = &DisplaySettings::setAppearance}),
        addChoiceRow<Language>(*this, {.identifier = "language",
                                       .title = N_("语言：%1"),
                                       .pickerTitle = N_("语言"),
                                       .choices = LanguageSettings::choices(),
                                       .current = &LanguageSettings::choice,
                                       .text = &LanguageSettings::choiceText,
                                       .store = &LanguageSettings::setChoice,
                                       .shown = &LanguageSettings::rowText,
                                       .afterStoring = noteNextStartLanguage}),
        addChoiceRow<std::optional<int>>(*this, {.identifier = "textSize",
                                                 .title = N_("字体大小：%1"),
                                                 .pickerTitle = N_("字体大小"),
                                                 .choices = DisplaySettings::textSizes(),
                                                 .current = &DisplaySettings::textSize,
                                                 .text = &DisplaySettings::textSizeText,
                                                 .store = &DisplaySettings::setTextSize}),
        actionRow("serverAddress", tr(ServerAddressViewController::kTitle),
                  &SettingViewController::serverAddress),
    };
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

std::shared_ptr<Button> SettingViewController::actionRow(const char* identifier, const std::string& title,
                                                         void (SettingViewController::*method)()) {
    auto row = std::make_shared<Button>(Rect{}, title);
    row->setIdentifier(identifier);
    row->addAction(action(method));
    view()->addSubview(row);
    return row;
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
    if (rows_.empty()) return;
    const double w = view()->bounds().width - 40;
    double y = 30;
    for (const auto& row : rows_) {
        row->setFrame({20, y, w, 44});
        y += 56;
    }
    const double h = serverAddressValue->sizeThatFits({w, 1e6}).height;
    serverAddressValue->setFrame({20, y - 6, w, h});
    versionLine->setFrame({20, y + 4 + h, w, 24});
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

}  // namespace busdesk
