#include "platform/views/ImageView.h"

#include "platform/views/DumpWriter.h"

namespace busdesk {

ImageView::ImageView(Rect frame) : View(frame) {}

void ImageView::setImage(std::shared_ptr<const Image> image) {
    image_ = std::move(image);
    notifyChanged(ViewChange::Image);
}

void ImageView::setImageName(std::string name) {
    if (name == imageName_) return;
    imageName_ = std::move(name);
    notifyChanged(ViewChange::Image);
}

void ImageView::setContentMode(ContentMode m) {
    mode_ = m;
    notifyChanged(ViewChange::Image);
}

bool ImageView::dump(DumpWriter& out) const {
    // Decorative pictures stay out of the dump; named ones say what they show.
    if (identifier().empty()) return true;
    std::string line = DumpWriter::head("image", *this) + ":";
    if (image_)
        line += " " + std::to_string(image_->width) + "x" + std::to_string(image_->height);
    else if (!imageName_.empty())
        line += " " + imageName_;
    else
        line += " none";
    if (!source_.empty()) line += " from " + source_;
    out.line(line);
    return true;
}

AccessibilityRole ImageView::defaultAccessibilityRole() const {
    if (hasTapHandlers()) return AccessibilityRole::Button;
    return accessibilityLabel().empty() ? AccessibilityRole::None : AccessibilityRole::Image;
}

}  // namespace busdesk
