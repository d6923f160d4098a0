#pragma once

#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <map>
#include <memory>
#include <vector>

#include "platform/qt/KeyboardInput.h"
#include "platform/qt/ViewWidget.h"
#include "platform/views/ScrollView.h"
#include "platform/views/ViewObserver.h"
#include "platform/views/Window.h"

namespace busdesk::qt {

class WindowPresenter;

// The top-level Qt widget of one window. It takes every mouse and wheel event and hands it to
// the presenter, which decides through the view tree who gets the touch.
class SurfaceWidget : public QWidget {
  public:
    explicit SurfaceWidget(WindowPresenter& presenter);

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    WindowPresenter& presenter_;
};

// Mirrors a Window's view tree into widgets: one ViewWidget per visible view, parented like the
// views, stacked in subview order, positioned by frame and the parent's scroll offset. Views that
// are hidden or transparent get no widget work at all, and a table only ever has cells for its
// visible rows, so the widget count follows what is on screen, not the length of a list.
//
// The model changes at once and records animations as values over time (fades, presentation
// offsets such as a slide or a sheet rising); the presenter draws those values frame by frame while
// any is running. Siblings stack by zPosition, then subview order; a view's shadow falls on the
// sibling drawn right under it.
class WindowPresenter : public ViewObserver, public WidgetRegistry {
  public:
    explicit WindowPresenter(std::shared_ptr<Window> window);
    ~WindowPresenter() override;
    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;

    QWidget* surface() const { return surface_; }
    const std::shared_ptr<Window>& window() const { return window_; }

    // Brings the widgets in line with the tree now (also done on its own after every change).
    void sync();
    void scheduleSync();
    // Something with an end is moving (fade, slide, rise); perpetual motion (the busy spinner, a
    // scrolling label) does not count.
    bool isAnimating() const { return finiteAnimating_; }

    ViewWidget* widgetFor(const View& view) const;
    // Widgets showing a view right now, in all and of one kind.
    std::size_t shownWidgetCount() const;
    std::size_t shownWidgetCount(ViewWidget::Kind kind) const;

    // Views whose shown widget lies under `point` (surface coordinates), topmost and deepest first.
    std::vector<std::weak_ptr<View>> viewsAt(QPointF point) const;
    // A finger lifted at `point` without moving: the first reachable view that reacts takes it; a
    // touch-blocking view ends the search. Returns true when something reacted.
    bool tapAt(QPointF point);

    // A touch as the surface sees it: press, moves (past a few points it becomes a drag of the
    // list under the finger) and release (a tap when it never moved).
    void press(QPointF point);
    void move(QPointF point);
    void release(QPointF point);
    // A mouse wheel over a list scrolls it within its range, as a short drag would.
    void wheel(QPointF point, double deltaY);

    void surfaceResized(QSize size);
    void forgetWidget(View* view, ViewWidget* widget) override;

    // ViewObserver
    void viewAdded(View& parent, View& child, std::size_t index) override;
    void viewRemoved(View& parent, View& child) override;
    void viewChanged(View& view, ViewChange what) override;
    void viewDestroyed(View& view) override;

  private:
    void syncView(View& view, QWidget* parentWidget, const View* parent);
    ViewWidget* ensureWidget(View& view, QWidget* parentWidget);
    static void castShadows(const std::vector<QWidget*>& order);
    ScrollView* scrollTargetAt(QPointF point) const;
    bool turnWheelAt(QPointF point);

    std::shared_ptr<Window> window_;
    SurfaceWidget* surface_;
    FocusRing* focusRing_;
    std::unique_ptr<KeyboardInput> keyboard_;
    std::map<const View*, ViewWidget*> widgets_;
    QTimer frameTimer_;
    bool scheduled_ = false;
    bool syncing_ = false;
    bool finiteAnimating_ = false;
    bool perpetualAnimating_ = false;
    std::uint64_t generation_ = 0;
    std::uint64_t paletteRevision_ = 0;  // the palette the widgets were last drawn in

    // The touch in progress.
    QPointF pressPoint_;
    bool pressed_ = false;
    bool dragging_ = false;
    std::weak_ptr<View> dragTarget_;
    std::weak_ptr<View> highlighted_;
    Point dragStartOffset_;
};

}  // namespace busdesk::qt
