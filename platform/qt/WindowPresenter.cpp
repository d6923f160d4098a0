#include "platform/qt/WindowPresenter.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/LocalDate.h"
#include "platform/qt/Accessibility.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/WebPageBrowser.h"
#include "platform/views/Control.h"
#include "platform/views/DatePicker.h"
#include "platform/views/KeyboardNavigation.h"
#include "platform/views/Label.h"
#include "platform/views/Palette.h"
#include "platform/views/PickerView.h"

namespace busdesk::qt {

namespace {
constexpr double kDragSlop = 6;

int rounded(double v) {
    return static_cast<int>(std::lround(v));
}

QRect pixelRect(double x, double y, double w, double h) {
    int left = rounded(x), top = rounded(y);
    return QRect(left, top, std::max(0, rounded(x + w) - left), std::max(0, rounded(y + h) - top));
}
}  // namespace

// ---- surface

SurfaceWidget::SurfaceWidget(WindowPresenter& presenter) : presenter_(presenter) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
}

void SurfaceWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) presenter_.press(e->position());
    e->accept();
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) presenter_.move(e->position());
    e->accept();
}

void SurfaceWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) presenter_.release(e->position());
    e->accept();
}

void SurfaceWidget::wheelEvent(QWheelEvent* e) {
    double dy = e->pixelDelta().isNull() ? e->angleDelta().y() / 120.0 * 48 : e->pixelDelta().y();
    presenter_.wheel(e->position(), dy);
    e->accept();
}

void SurfaceWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    presenter_.surfaceResized(size());
}

// ---- presenter

WindowPresenter::WindowPresenter(std::shared_ptr<Window> window)
    : window_(std::move(window)),
      surface_(new SurfaceWidget(*this)),
      focusRing_(new FocusRing(surface_)),
      keyboard_(std::make_unique<KeyboardInput>(*window_, *surface_)) {
    installAccessibility();
    surface_->setWindowTitle("BusDesk");
    Rect f = window_->frame();
    surface_->resize(std::max(1, rounded(f.width)), std::max(1, rounded(f.height)));
    frameTimer_.setInterval(16);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frameTimer_, &QTimer::timeout, surface_, [this] { sync(); });
    addViewObserver(this);
    sync();
}

WindowPresenter::~WindowPresenter() {
    keyboard_.reset();
    removeViewObserver(this);
    frameTimer_.stop();
    delete surface_;  // deletes every ViewWidget; their destructors forget themselves
    widgets_.clear();
}

ViewWidget* WindowPresenter::widgetFor(const View& view) const {
    auto it = widgets_.find(&view);
    return it == widgets_.end() ? nullptr : it->second;
}

std::size_t WindowPresenter::shownWidgetCount() const {
    std::size_t n = 0;
    for (auto& [v, w] : widgets_)
        if (w->view() && !w->isHidden() && w->seenGeneration == generation_) ++n;
    return n;
}

std::size_t WindowPresenter::shownWidgetCount(ViewWidget::Kind kind) const {
    std::size_t n = 0;
    for (auto& [v, w] : widgets_)
        if (w->view() && w->kind() == kind && !w->isHidden() && w->seenGeneration == generation_) ++n;
    return n;
}

void WindowPresenter::forgetWidget(View* view, ViewWidget* widget) {
    auto it = widgets_.find(view);
    if (it != widgets_.end() && it->second == widget) widgets_.erase(it);
}

void WindowPresenter::scheduleSync() {
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, surface_, [this] {
        if (scheduled_) sync();
    });
}

void WindowPresenter::viewAdded(View&, View&, std::size_t) {
    scheduleSync();
}
void WindowPresenter::viewRemoved(View&, View&) {
    scheduleSync();
}
void WindowPresenter::viewChanged(View&, ViewChange) {
    scheduleSync();
}

void WindowPresenter::viewDestroyed(View& view) {
    auto it = widgets_.find(&view);
    if (it == widgets_.end()) return;
    ViewWidget* w = it->second;
    widgets_.erase(it);
    w->detach();
    scheduleSync();
}

void WindowPresenter::surfaceResized(QSize size) {
    Rect f = window_->frame();
    if (rounded(f.width) == size.width() && rounded(f.height) == size.height()) return;
    window_->setFrame({0, 0, static_cast<double>(size.width()), static_cast<double>(size.height())});
    sync();
}

