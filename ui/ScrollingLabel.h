#pragma once

#include "platform/Clock.h"
#include "platform/views/Label.h"

namespace busdesk {

enum class MarqueeType { LeftRight = 0, RightLeft = 1, Continuous = 2, ContinuousReverse = 3 };

// A one-line label whose text, when wider than the label, moves at `rate` points per second.
// The offset is a function of the main run loop's clock, so no timer runs; a presenter reads
// marqueeFrame() on each frame.
class ScrollingLabel : public Label {
  public:
    static constexpr double kContinuousGap = 40;

    ScrollingLabel(Rect frame, double rate, double fadeLength);

    double rate() const { return rate_; }
    void setRate(double r);
    double fadeLength() const { return fade_; }
    MarqueeType marqueeType() const { return type_; }
    void setMarqueeType(MarqueeType t);
    // Restarts the motion from the beginning (also done when the text changes).
    void restartLabel();

    bool needsScrolling() const;
    double textContentWidth() const;
    // How far (in points) the text is moved to the left at `now`; 0 when it fits.
    double scrollOffsetAt(Clock::TimePoint now) const;
    double scrollOffset() const;

    std::optional<MarqueeFrame> marqueeFrame() const override;
    void setFrame(Rect frame) override;

  private:
    double rate_;
    double fade_;
    MarqueeType type_ = MarqueeType::Continuous;
    Clock::TimePoint start_{};
    std::string lastText_;
};

}  // namespace busdesk
