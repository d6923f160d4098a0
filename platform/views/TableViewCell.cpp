#include "platform/views/TableViewCell.h"

#include <algorithm>
#include <atomic>

#include "platform/views/DumpWriter.h"
#include "platform/views/Palette.h"

namespace busdesk {

namespace {
std::atomic<std::size_t> liveCells{0};

void collectTexts(const View& v, std::vector<std::string>& out) {
    if (v.hidden() || v.alpha() <= 0) return;
    auto texts = v.selectableTexts();
    if (!texts.empty()) {
        out.push_back(texts.front());
        if (dynamic_cast<const Label*>(&v) == nullptr) return;  // a control's inside is its title
    }
    for (auto& c : v.subviews()) collectTexts(*c, out);
}
}  // namespace

TableViewCell::TableViewCell(CellStyle style, std::string reuseIdentifier)
    : style_(style), reuseIdentifier_(std::move(reuseIdentifier)) {
    ++liveCells;
    contentView_ = std::make_shared<View>();
    addSubview(contentView_);
}

TableViewCell::~TableViewCell() {
    --liveCells;
}

std::size_t TableViewCell::liveCount() {
    return liveCells.load();
}

Label& TableViewCell::textLabel() {
    if (!textLabel_) {
        textLabel_ = std::make_shared<Label>();
        // The title reads before the detail, in the dump and for selection by text, whichever
        // of the two a data source happened to touch first.
        const auto& subs = contentView_->subviews();
        auto detail = std::find(subs.begin(), subs.end(), detailTextLabel_);
        if (detailTextLabel_ && detail != subs.end())
            contentView_->insertSubview(textLabel_, static_cast<std::size_t>(detail - subs.begin()));
        else
            contentView_->addSubview(textLabel_);
        setFrame(frame());
        layoutSubviews();
    }
    return *textLabel_;
}

Label& TableViewCell::detailTextLabel() {
    if (!detailTextLabel_) {
        detailTextLabel_ = std::make_shared<Label>();
        detailTextLabel_->setTextColor(Color::of(ColorRole::SecondaryText));
        if (style_ == CellStyle::Value1) detailTextLabel_->setTextAlignment(TextAlignment::Right);
        contentView_->addSubview(detailTextLabel_);
        layoutSubviews();
    }
    return *detailTextLabel_;
}

ImageView& TableViewCell::imageView() {
    if (!imageView_) {
        imageView_ = std::make_shared<ImageView>();
        contentView_->insertSubview(imageView_, 0);
        layoutSubviews();
    }
    return *imageView_;
}

void TableViewCell::setAccessoryType(CellAccessory a) {
    if (a == accessory_) return;
    accessory_ = a;
    notifyChanged(ViewChange::Appearance);
}

void TableViewCell::setSelected(bool s, bool animated) {
    (void)animated;
    if (s == selected_) return;
    selected_ = s;
    notifyChanged(ViewChange::State);
}

void TableViewCell::setHighlighted(bool h, bool animated) {
    (void)animated;
    if (h == highlighted_) return;
    highlighted_ = h;
    notifyChanged(ViewChange::State);
}

std::vector<std::string> TableViewCell::rowTexts() const {
    std::vector<std::string> out;
    for (auto& c : subviews()) collectTexts(*c, out);
    return out;
}

void TableViewCell::setFrame(Rect frame) {
    View::setFrame(frame);
    layoutSubviews();
}

void TableViewCell::layoutSubviews() {
    Rect b = bounds();
    double accessoryWidth = accessory_ == CellAccessory::None ? 0 : 30;
    contentView_->setFrame({0, 0, b.width - accessoryWidth, b.height});
    double left = 15;
    if (imageView_) {
        imageView_->setFrame({15, (b.height - 30) / 2, 30, 30});
        left = 55;
    }
    double w = std::max(0.0, b.width - accessoryWidth - left - 15);
    switch (style_) {
        case CellStyle::Subtitle:
            if (textLabel_) textLabel_->setFrame({left, 0, w, b.height * 0.55});
            if (detailTextLabel_) detailTextLabel_->setFrame({left, b.height * 0.55, w, b.height * 0.45});
            break;
        case CellStyle::Value1:
        case CellStyle::Value2:
            if (textLabel_) textLabel_->setFrame({left, 0, w / 2, b.height});
            if (detailTextLabel_) detailTextLabel_->setFrame({left + w / 2, 0, w / 2, b.height});
            break;
        case CellStyle::Default:
            if (textLabel_) textLabel_->setFrame({left, 0, w, b.height});
            if (detailTextLabel_) detailTextLabel_->setFrame({left, 0, w, b.height});
            break;
    }
}

bool TableViewCell::userTap() {
    auto* table = dynamic_cast<CellHost*>(superview());
    if (!table) return View::userTap();
    return table->userTapCell(*this);
}

bool TableViewCell::dump(DumpWriter& out) const {
    // Rows are printed by their table.
    (void)out;
    return false;
}

std::vector<std::string> TableViewCell::selectableTexts() const {
    return rowTexts();
}

std::string TableViewCell::accessibleName() const {
    if (!accessibilityLabel().empty()) return accessibilityLabel();
    std::string out;
    for (const auto& text : rowTexts()) {
        if (text.empty()) continue;
        if (!out.empty()) out += ", ";
        out += text;
    }
    return out;
}

}  // namespace busdesk