ViewWidget* WindowPresenter::ensureWidget(View& view, QWidget* parentWidget) {
    auto it = widgets_.find(&view);
    ViewWidget* w = it == widgets_.end() ? nullptr : it->second;
    if (!w) {
        w = new ViewWidget(*this, view, parentWidget);
        widgets_[&view] = w;
    } else if (w->parentWidget() != parentWidget) {
        w->setParent(parentWidget);  // the view moved to another parent
        w->seenRevision = ~std::uint64_t{0};
    }
    return w;
}

void WindowPresenter::sync() {
    if (syncing_) return;
    syncing_ = true;
    scheduled_ = false;
    ++generation_;
    finiteAnimating_ = false;
    perpetualAnimating_ = false;
    window_->fitTexts();
    if (paletteRevision_ != Palette::revision()) {
        // Another palette: every widget is drawn again, text editors take its colours.
        paletteRevision_ = Palette::revision();
        for (auto& [view, widget] : widgets_) widget->seenRevision = ~std::uint64_t{0};
    }
    syncView(*window_, surface_, nullptr);
    for (auto& [view, widget] : widgets_)
        if (widget->seenGeneration != generation_ && !widget->isHidden()) widget->hide();
    focusRing_->follow(keyboard::focusRing(*window_));
    if (finiteAnimating_ || perpetualAnimating_) {
        if (!frameTimer_.isActive()) frameTimer_.start();
    } else {
        frameTimer_.stop();
    }
    syncing_ = false;
}

void WindowPresenter::syncView(View& view, QWidget* parentWidget, const View* parent) {
    if (view.hidden()) return;
    if (!view.alphaAnimation().finished()) finiteAnimating_ = true;
    double alpha = view.presentationAlpha();
    if (alpha <= 0.001) return;
    QPointF shift(0, 0);
    if (const auto& offset = view.presentationOffset()) {
        if (!offset->progress.finished()) finiteAnimating_ = true;
        Point now = offset->current();
        shift = QPointF(now.x, now.y);
    }

    ViewWidget* w = ensureWidget(view, parentWidget);
    w->seenGeneration = generation_;
    Rect f = view.frame();
    Rect pb = parent ? parent->bounds() : Rect{};
    QRect g = parent ? pixelRect(f.x - pb.x + shift.x(), f.y - pb.y + shift.y(), f.width, f.height)
                     : pixelRect(0, 0, f.width, f.height);
    if (w->geometry() != g) w->setGeometry(g);
    w->setOpacity(alpha);
    if (view.revision() != w->seenRevision) {
        w->seenRevision = view.revision();
        w->refresh();
        announceChanges(*w);
    }
    if (w->kind() == ViewWidget::Kind::Busy) {
        perpetualAnimating_ = true;
        using namespace std::chrono;
        auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        int phase = static_cast<int>((ms / 80) % 12);
        if (phase != w->spinnerPhase) {
            w->spinnerPhase = phase;
            w->update();
        }
    } else if (w->kind() == ViewWidget::Kind::Label) {
        if (static_cast<Label&>(view).marqueeFrame()) {
            perpetualAnimating_ = true;
            w->update();
        }
    }
    if (w->isHidden()) w->show();

    const auto& children = view.subviews();
    if (!children.empty()) {
        std::vector<QWidget*> order;
        order.reserve(children.size());
        bool layered = false;
        for (auto& child : children) {
            if (view.hidesSubview(*child)) continue;
            syncView(*child, w, &view);
            layered = layered || child->zPosition() != 0;
            auto it = widgets_.find(child.get());
            if (it != widgets_.end() && it->second->seenGeneration == generation_)
                order.push_back(it->second);
        }
        if (layered) {
            std::stable_sort(order.begin(), order.end(), [](QWidget* a, QWidget* b) {
                return static_cast<ViewWidget*>(a)->view()->zPosition() <
                       static_cast<ViewWidget*>(b)->view()->zPosition();
            });
        }
        if (order != w->stackOrder) {
            for (QWidget* c : order) c->raise();
            w->stackOrder = order;
        }
        castShadows(order);
    }
}

