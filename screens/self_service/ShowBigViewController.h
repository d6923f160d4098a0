#pragma once

#include <memory>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/ImageView.h"
#include "platform/views/ScrollView.h"
#include "platform/views/ViewController.h"
#include "ui/PhotoStripView.h"

namespace busdesk {

// The photos just chosen for the feedback, one page each across the screen, with "完成(%d)" to go
// back to the form. Only the page in view and its neighbours hold a picture, each decoded from
// its file one at a time and scaled to the screen.
class ShowBigViewController : public ViewController, public ScrollViewListener {
  public:
    explicit ShowBigViewController(std::vector<PhotoItem> photos);
    ~ShowBigViewController() override;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void scrollViewDidScroll(ScrollView&) override;

    void finish();
    void confirm();
    void showPage(int index);
    int currentPage() const { return current_; }

    std::vector<PhotoItem> arrayOK;
    std::shared_ptr<ScrollView> scrollView;
    std::vector<std::shared_ptr<ImageView>> pages;
    std::shared_ptr<Button> btnFinish;

  private:
    void layout();
    int current_ = -1;
};

}  // namespace busdesk
