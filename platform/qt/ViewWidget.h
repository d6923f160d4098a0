#pragma once

#include <QAccessible>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/View.h"

class QLineEdit;
class QPlainTextEdit;
class QGraphicsOpacityEffect;

namespace busdesk::qt {

class ViewWidget;
class WebPageBrowser;

// Keeps the map from views to their widgets; a widget leaves it when destroyed. WindowPresenter
// implements it.
class WidgetRegistry {
  public:
    virtual ~WidgetRegistry() = default;
    virtual void forgetWidget(View* view, ViewWidget* widget) = 0;
};

// The widget that stands for one view of the tree. It paints its view by kind and holds the real
// Qt editors where typing needs one (fields, text views) and the page browser for web views.
// Mouse input never lands here: the presenter's surface takes every touch and hit-tests the tree,
// so the toolkit's own rules (touch-blocking overlays, disabled controls) decide who reacts.
class ViewWidget : public QWidget {
  public:
    enum class Kind {
        Plain,
        Window,
        Label,
        Button,
        CheckBox,
        TextField,
        TextView,
        Image,
        Web,
        Cell,
        Scroll,
        Picker,
        DatePicker,
        Busy,
    };

    ViewWidget(WidgetRegistry& registry, View& view, QWidget* parent);
    ~ViewWidget() override;

    View* view() const { return view_; }
    Kind kind() const { return kind_; }
    // The view is being destroyed: forget it and go away at the next turn of the event loop.
    void detach();
    // The view's model changed: re-read it into the editors and repaint.
    void refresh();
    void setOpacity(double opacity);

    QLineEdit* lineEdit() const { return line_; }
    QPlainTextEdit* plainTextEdit() const { return text_; }
    WebPageBrowser* browser() const { return web_; }

    // Presenter bookkeeping.
    std::uint64_t seenRevision = ~std::uint64_t{0};
    std::uint64_t seenGeneration = 0;
    std::vector<QWidget*> stackOrder;
    // The shadow of the sibling drawn right above this widget, painted over this widget's content.
    std::optional<QRectF> shadowRect;
    QColor shadowColor;
    double shadowRadius = 0;
    double shadowOpacity = 0;
    QPointF shadowOffset;
    // Frames the busy spinner has turned (advanced by the presenter while animating).
    int spinnerPhase = 0;
    // What assistive technology was last told about this widget (announceChanges).
    struct Announced {
        std::string name;
        QAccessible::State state;
        bool valid = false;
    } announced;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintBackground(QPainter& p);
    void paintLabel(QPainter& p);
    void paintButton(QPainter& p);
    void paintCheckBox(QPainter& p);
    void paintTextFieldFrame(QPainter& p);
    void paintImage(QPainter& p);
    void paintCell(QPainter& p);
    void paintPicker(QPainter& p);
    void paintDatePicker(QPainter& p);
    void paintBusy(QPainter& p);
    void paintShadow(QPainter& p);
    void paintOutline(QPainter& p);
    void refreshLineEdit();
    void refreshTextEdit();
    void refreshBrowser();

    WidgetRegistry& registry_;
    View* view_;
    Kind kind_;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    WebPageBrowser* web_ = nullptr;
    QGraphicsOpacityEffect* opacity_ = nullptr;
    std::string shownHTML_;
    std::string shownBase_;
    std::uint64_t shownTextSize_ = 0;  // TextSize::revision() of the page shown
};

// Classifies a view for painting (most derived kind first).
ViewWidget::Kind kindOf(View& view);

}  // namespace busdesk::qt
