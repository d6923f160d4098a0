#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/views/Button.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// The bar at the foot of the left menu with the version button.
class LeftMenuBottomNarbarViewController : public ViewController {
  public:
    // Answers whether the installed version is the newest. No version source exists yet, so by
    // default the answer is no and the download question is asked.
    using NewestCheck = std::function<bool(const std::string& installedVersion)>;
    static void setNewestCheck(NewestCheck check);
    // What "确定" starts; nothing is downloaded until a source is supplied.
    static void setDownload(std::function<void()> download);

    static std::string buildVersion();

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    void versionAction();
    void banben();

    std::shared_ptr<Button> btnVersion;
};

}  // namespace busdesk
