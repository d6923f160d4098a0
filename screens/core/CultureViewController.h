#pragma once

#include <memory>
#include <string>

#include "platform/views/ViewController.h"
#include "platform/views/WebView.h"

namespace busdesk {

// The corporate-culture web page; a page that cannot be loaded stays blank, without a message.
class CultureViewController : public ViewController {
  public:
    static constexpr const char* kPagePath = "LXVoffice/index.html";

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    static std::string pageURL();

    std::shared_ptr<WebView> aWebview;
};

}  // namespace busdesk
