#include "ui/PickerSheet.h"

#include <algorithm>

#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/TextSize.h"
#include "platform/views/WeakCallback.h"
#include "platform/views/Window.h"

namespace busdesk {

namespace {
std::vector<std::shared_ptr<PickerSheet>>& registry() {
    static std::vector<std::shared_ptr<PickerSheet>> list;
    return list;
}
constexpr double kToolbarHeight = 44;
constexpr double kPickerHeight = 216;
}  // namespace

PickerSheet::PickerSheet(std::string title, std::weak_ptr<View> origin)
    : title_(std::move(title)), origin_(std::move(origin)) {
    setBlocksTouchesBelow(true);
    setBackgroundColor(Color::of(ColorRole::Scrim, 0.3));
    setAccessibilityRole(AccessibilityRole::Dialog);
    // Escape is Cancel, where the sheet has one.
    setEscapeHandler([this] {
        if (!shown_ || hideCancel_) return false;
        userPressCancel();
        return true;
    });
}

PickerSheet::~PickerSheet() = default;

void PickerSheet::addCustomButtonWithTitle(const std::optional<std::string>& title, std::any value) {
    if (!value.has_value()) value = 0.0;
    customButtons_.push_back({title.value_or(std::string()), std::move(value)});
    if (shown_) build();
}

void PickerSheet::setHideCancel(bool hide) {
    hideCancel_ = hide;
    if (shown_) build();
}

void PickerSheet::build() {
    removeAllSubviews();
    toolbar_ = std::make_shared<View>();
    toolbar_->setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    addSubview(toolbar_);
    if (!hideCancel_) {
        auto cancel = std::make_shared<Button>(Rect{}, tr("取消"));
        cancel->setIdentifier("pickerCancel");
        cancel->setKeepsWordsWhole(true);
        cancel->addAction(whileAlive(this, [](PickerSheet& s, View&) { s.userPressCancel(); }));
        toolbar_->addSubview(cancel);
    }
    for (std::size_t i = 0; i < customButtons_.size(); ++i) {
        auto button = std::make_shared<Button>(Rect{}, customButtons_[i].title);
        button->setIdentifier("pickerCustom");
        button->setKeepsWordsWhole(true);
        button->setTag(static_cast<int>(i));
        button->addAction(whileAlive(this, [i](PickerSheet& s, View&) { s.userPressCustomButton(i); }));
        toolbar_->addSubview(button);
    }
    titleLabel_ = std::make_shared<Label>(Rect{}, title_);
    titleLabel_->setTextAlignment(TextAlignment::Center);
    toolbar_->addSubview(titleLabel_);
    auto done = std::make_shared<Button>(Rect{}, tr("完成"));
    done->setIdentifier("pickerDone");
    done->setKeepsWordsWhole(true);
    done->addAction(whileAlive(this, [](PickerSheet& s, View&) { s.userPressDone(); }));
    toolbar_->addSubview(done);
    if (auto picker = pickerView()) addSubview(picker);
    placeParts();
}

void PickerSheet::layoutSubviews() {
    View::layoutSubviews();
    if (toolbar_) placeParts();
}

// The toolbar and the wheel sit at the bottom of the window, whatever its height: a window too
// short for the whole wheel gets a shorter one, never one cut off at either edge.
void PickerSheet::placeParts() {
    Rect b = bounds();
    // Its rows grow with the text: so does the wheel, to show as many, up to half the window.
    const double wanted = std::max(kPickerHeight, std::min(kPickerHeight * TextSize::scale(), b.height / 2));
    double pickerHeight = std::clamp(b.height - kToolbarHeight, 0.0, wanted);
    double top = std::max(0.0, b.height - kToolbarHeight - pickerHeight);
    toolbar_->setFrame({0, top, b.width, kToolbarHeight});
    // A button is as wide as its title at the text size in force (at least 60, at most a quarter
    // of the width); its words are kept whole (set where it is made).
    auto widthOf = [&](View& v) {
        auto* button = dynamic_cast<Button*>(&v);
        if (!button) return 60.0;
        return std::clamp(textWidth(button->currentTitle(), button->fontSize()) + 16, 60.0,
                          std::max(60.0, b.width / 4));
    };
    double x = 8, right = b.width - 8;
    for (auto& button : toolbar_->subviews()) {
        const auto& id = button->identifier();
        if (id == "pickerCancel" || id == "pickerCustom") {
            double w = widthOf(*button);
            button->setFrame({x, 0, w, kToolbarHeight});
            x += w + 4;
        } else if (id == "pickerDone") {
            double w = widthOf(*button);
            right -= w;
            button->setFrame({right, 0, w, kToolbarHeight});
        }
    }
    titleLabel_->setFrame({x, 0, std::max(0.0, right - 4 - x), kToolbarHeight});
    if (auto picker = pickerView()) picker->setFrame({0, top + kToolbarHeight, b.width, pickerHeight});
    followRise();
}

// The toolbar and the picker are drawn below the fold at first and rise into place.
void PickerSheet::followRise() {
    Rect b = bounds();
    double top = b.height;
    for (auto& c : subviews()) top = std::min(top, c->frame().y);
    PresentationOffset rise{rise_, {0, b.height - top}, {0, 0}};
    for (auto& c : subviews()) c->setPresentationOffset(rise);
}

void PickerSheet::showActionSheetPicker() {
    if (shown_ || finished_) return;
    auto self = std::static_pointer_cast<PickerSheet>(shared_from_this());
    shown_ = true;
    registry().push_back(self);
    auto origin = origin_.lock();
    Window* w = origin ? origin->window() : nullptr;
    auto key = Window::keyWindow();
    if (!w) w = key.get();
    setFrame(w ? w->bounds() : Window::kDefaultFrame);
    build();
    if (w) {
        // Any open keyboard goes away under the sheet.
        w->setFirstResponder(nullptr);
        w->overlayLayer().addSubview(self);
    }
    rise_ = AnimatedValue::begin(0, 1, seconds(0.25));
    followRise();
    notifyChanged(ViewChange::Animation);
}

void PickerSheet::close() {
    if (!shown_) return;
    auto self = std::static_pointer_cast<PickerSheet>(shared_from_this());
    shown_ = false;
    finished_ = true;
    std::erase(registry(), self);
    removeFromSuperview();
}

void PickerSheet::userPressDone() {
    if (!shown_) return;
    auto self = std::static_pointer_cast<PickerSheet>(shared_from_this());
    close();
    notifyDone();
}

void PickerSheet::userPressCancel() {
    if (!shown_ || hideCancel_) return;
    auto self = std::static_pointer_cast<PickerSheet>(shared_from_this());
    close();
    notifyCancel();
}

void PickerSheet::userPressCustomButton(std::size_t index) {
    if (!shown_ || index >= customButtons_.size()) return;
    customButtonPressed(customButtons_[index]);
}

std::vector<std::shared_ptr<PickerSheet>> PickerSheet::visibleSheets() {
    return registry();
}

bool PickerSheet::dump(DumpWriter& out) const {
    std::string line = "picker: " + DumpWriter::quote(title_) + " " + describeValue();
    if (!hideCancel_) line += tr(" [取消]");
    for (auto& b : customButtons_) line += " [" + b.title + "]";
    line += tr(" [完成]");
    out.line(line);
    return false;
}

}  // namespace busdesk
