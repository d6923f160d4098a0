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

  private:
    std::shared_ptr<Button> changePassword_;
};

}  // namespace busdesk
