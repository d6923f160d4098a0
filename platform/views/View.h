#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/Animation.h"
#include "platform/views/Geometry.h"
#include "platform/views/KeyEvent.h"
#include "platform/views/Presentation.h"
#include "platform/views/ViewObserver.h"

namespace busdesk {

class Window;
class View;
class ViewController;
class DumpWriter;

// What a view is to a screen reader: the presentation maps each onto the platform's roles.
enum class AccessibilityRole {
    None,           // decoration or a container: not announced itself, its children are
    StaticText,     // a label
    Button,         // something that acts when pressed
    CheckBox,       // a button with an on/off state
    TextField,      // editable text
    List,           // a list of rows
    ListRow,        // one row of a list
    Tab,            // one page button of a tab strip
    Dialog,         // an alert, an action sheet, a picker sheet
    Menu,           // a side menu
    Picker,         // a wheel (dates, months, a list of values)
    Image,          // a picture that says something
    BusyIndicator,  // the busy overlay
    Alert,          // a message that comes and goes by itself (a toast)
    Document,       // a web page
};

// The root a view tree is shown in (the window), as the views and their controllers see it, so
// that neither needs the window's class. Window implements it.
class ViewHost {
  public:
    // A screen's frame before a window says otherwise (a phone's, in points).
    static constexpr Rect kDefaultFrame{0, 0, 390, 844};

    virtual ~ViewHost() = default;
    // The host made key last (Window::makeKeyAndVisible); null when none.
    static std::shared_ptr<ViewHost> keyHost();
    static void setKeyHost(std::weak_ptr<ViewHost> host);

    virtual Window* hostWindow() = 0;
    // The host as a view: its bounds are the screen's.
    virtual View& hostView() = 0;
    // Keyboard focus.
    virtual View* firstResponder() const = 0;
    virtual void setFirstResponder(View* v) = 0;
    // Shows a screen's view above the screens already shown, under the overlay layer.
    virtual void insertScreenView(std::shared_ptr<View> v) = 0;
};

// The controller a root view belongs to, as the view sees it. ViewController implements it.
class ViewOwner {
  public:
    virtual ~ViewOwner() = default;
    virtual ViewController& owningController() = 0;
    // The owned view's frame changed and its own layout ran.
    virtual void viewDidLayoutSubviews() = 0;
};

// The retained, observable view tree. Views are always owned through std::shared_ptr (create
// them with std::make_shared); a parent owns its children, a child knows its parent only by a
// plain pointer that the parent clears when it lets go.
//
// Entry points named user...() act as a finger would: they fire actions and delegate calls.
// Plain setters never do.
class View : public std::enable_shared_from_this<View> {
  public:
    using Action = std::function<void(View& sender)>;

    View();
    explicit View(Rect frame);
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // ---- geometry (frame in the parent's coordinates; bounds origin is the scroll offset)
    Rect frame() const { return frame_; }
    virtual void setFrame(Rect frame);
    virtual Rect bounds() const;
    Point center() const { return {frame_.midX(), frame_.midY()}; }
    void setCenter(Point c);
    // Frame converted into window coordinates (scroll offsets of ancestors applied).
    Rect frameInWindow() const;

    // ---- tree
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    View* superview() const { return superview_; }
    void addSubview(std::shared_ptr<View> child);
    void insertSubview(std::shared_ptr<View> child, std::size_t index);
    void removeFromSuperview();
    void bringSubviewToFront(View& child);
    void removeAllSubviews();
    bool isDescendantOf(const View& ancestor) const;
    // Depth-first search of this view and its descendants.
    View* viewWithTag(int tag);
    View* viewWithIdentifier(const std::string& identifier);
    // The window this view is in, if any.
    Window* window() const;
    // The same window as the views and controllers in it see it.
    ViewHost* host() const;

    // ---- properties
    bool hidden() const { return hidden_; }
    void setHidden(bool hidden);
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    // Sets the model alpha at once and records a fade for the presenter.
    void animateAlpha(double to, Clock::Duration duration);
    const AnimatedValue& alphaAnimation() const { return alphaAnimation_; }
    // What is on screen now (the fade's current value); equals alpha() when nothing is fading.
    double presentationAlpha() const;

