#pragma once

#include "platform/views/Palette.h"
#include "platform/views/TextSize.h"
#include "platform/views/View.h"

namespace busdesk {

enum class TextAlignment { Left, Center, Right };

class Label : public View {
  public:
    // How much wider than its frame a text may measure and still be drawn whole (rounding).
    static constexpr double kWidthSlack = 0.5;

    Label() = default;
    explicit Label(Rect frame, std::string text = {});

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // The size drawn and measured (the design size at the text size in force, less what keeping
    // words whole gives up), and the design size.
    double fontSize() const { return fontSizeFor(frame().width); }
    double designFontSize() const { return fontSize_; }
    void setFontSize(double size);
    // Family name only a presenter interprets ("HelveticaNeue"); empty is the system font.
    const std::string& fontName() const { return fontName_; }
    void setFontName(std::string name);
    bool boldFont() const { return bold_; }
    void setBoldFont(bool bold);
    Color textColor() const { return textColor_; }
    void setTextColor(Color c);
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment a);
    // 0 = as many as needed.
    int numberOfLines() const { return lines_; }
    void setNumberOfLines(int n);
    bool adjustsFontSizeToFitWidth() const { return adjustsFont_; }
    void setAdjustsFontSizeToFitWidth(bool a);
    // Set by the text fit (TextFit.h): a one-line label whose text is wider than the label is drawn
    // wrapped over the lines its grown frame holds instead of cut.
    bool wrapsToFit() const { return wrapsToFit_; }
    void setWrapsToFit(bool wraps);
    // Whether the text is drawn over several lines.
    bool wraps() const { return lines_ != 1 || wrapsToFit_; }
    // For a narrow column (a menu's titles): a larger text size is given up as far as the text's
    // longest word needs to fit the label's width, never below the design size, so that the text
    // breaks between words rather than inside them.
    void setKeepsWordsWhole(bool keep);

    // `size`, or less so that the longest word of Latin letters in `text` fits `room` (in whole
    // points, never below `floor`); text in Chinese breaks between any two characters anyway.
    static double wholeWordsSize(const std::string& text, double size, double floor, double room);

    // Size of the text with this label's font within `constraint`.
    Size sizeThatFits(Size constraint) const;
    // Where a text moving sideways is drawn now; none while the text stands still (the default).
    virtual std::optional<MarqueeFrame> marqueeFrame() const { return std::nullopt; }

    std::optional<double> fitTextHeight(Rect frame) override;
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override;
    std::string accessibleName() const override;

  protected:
    // Static text, or a button when tapping it acts.
    AccessibilityRole defaultAccessibilityRole() const override;

  private:
    double fontSizeFor(double width) const;
    std::string text_;
    double fontSize_ = 17;
    std::string fontName_;
    bool bold_ = false;
    Color textColor_ = Color::of(ColorRole::Text);
    TextAlignment alignment_ = TextAlignment::Left;
    int lines_ = 1;
    bool adjustsFont_ = false;
    bool wrapsToFit_ = false;
    bool keepsWordsWhole_ = false;
};

}  // namespace busdesk
