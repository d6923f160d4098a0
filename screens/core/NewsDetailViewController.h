#pragma once

#include <memory>
#include <string>

#include "platform/views/Label.h"
#include "platform/views/ViewController.h"
#include "platform/views/WebView.h"

namespace busdesk {

// One bulletin as formatted HTML; showing it sets its read mark.
class NewsDetailViewController : public ViewController {
  public:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void viewDidAppear(bool animated) override;

    // Set by the opener before it is shown (the title too, with setTitle).
    std::string titleStr;
    std::string peopleStr;
    std::string timeStr;
    std::string contentHtml;
    std::string newid;
    int tag = 2;

    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<Label> people;
    std::shared_ptr<Label> time;
    std::shared_ptr<WebView> webV;

  private:
    void layout();
};

}  // namespace busdesk
