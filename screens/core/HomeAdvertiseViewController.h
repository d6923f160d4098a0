#pragma once

#include <memory>

#include "platform/views/ImageView.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// The first content of a new shell: the company picture, the initial-password reminder, then the
// home page.
class HomeAdvertiseViewController : public ViewController {
  public:
    static constexpr double kShowSeconds = 3.0;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    void goMainWindow();

    // True when the identity-card number from position 12 on equals the remembered password.
    static bool showsInitialPasswordReminder(const std::optional<std::string>& idCard,
                                             const std::optional<std::string>& rememberedPassword);

    std::shared_ptr<ImageView> ivAdvertise;
};

}  // namespace busdesk
