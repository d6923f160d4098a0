#pragma once

#include <memory>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/ViewController.h"
#include "screens/core/ScreenEntry.h"

namespace busdesk {

// The employee's own menu: the name, the self-service screens, settings and logout.
class RightMenu1ViewController : public ViewController {
  public:
    // Shows a screen a row or button made; nothing happens while it is unset.
    OpenScreen openScreen;

    // userInfo, ShowSalary, ShowLunch, ShowBusRecord, ShowFeedBack, ShowSetting, in order.
    static std::vector<ScreenEntry> entries();

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // Ends the session (SignOut): the login screen replaces the shell.
    void signOut();

    std::shared_ptr<Button> userBtn;

  private:
    void open(const ScreenEntry& entry);
    void layout();
    std::vector<std::shared_ptr<Button>> buttons_;
};

}  // namespace busdesk
