#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/Image.h"
#include "platform/views/ImageView.h"
#include "platform/views/Label.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// A full-screen pager over pictures (decoded images or addresses loaded through the remote image
// cache) with a thumbnail strip below.
class ImageBrowser : public ViewController {
  public:
    using ImageSource = std::variant<std::shared_ptr<const Image>, std::string>;

    ImageBrowser(std::vector<ImageSource> imageDataSource, int startIndex);

    const std::vector<ImageSource>& ImageDataSource() const { return sources_; }
    int StartIndex() const { return start_; }
    int currentIndex() const { return current_; }
    // Clamped into range.
    void showIndex(int index);
    void showNext() { showIndex(current_ + 1); }
    void showPrevious() { showIndex(current_ - 1); }

    void viewDidLoad() override;

  private:
    void apply(ImageView& view, const ImageSource& source);
    std::vector<ImageSource> sources_;
    int start_;
    int current_ = 0;
    std::shared_ptr<ImageView> page_;
    std::shared_ptr<Label> counter_;
    std::vector<std::shared_ptr<View>> thumbs_;
};

}  // namespace busdesk
