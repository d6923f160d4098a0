#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/Image.h"
#include "platform/views/Control.h"
#include "platform/views/TextSize.h"

namespace busdesk {

// A push button with a title, an image name and a background image per state. A state
// without a value of its own falls back to Normal.
class Button : public Control {
  public:
    Button() = default;
    explicit Button(Rect frame, std::string title = {});

    void setTitle(std::string title, ControlState state = ControlState::Normal);
    std::string titleForState(ControlState state) const;
    // The title shown now (for the current state).
    std::string currentTitle() const { return titleForState(state()); }
    void setTitleColor(Color c, ControlState state = ControlState::Normal);
    std::optional<Color> titleColorForState(ControlState state) const;
    // Whether a title colour was set for exactly this state (not taken over from Normal).
    bool hasOwnTitleColor(ControlState state) const { return titleColors_.count(state) > 0; }
    // The size drawn and measured (the design size at the text size in force), and the design size.
    double fontSize() const { return TextSize::scaled(fontSize_); }
    double designFontSize() const { return fontSize_; }
    // Set by the text fit (TextFit.h): a title wider than the button is drawn wrapped over the
    // lines its grown frame holds instead of cut.
    bool titleWrapsToFit() const { return titleWraps_; }
    void setTitleWrapsToFit(bool wraps);
    void setFontSize(double s);

    // Named picture from the application's resources ("menu", "back", "home"...).
    void setImageName(std::string name, ControlState state = ControlState::Normal);
    std::string imageNameForState(ControlState state) const;
    void setBackgroundImage(std::shared_ptr<const Image> image, ControlState state = ControlState::Normal);
    std::shared_ptr<const Image> backgroundImageForState(ControlState state) const;
    void setBackgroundImageName(std::string name, ControlState state = ControlState::Normal);
    std::string backgroundImageNameForState(ControlState state) const;

    // A button at least this tall with both an icon and a title (a bar of shortcuts) draws the icon
    // over the title, like a tab; the title's lines start this far below its top edge.
    static constexpr double kIconOverTitleHeight = 50;
    static constexpr double kIconOverTitleTop = 34;
    static constexpr double kIconOverTitleInset = 1;  // at either side of such a title
    bool drawsIconOverTitle(Rect frame) const;
    // The size a title is drawn and measured at in `frame`: the font size, except that under an
    // icon, or where words are kept whole, a larger text size is given up as far as the title's
    // longest word needs to fit the button's width (never below the design size), so that the
    // titles of a narrow bar break between words rather than inside them.
    double titleFontSize(Rect frame) const;
    // The room kept clear at either side of a wrapped title.
    double titleInset(Rect frame) const { return drawsIconOverTitle(frame) ? kIconOverTitleInset : 4; }
    // For the buttons of a bar with little room (a sheet's toolbar).
    void setKeepsWordsWhole(bool keep);

    std::optional<double> fitTextHeight(Rect frame) override;
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override;
    // The label set (an icon-only button must have one), else the title shown.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Button; }

  private:
    std::map<ControlState, std::string> titles_;
    std::map<ControlState, Color> titleColors_;
    std::map<ControlState, std::string> imageNames_;
    std::map<ControlState, std::shared_ptr<const Image>> backgroundImages_;
    std::map<ControlState, std::string> backgroundImageNames_;
    double fontSize_ = 17;
    bool titleWraps_ = false;
    bool keepsWordsWhole_ = false;
};

}  // namespace busdesk
