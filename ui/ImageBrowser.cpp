#include "ui/ImageBrowser.h"

#include <algorithm>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Palette.h"
#include "ui/PhotoName.h"
#include "ui/RemoteImageLoader.h"

namespace busdesk {

ImageBrowser::ImageBrowser(std::vector<ImageSource> imageDataSource, int startIndex)
    : sources_(std::move(imageDataSource)), start_(startIndex) {
    current_ = sources_.empty() ? 0 : std::clamp(startIndex, 0, static_cast<int>(sources_.size()) - 1);
}

void ImageBrowser::apply(ImageView& view, const ImageSource& source) {
    if (auto* image = std::get_if<std::shared_ptr<const Image>>(&source)) {
        view.setImage(*image);
    } else {
        setImageWithURL(view, std::get<std::string>(source), "placeholder");
    }
}

void ImageBrowser::viewDidLoad() {
    auto v = view();
    v->setBackgroundColor(Color::of(ColorRole::Backdrop));
    Rect b = v->bounds();
    const double strip = 70;
    page_ = std::make_shared<ImageView>(Rect{0, 0, b.width, std::max(0.0, b.height - strip - 30)});
    page_->setIdentifier("browserImage");
    page_->setContentMode(ContentMode::ScaleAspectFit);
    v->addSubview(page_);
    counter_ = std::make_shared<Label>(Rect{0, b.height - strip - 30, b.width, 30});
    counter_->setIdentifier("pageIndex");
    counter_->setTextAlignment(TextAlignment::Center);
    counter_->setTextColor(Color::of(ColorRole::OnBackdrop));
    v->addSubview(counter_);
    auto prev = std::make_shared<Button>(Rect{0, b.height / 2 - 22, 44, 44}, "<");
    prev->setIdentifier("showPrevious");
    prev->setAccessibilityLabel(tr("上一张"));
    prev->addAction(action(&ImageBrowser::showPrevious));
    v->addSubview(prev);
    auto next = std::make_shared<Button>(Rect{b.width - 44, b.height / 2 - 22, 44, 44}, ">");
    next->setIdentifier("showNext");
    next->setAccessibilityLabel(tr("下一张"));
    next->addAction(action(&ImageBrowser::showNext));
    v->addSubview(next);
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        auto thumb =
            std::make_shared<ImageView>(Rect{5 + 65 * static_cast<double>(i), b.height - strip + 5, 60, 60});
        thumb->setIdentifier("thumb");
        thumb->setAccessibilityLabel(screen::photoName(i));
        apply(*thumb, sources_[i]);
        int index = static_cast<int>(i);
        thumb->addTapHandler(
            whileAlive<ImageBrowser>([index](ImageBrowser& s, View&) { s.showIndex(index); }));
        v->addSubview(thumb);
        thumbs_.push_back(thumb);
    }
    showIndex(current_);
}

void ImageBrowser::showIndex(int index) {
    if (sources_.empty()) {
        if (counter_) counter_->setText("0/0");
        return;
    }
    current_ = std::clamp(index, 0, static_cast<int>(sources_.size()) - 1);
    if (!page_) return;
    apply(*page_, sources_[static_cast<std::size_t>(current_)]);
    counter_->setText(std::to_string(current_ + 1) + "/" + std::to_string(sources_.size()));
    for (std::size_t i = 0; i < thumbs_.size(); ++i)
        thumbs_[i]->setAlpha(static_cast<int>(i) == current_ ? 1 : 0.5);
}

}  // namespace busdesk
