#include "screens/self_service/ShowBigViewController.h"

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

ShowBigViewController::ShowBigViewController(std::vector<PhotoItem> photos) : arrayOK(std::move(photos)) {}

ShowBigViewController::~ShowBigViewController() {
    if (scrollView) scrollView->removeListener(this);
}

void ShowBigViewController::viewDidLoad() {
    screen::setNavTitleBarWithLeftBTAndTitle(*this, "");
    auto confirmItem = std::make_shared<BarButtonItem>();
    confirmItem->title = tr("确定");
    confirmItem->identifier = "confirm";
    confirmItem->size = {50, 30};
    confirmItem->action = action(&ShowBigViewController::confirm);
    navigationItem().setRightBarButtonItem(confirmItem);

    auto v = view();
    v->setBackgroundColor(Color::of(ColorRole::Backdrop));
    Rect b = v->bounds();
    const double footer = 60;
    Log::line("self.arrayOK.count is " + std::to_string(arrayOK.size()));
    scrollView = std::make_shared<ScrollView>(Rect{0, 0, b.width, std::max(0.0, b.height - footer)});
    scrollView->setIdentifier("bigPhotos");
    scrollView->setPagingEnabled(true);
    scrollView->setContentSize({b.width * static_cast<double>(arrayOK.size()), b.height - footer});
    for (std::size_t i = 0; i < arrayOK.size(); ++i) {
        auto page = std::make_shared<ImageView>(
            Rect{b.width * static_cast<double>(i), 0, b.width, std::max(0.0, b.height - footer)});
        page->setIdentifier("bigPhoto");
        page->setContentMode(ContentMode::ScaleAspectFit);
        scrollView->addSubview(page);
        pages.push_back(page);
    }
    scrollView->addListener(this);
    v->addSubview(scrollView);
    btnFinish = std::make_shared<Button>(Rect{b.width - 130, b.height - footer + 10, 110, 40},
                                         trFormat("完成(%1)", {std::to_string(arrayOK.size())}));
    btnFinish->setIdentifier("finish");
    btnFinish->setTitleColor(Color::of(ColorRole::OnAccent));
    btnFinish->setBackgroundColor(Color::of(ColorRole::Confirm));
    btnFinish->addAction(action(&ShowBigViewController::finish));
    v->addSubview(btnFinish);
    layout();
    showPage(0);
}

void ShowBigViewController::viewDidLayoutSubviews() {
    layout();
}

void ShowBigViewController::layout() {
    if (!btnFinish) return;
    Rect b = view()->bounds();
    const double footer = 60;
    double h = std::max(0.0, b.height - footer);
    scrollView->setFrame({0, 0, b.width, h});
    scrollView->setContentSize({b.width * static_cast<double>(pages.size()), h});
    for (std::size_t i = 0; i < pages.size(); ++i)
        pages[i]->setFrame({b.width * static_cast<double>(i), 0, b.width, h});
    btnFinish->setFrame({b.width - 130, b.height - footer + 10, 110, 40});
}

void ShowBigViewController::showPage(int index) {
    if (arrayOK.empty()) return;
    index = std::clamp(index, 0, static_cast<int>(arrayOK.size()) - 1);
    if (index == current_) return;
    current_ = index;
    Rect b = scrollView ? scrollView->bounds() : Rect{0, 0, 390, 784};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        int distance = std::abs(static_cast<int>(i) - index);
        if (distance > 1) {
            pages[i]->setImage(nullptr);
        } else if (!pages[i]->image()) {
            // One full picture at a time: decoded, scaled to the screen, let go.
            if (auto full = arrayOK[i].fullImage())
                pages[i]->setImage(std::make_shared<const Image>(
                    full->scaledToFit(static_cast<int>(b.width * 2), static_cast<int>(b.height * 2))));
        }
    }
}

void ShowBigViewController::scrollViewDidScroll(ScrollView& sv) {
    double w = sv.frame().width;
    if (w <= 0) return;
    showPage(static_cast<int>(std::lround(sv.contentOffset().x / w)));
}

void ShowBigViewController::finish() {
    Log::line("完成了,跳到主发布页面");
    if (auto nav = navigationController()) nav->popViewController(true);
}

void ShowBigViewController::confirm() {
    Log::line("点击了按钮，就取消选中这个图片");
}

}  // namespace busdesk