    std::optional<Color> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> c);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double r);
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool c);

    // ---- presentation only (Presentation.h): what a presenter draws beyond frame and colours
    const std::optional<Shadow>& shadow() const { return shadow_; }
    void setShadow(std::optional<Shadow> shadow);
    const std::optional<Outline>& outline() const { return outline_; }
    void setOutline(std::optional<Outline> outline);
    const std::optional<PresentationOffset>& presentationOffset() const { return presentationOffset_; }
    void setPresentationOffset(std::optional<PresentationOffset> offset);
    // Drawn above the siblings of a lower zPosition (0 by default; equal ones keep subview order).
    double zPosition() const { return zPosition_; }
    void setZPosition(double z);
    // A busy spinner drawn in a dark box at the view's centre.
    bool showsActivityIndicator() const { return showsActivity_; }
    void setShowsActivityIndicator(bool shows);
    // A tick box drawn instead of plain content; none by default.
    virtual std::optional<CheckBoxLook> checkBoxLook() const { return std::nullopt; }

    // Names the view for scripts and tests ("#username"); screens use the documented names.
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string id);
    // ---- accessibility
    // A name set by the screen (an icon-only button says what it does: "返回"); it is also a text
    // scripts can select the view by.
    const std::string& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string text);
    // What a screen reader calls the view: the label set, else what the view shows (a label's
    // text, a button's title, a field's caption or placeholder, a row's texts).
    virtual std::string accessibleName() const { return accessibilityLabel_; }
    // Said after the name: what the view is for or how to use it.
    const std::string& accessibilityHint() const { return accessibilityHint_; }
    void setAccessibilityHint(std::string text);
    // The role set for this view, else the one of its kind.
    AccessibilityRole accessibilityRole() const { return role_ ? *role_ : defaultAccessibilityRole(); }
    void setAccessibilityRole(AccessibilityRole role);
    // Left out of the accessibility tree with everything inside (a caption its control already
    // says, the busy overlay's own label).
    bool accessibilityHidden() const { return accessibilityHidden_; }
    void setAccessibilityHidden(bool hidden);
    // ---- keyboard (KeyboardNavigation drives these)
    // Whether Tab stops here: something that acts when pressed (a view with tap handlers; controls,
    // fields, lists and wheels say so themselves). Reachability is the caller's to check.
    virtual bool acceptsKeyboardFocus() const;
    // A key while this view has the keyboard focus; false passes it on to the window. Default:
    // Enter and Space tap a view with tap handlers.
    virtual bool userKey(const KeyEvent& key);
    // Where the focus ring goes, in this view's own coordinates (a list marks its keyboard row).
    virtual Rect keyboardFocusRect() const { return bounds(); }
    // A key that taps this view wherever the focus is, while the view is reachable (the side
    // menus' buttons).
    const std::optional<KeyEvent>& keyboardShortcut() const { return shortcut_; }
    void setKeyboardShortcut(std::optional<KeyEvent> key) { shortcut_ = key; }
    // What Escape does while this is the topmost such view (an alert's or a sheet's cancel, the
    // side menu closing); the handler says whether it closed anything.
    void setEscapeHandler(std::function<bool()> handler) { escapeHandler_ = std::move(handler); }
    bool hasEscapeHandler() const { return static_cast<bool>(escapeHandler_); }
    bool userEscape();

    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool userInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool e);
    // A view that takes every touch meant for what lies under it in its parent (overlays, sheets).
    bool blocksTouchesBelow() const { return blocksTouchesBelow_; }
    void setBlocksTouchesBelow(bool b);

    // Visible in a window: attached, and neither it nor an ancestor is hidden, transparent or kept
    // out of sight by its parent (hidesSubview).
    bool isVisible() const;
    // True when this view keeps `child` out of sight whatever the child's own state: a window
    // under a cover (Window::setCoverViewController). Every walk of the visible tree (the dump,
    // the finder, the presenter) skips such a child.
    virtual bool hidesSubview(const View& child) const {
        (void)child;
        return false;
    }
    // Visible, interaction enabled along the chain, and not under a touch-blocking view.
    bool isReachable() const;

    // The controller whose root view this is (set by ViewController).
    ViewController* owningViewController() const { return owner_ ? &owner_->owningController() : nullptr; }

    // ---- user input
    // A tap anywhere on the view. Default: runs tap handlers (a tap gesture); subclasses act
    // (button press, row selection...). Returns false when nothing reacted.
    virtual bool userTap();
    void addTapHandler(Action handler);
    // Runs the tap handlers alone (what a subclass adds to its own reaction); false when none.
    bool runTapHandlers();
    bool hasTapHandlers() const { return !tapHandlers_.empty(); }
    // Resigns the first responder if it is this view or inside it.
    void endEditing();

    // ---- change tracking for presenters
    bool needsDisplay() const { return needsDisplay_; }
    void setNeedsDisplay() { notifyChanged(ViewChange::Appearance); }
    void clearNeedsDisplay() { needsDisplay_ = false; }
    std::uint64_t revision() const { return revision_; }

    // ---- text form for the headless dump. Return false to keep children out of the dump.
    virtual bool dump(DumpWriter& out) const;
    // Texts a script can select this view by (label text, button title, row text...).
    virtual std::vector<std::string> selectableTexts() const;

    // Called after setFrame; containers lay out their children here.
    virtual void layoutSubviews() {}

    // ---- the text fit (TextFit.h) grows and moves views after their screen laid them out
    // The frame the layout gave: the frame itself, unless the fit changed it since.
    Rect layoutFrame() const { return fitted_ && frame_ == fitted_->fitted ? fitted_->design : frame_; }
    // Puts the frame the fit computed in force, remembering the layout's. With `relayout` the view
    // lays its children out again (a list, a scrolling screen); otherwise only the frame changes.
    void setFittedFrame(Rect frame, bool relayout);
    // The height the view's own text needs at the text size in force, laid out at `frame`; none
    // for a view without text of its own. A label or title too wide for `frame` wraps from then on.
    virtual std::optional<double> fitTextHeight(Rect frame) {
        (void)frame;
        return std::nullopt;
    }

    // Marks the view changed and tells the observers; for subclasses and containers.
    void notifyChanged(ViewChange what);

  protected:
    // A view with tap handlers is a button; any other plain view a container.
    virtual AccessibilityRole defaultAccessibilityRole() const;
    virtual void didMoveToWindow() {}
    // After `child` was inserted into this view.
    virtual void didAddSubview(View& child) { (void)child; }

  private:
    friend class ViewController;
    void propagateWindowChange();

    struct Fitted {
        Rect design, fitted;
    };
    Rect frame_{};
    std::optional<Fitted> fitted_;
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    bool hidden_ = false;
    double alpha_ = 1;
    AnimatedValue alphaAnimation_ = AnimatedValue::fixed(1);
    std::optional<Color> backgroundColor_;
    double cornerRadius_ = 0;
    bool clipsToBounds_ = false;
    std::optional<Shadow> shadow_;
    std::optional<Outline> outline_;
    std::optional<PresentationOffset> presentationOffset_;
    double zPosition_ = 0;
    bool showsActivity_ = false;
    std::string identifier_;
    std::string accessibilityLabel_;
    std::string accessibilityHint_;
    std::optional<AccessibilityRole> role_;
    bool accessibilityHidden_ = false;
    std::optional<KeyEvent> shortcut_;
    std::function<bool()> escapeHandler_;
    int tag_ = 0;
    bool userInteractionEnabled_ = true;
    bool blocksTouchesBelow_ = false;
    ViewOwner* owner_ = nullptr;
    std::vector<Action> tapHandlers_;
    bool needsDisplay_ = true;
    std::uint64_t revision_ = 0;
};

// How texts are measured. Without fonts (headless) a deterministic metric: every character of the
// ASCII range is 0.55 em wide, every other code point (CJK, full-width punctuation) 1 em, lines are
// 1.2 em high, text wraps at character boundaries. A presentation with fonts installs its own
// (setTextMetrics), so that what is laid out is what it draws.
Size measureText(const std::string& utf8, double fontSize, Size constraint);
double textWidth(const std::string& utf8, double fontSize);

struct TextMetrics {
    // The widest line of the text, its lines broken only at newlines.
    std::function<double(const std::string& utf8, double fontSize)> width;
    // The number of lines the text takes wrapped at `wrapWidth`, and the height of one line.
    std::function<int(const std::string& utf8, double fontSize, double wrapWidth)> lines;
    std::function<double(double fontSize)> lineHeight;
};
// Installs the metrics of the fonts drawn with; an empty one returns to the deterministic metric.
void setTextMetrics(TextMetrics metrics);

}  // namespace busdesk