// A view's shadow falls on the sibling drawn right under it; every other sibling carries none.
void WindowPresenter::castShadows(const std::vector<QWidget*>& order) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        auto* below = static_cast<ViewWidget*>(order[i]);
        auto* above = i + 1 < order.size() ? static_cast<ViewWidget*>(order[i + 1]) : nullptr;
        const std::optional<Shadow>* shadow = above ? &above->view()->shadow() : nullptr;
        std::optional<QRectF> rect;
        if (shadow && *shadow) rect = QRectF(above->geometry());
        if (rect == below->shadowRect) continue;
        below->shadowRect = rect;
        if (rect) {
            const Shadow& s = **shadow;
            below->shadowColor = toQColor(s.color);
            below->shadowOpacity = s.opacity;
            below->shadowRadius = s.radius;
            below->shadowOffset = QPointF(s.offset.x, s.offset.y);
        }
        below->update();
    }
}

// ---- touches

std::vector<std::weak_ptr<View>> WindowPresenter::viewsAt(QPointF point) const {
    std::vector<std::weak_ptr<View>> out;
    std::function<void(QWidget*, QPointF)> visit = [&](QWidget* w, QPointF local) {
        const auto& kids = w->children();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
            auto* child = dynamic_cast<ViewWidget*>(*it);
            if (!child || !child->view() || child->isHidden()) continue;
            QPointF inChild = local - QPointF(child->pos());
            if (QRectF(QPointF(0, 0), QSizeF(child->size())).contains(inChild)) visit(child, inChild);
        }
        if (auto* vw = dynamic_cast<ViewWidget*>(w); vw && vw->view())
            out.push_back(vw->view()->weak_from_this());
    };
    visit(surface_, point);
    return out;
}

bool WindowPresenter::tapAt(QPointF point) {
    sync();
    bool handled = false;
    for (auto& weak : viewsAt(point)) {
        auto v = weak.lock();
        if (!v) continue;
        if (v->isReachable()) {
            if (v->userTap()) {
                handled = true;
                break;
            }
        }
        if (v->blocksTouchesBelow()) break;
    }
    scheduleSync();
    return handled;
}

ScrollView* WindowPresenter::scrollTargetAt(QPointF point) const {
    for (auto& weak : viewsAt(point)) {
        auto v = weak.lock();
        if (!v) continue;
        if (auto* s = dynamic_cast<ScrollView*>(v.get()); s && s->isReachable() && s->scrollEnabled())
            return s;
        if (v->blocksTouchesBelow()) break;
    }
    return nullptr;
}

void WindowPresenter::press(QPointF point) {
    window_->setKeyboardInUse(false);
    sync();
    pressed_ = true;
    dragging_ = false;
    pressPoint_ = point;
    dragTarget_.reset();
    highlighted_.reset();
    if (auto* s = scrollTargetAt(point)) dragTarget_ = s->weak_from_this();
    for (auto& weak : viewsAt(point)) {
        auto v = weak.lock();
        if (!v) continue;
        if (auto* c = dynamic_cast<Control*>(v.get()); c && c->isReachable() && c->enabled()) {
            c->setHighlighted(true);
            highlighted_ = v;
            break;
        }
        if (v->blocksTouchesBelow()) break;
    }
}

void WindowPresenter::move(QPointF point) {
    if (!pressed_) return;
    auto target = dragTarget_.lock();
    auto* scroll = dynamic_cast<ScrollView*>(target.get());
    if (!scroll) return;
    QPointF delta = point - pressPoint_;
    if (!dragging_) {
        if (std::hypot(delta.x(), delta.y()) < kDragSlop) return;
        dragging_ = true;
        if (auto h = highlighted_.lock())
            if (auto* c = dynamic_cast<Control*>(h.get())) c->setHighlighted(false);
        highlighted_.reset();
        dragStartOffset_ = scroll->contentOffset();
        scroll->userBeginDragging();
    }
    bool horizontal = scroll->contentSize().width > scroll->frame().width + 0.5;
    Point to{horizontal ? dragStartOffset_.x - delta.x() : dragStartOffset_.x,
             dragStartOffset_.y - delta.y()};
    scroll->userDragTo(to);
    sync();
}

