#include "platform/views/NavigationItem.h"

namespace busdesk {

void NavigationItem::setTitle(std::string t) {
    title_ = std::move(t);
    changed();
}

void NavigationItem::setTitleView(std::shared_ptr<View> v) {
    titleView_ = std::move(v);
    changed();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    left_ = std::move(item);
    changed();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    right_ = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool h) {
    hidesBack_ = h;
    changed();
}

}  // namespace busdesk
