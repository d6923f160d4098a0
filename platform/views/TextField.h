#pragma once

#include <memory>
#include <string>

#include "platform/views/Control.h"
#include "platform/views/Label.h"
#include "platform/views/TextSize.h"

namespace busdesk {

class TextField;

enum class ReturnKeyType { Default, Go, Next, Done, Search, Send };
enum class KeyboardType { Default, NumberPad, DecimalPad, ASCIICapable, Phone };

// Every method has a default, so a screen overrides only what it needs.
class TextFieldDelegate {
  public:
    virtual ~TextFieldDelegate() = default;
    // Asked when the user taps into the field; false keeps the keyboard closed (date fields
    // open a picker sheet instead).
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual void textFieldDidEndEditing(TextField&) {}
    // The return key; the return value is ignored beyond being the delegate's answer.
    virtual bool textFieldShouldReturn(TextField&) { return true; }
    virtual void textFieldDidChange(TextField&) {}
};

class TextField : public Control {
  public:
    TextField() = default;
    explicit TextField(Rect frame);

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string p);
    bool secureTextEntry() const { return secure_; }
    void setSecureTextEntry(bool s);
    ReturnKeyType returnKeyType() const { return returnKey_; }
    void setReturnKeyType(ReturnKeyType t) { returnKey_ = t; }
    KeyboardType keyboardType() const { return keyboard_; }
    void setKeyboardType(KeyboardType k) { keyboard_ = k; }
    // The size drawn and measured (the design size at the text size in force), and the design size.
    double fontSize() const { return TextSize::scaled(fontSize_); }
    double designFontSize() const { return fontSize_; }
    void setFontSize(double s);
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment a);
    bool enabledForEditing() const { return enabled(); }

    // The delegate is held weakly: a screen that is gone no longer answers.
    void setDelegate(std::weak_ptr<TextFieldDelegate> d) { delegate_ = std::move(d); }
    std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }

    // Keyboard focus lives in the window; without a window the request is refused.
    bool becomeFirstResponder();
    bool resignFirstResponder();
    bool isFirstResponder() const;

    // User input: a tap asks the delegate, then takes focus. Typing replaces the whole text (as
    // a script's `type` does), focusing first; returns false when the field refused focus.
    bool userTap() override;
    bool userType(const std::string& text);
    // The return key: asks the delegate (which typically resigns focus).
    void userPressReturn();

    // A field whose value is chosen, not typed (a tap opens a date sheet): the keyboard focus
    // rests on it without editing, and Enter or Space taps it.
    bool opensChooser() const { return opensChooser_; }
    void setOpensChooser(bool opens) { opensChooser_ = opens; }
    bool acceptsKeyboardFocus() const override;
    bool userKey(const KeyEvent& key) override;

    // One line of text and a little room around it.
    std::optional<double> fitTextHeight(Rect frame) override;
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override;
    // The label set, else the caption beside the field, else the placeholder.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::TextField; }

  private:
    std::string text_;
    std::string placeholder_;
    bool secure_ = false;
    ReturnKeyType returnKey_ = ReturnKeyType::Default;
    KeyboardType keyboard_ = KeyboardType::Default;
    double fontSize_ = 17;
    TextAlignment alignment_ = TextAlignment::Left;
    std::weak_ptr<TextFieldDelegate> delegate_;
    bool opensChooser_ = false;
};

class TextView;

class TextViewDelegate {
  public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidChange(TextView&) {}
    virtual void textViewDidEndEditing(TextView&) {}
};

// Multi-line editable text.
class TextView : public View {
  public:
    TextView() = default;
    explicit TextView(Rect frame);

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // The size drawn and measured (the design size at the text size in force), and the design size.
    double fontSize() const { return TextSize::scaled(fontSize_); }
    double designFontSize() const { return fontSize_; }
    void setFontSize(double s);
    bool editable() const { return editable_; }
    void setEditable(bool e) { editable_ = e; }
    void setDelegate(std::weak_ptr<TextViewDelegate> d) { delegate_ = std::move(d); }

    bool becomeFirstResponder();
    bool resignFirstResponder();
    bool isFirstResponder() const;

    bool userTap() override;
    // An editable text takes the focus (and starts editing); Enter is a new line, its editor's.
    bool acceptsKeyboardFocus() const override { return editable_ && !accessibilityHidden(); }
    bool userKey(const KeyEvent&) override { return false; }
    // Replaces the text as typed and tells the delegate (textViewDidChange).
    bool userType(const std::string& text);

    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override;
    // The label set, else the caption beside it, else the hint a form draws inside it.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::TextField; }

  private:
    std::string text_;
    double fontSize_ = 17;
    bool editable_ = true;
    std::weak_ptr<TextViewDelegate> delegate_;
};

}  // namespace busdesk