void WindowPresenter::release(QPointF point) {
    if (!pressed_) return;
    pressed_ = false;
    if (auto h = highlighted_.lock())
        if (auto* c = dynamic_cast<Control*>(h.get())) c->setHighlighted(false);
    highlighted_.reset();
    if (dragging_) {
        dragging_ = false;
        if (auto target = dragTarget_.lock())
            if (auto* scroll = dynamic_cast<ScrollView*>(target.get())) scroll->userEndDragging();
        scheduleSync();
        return;
    }
    // A tap on a wheel turns it by the rows between the finger and the selection band.
    if (turnWheelAt(point)) {
        scheduleSync();
        return;
    }
    tapAt(point);
}

bool WindowPresenter::turnWheelAt(QPointF point) {
    // The first wheel under the finger (the wheel itself or a decoration inside it, such as the
    // selection band); plain views above it, like the empty overlay layer, let the touch through,
    // anything that reacts to taps keeps it.
    View* wheelView = nullptr;
    for (auto& weak : viewsAt(point)) {
        auto v = weak.lock();
        if (!v) continue;
        if (v->isReachable()) {
            for (View* up = v.get(); up && !wheelView; up = up->superview())
                if (dynamic_cast<PickerView*>(up) || dynamic_cast<DatePicker*>(up)) wheelView = up;
            if (wheelView || dynamic_cast<Control*>(v.get()) || v->hasTapHandlers()) break;
        }
        if (v->blocksTouchesBelow()) break;
    }
    ViewWidget* w = wheelView ? widgetFor(*wheelView) : nullptr;
    if (!w) return false;
    QPointF local = w->mapFrom(surface_, point);
    int steps = static_cast<int>(std::lround((local.y() - w->height() / 2.0) / pickerRowHeight()));
    if (auto* picker = dynamic_cast<PickerView*>(wheelView)) {
        int columns = picker->numberOfComponents();
        if (columns <= 0 || steps == 0) return true;
        int column = std::clamp(static_cast<int>(local.x() / (w->width() / double(columns))), 0, columns - 1);
        int rows = picker->numberOfRows(column);
        if (rows <= 0) return true;
        picker->userSelectRow(std::clamp(picker->selectedRow(column) + steps, 0, rows - 1), column);
        return true;
    }
    auto* dp = static_cast<DatePicker*>(wheelView);
    if (steps == 0) return true;
    Date d = dp->date();
    if (dp->mode() != DatePickerMode::Date) {
        double step = dp->mode() == DatePickerMode::Time ? 60 : 86400;
        dp->userSetDate(Date{d.secondsSince1970 + steps * step});
        return true;
    }
    LocalDate day = LocalDate::of(d);
    double timeOfDay = d.secondsSince1970 - day.toDate().secondsSince1970;
    int column = std::clamp(static_cast<int>(local.x() / (w->width() / 3.0)), 0, 2);
    if (column == 2) {
        day.day = std::clamp(day.day + steps, 1, daysInMonth(day.year, day.month));
    } else {
        // Year or month moves; the day is kept where the new month has it (31 March → 30 April).
        LocalDate first = column == 0 ? LocalDate{day.year + steps, day.month, 1}
                                      : LocalDate{day.year, day.month, 1}.addingMonths(steps);
        first.day = std::min(day.day, daysInMonth(first.year, first.month));
        day = first;
    }
    Date next = day.toDate();
    next.secondsSince1970 += timeOfDay;
    dp->userSetDate(next);
    return true;
}

void WindowPresenter::wheel(QPointF point, double deltaY) {
    sync();
    for (auto& weak : viewsAt(point)) {
        auto v = weak.lock();
        if (!v) continue;
        if (auto* w = widgetFor(*v); w && w->browser()) {
            auto* bar = w->browser()->verticalScrollBar();
            bar->setValue(bar->value() - static_cast<int>(deltaY));
            return;
        }
        if (v->blocksTouchesBelow()) break;
    }
    auto* scroll = scrollTargetAt(point);
    if (!scroll) return;
    Point from = scroll->contentOffset();
    double y = std::clamp(from.y - deltaY, -scroll->contentInset().top, std::max(0.0, scroll->maxOffsetY()));
    scroll->userBeginDragging();
    scroll->userDragTo({from.x, y});
    scroll->userEndDragging();
    sync();
}

}  // namespace busdesk::qt
