#pragma once

#include <memory>
#include <string>
#include <vector>

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

    // The address in use and where it came from, under the row.
    std::shared_ptr<Label> serverAddressValue;
    // "版本 1.0.0": the program's version.
    std::shared_ptr<Label> versionLine;

  private:
    void showServerAddress();
    // A row that calls `method` when tapped.
    std::shared_ptr<Button> actionRow(const char* identifier, const std::string& title,
                                      void (SettingViewController::*method)());
    // From the top: changePassword; the choice rows autoLock (the lock's idle time: 1–60 minutes
    // or never), appearance ("跟随系统", "浅色", "深色": the open screens are drawn again), language
    // ("跟随系统", "中文", "English": taken at the next start, and the screen says so when the
    // choice changes the language) and textSize (the desktop's or 100 % to 200 %: the open screens
    // are laid out again); serverAddress.
    std::vector<std::shared_ptr<Button>> rows_;
};

}  // namespace busdesk
