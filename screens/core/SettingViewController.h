#pragma once

#include <memory>

#include "platform/views/Button.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class SettingViewController : public ViewController {
  public:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // Pushes the change-password screen.
    void changePassword();
    // The lock's idle time: a picker of 1–60 minutes or never.
    void chooseAutoLock();

  private:
    void showAutoLock();
    std::shared_ptr<Button> changePassword_;
    std::shared_ptr<Button> autoLock_;
};

}  // namespace busdesk
