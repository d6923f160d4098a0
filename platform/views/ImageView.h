#pragma once

#include <memory>
#include <string>

#include "platform/Image.h"
#include "platform/views/View.h"

namespace busdesk {

enum class ContentMode { ScaleToFill, ScaleAspectFit, ScaleAspectFill, Center };

// Shows a decoded image, or a named picture from the resources when it has none.
class ImageView : public View {
  public:
    ImageView() = default;
    explicit ImageView(Rect frame);

    std::shared_ptr<const Image> image() const { return image_; }
    void setImage(std::shared_ptr<const Image> image);
    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name);
    ContentMode contentMode() const { return mode_; }
    void setContentMode(ContentMode m);
    // Where the shown image came from (a remote address), for scripts; set by the loader.
    const std::string& imageSource() const { return source_; }
    void setImageSource(std::string s) { source_ = std::move(s); }

    bool dump(DumpWriter& out) const override;

  protected:
    // A button when tapping it acts, a picture when it is named, else decoration.
    AccessibilityRole defaultAccessibilityRole() const override;

  private:
    std::shared_ptr<const Image> image_;
    std::string imageName_;
    std::string source_;
    ContentMode mode_ = ContentMode::ScaleToFill;
};

}  // namespace busdesk
