#include "ui/ScrollingLabel.h"

#include <cmath>

#include "platform/RunLoop.h"

namespace busdesk {

ScrollingLabel::ScrollingLabel(Rect frame, double rate, double fadeLength)
    : Label(frame), rate_(rate > 0 ? rate : 30), fade_(fadeLength) {
    setNumberOfLines(1);
    restartLabel();
}

void ScrollingLabel::setRate(double r) {
    rate_ = r > 0 ? r : rate_;
    restartLabel();
}

void ScrollingLabel::setMarqueeType(MarqueeType t) {
    type_ = t;
    restartLabel();
}

void ScrollingLabel::restartLabel() {
    start_ = RunLoop::main().clock()->now();
    lastText_ = text();
    notifyChanged(ViewChange::Animation);
}

double ScrollingLabel::textContentWidth() const {
    return textWidth(text(), fontSize());
}

bool ScrollingLabel::needsScrolling() const {
    return textContentWidth() > frame().width;
}

double ScrollingLabel::scrollOffsetAt(Clock::TimePoint now) const {
    if (!needsScrolling() || now <= start_) return 0;
    double elapsed = std::chrono::duration<double>(now - start_).count();
    double distance = elapsed * rate_;
    double overflow = textContentWidth() - frame().width;
    switch (type_) {
        case MarqueeType::Continuous:
        case MarqueeType::ContinuousReverse: {
            double period = textContentWidth() + kContinuousGap;
            double off = std::fmod(distance, period);
            return type_ == MarqueeType::Continuous ? off : period - off;
        }
        case MarqueeType::LeftRight:
        case MarqueeType::RightLeft: {
            // Back and forth over the overflow.
            double phase = std::fmod(distance, 2 * overflow);
            double off = phase <= overflow ? phase : 2 * overflow - phase;
            return type_ == MarqueeType::LeftRight ? off : overflow - off;
        }
    }
    return 0;
}

double ScrollingLabel::scrollOffset() const {
    if (text() != lastText_) const_cast<ScrollingLabel*>(this)->restartLabel();
    return scrollOffsetAt(RunLoop::main().clock()->now());
}

std::optional<MarqueeFrame> ScrollingLabel::marqueeFrame() const {
    if (!needsScrolling()) return std::nullopt;
    MarqueeFrame m;
    m.offset = scrollOffset();
    m.textWidth = textContentWidth();
    if (type_ == MarqueeType::Continuous || type_ == MarqueeType::ContinuousReverse)
        m.repeatGap = kContinuousGap;
    return m;
}

void ScrollingLabel::setFrame(Rect frame) {
    Label::setFrame(frame);
    restartLabel();
}

}  // namespace busdesk
