#pragma once

#include <memory>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class SettingViewController : public ViewController {
  public:
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidLayoutSubviews() override;

    // Pushes the change-password screen.
    void changePassword();
    // Pushes the office address screen (the row "服务器地址").
    void serverAddress();
    // The lock's idle time: a picker of 1–60 minutes or never.
    void chooseAutoLock();
    // The palette: a picker of "跟随系统" (the desktop's), "浅色" and "深色"; the open screens are
    // drawn again in the one chosen.
    void chooseAppearance();
    // The language: a picker of "跟随系统", "中文" and "English", taken at the next start (the
    // screen says so when the choice changes the language).
    void chooseLanguage();
    // The text size: a picker of "跟随系统" (the desktop's) and 100 % to 200 %; the open screens
    // are laid out again at the size chosen.
    void chooseTextSize();

    // The address in use and where it came from, under the row.
    std::shared_ptr<Label> serverAddressValue;
    // "版本 1.0.0": the program's version.
    std::shared_ptr<Label> versionLine;

  private:
    void showServerAddress();
    void showAutoLock();
    void showAppearance();
    void showLanguage();
    void showTextSize();
    std::shared_ptr<Button> changePassword_;
    std::shared_ptr<Button> serverAddress_;
    std::shared_ptr<Button> autoLock_;
    std::shared_ptr<Button> appearance_;
    std::shared_ptr<Button> language_;
    std::shared_ptr<Button> textSize_;
};

}  // namespace busdesk
