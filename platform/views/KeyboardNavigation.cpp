#include "platform/views/KeyboardNavigation.h"

#include <algorithm>

#include "platform/views/NavigationController.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TableViewCell.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "platform/views/ViewFinder.h"
#include "platform/views/Window.h"

namespace busdesk::keyboard {

namespace {

// A row of a list is reached through its list (Up / Down), never as a stop of its own.
bool insideRow(const View& v) {
    for (const View* up = &v; up; up = up->superview())
        if (dynamic_cast<const TableViewCell*>(up)) return true;
    return false;
}

bool isStop(const View& v) {
    return v.acceptsKeyboardFocus() && v.isReachable() && !insideRow(v);
}

// Typing goes to a field the focus comes to, and leaves the one it goes from.
void focus(Window& window, View* v) {
    View* editing = window.firstResponder();
    if (editing && editing != v) {
        if (auto* field = dynamic_cast<TextField*>(editing))
            field->resignFirstResponder();
        else if (auto* text = dynamic_cast<TextView*>(editing))
            text->resignFirstResponder();
        else
            window.setFirstResponder(nullptr);
    }
    window.setFocusedView(v);
    if (auto* field = dynamic_cast<TextField*>(v); field && !field->opensChooser())
        field->becomeFirstResponder();
    else if (auto* text = dynamic_cast<TextView*>(v))
        text->becomeFirstResponder();
}

// Scrolls every scrolling view around `v` so that `v` is in sight.
void bringIntoView(View& v) {
    for (View* up = v.superview(); up; up = up->superview()) {
        auto* scroller = dynamic_cast<ScrollView*>(up);
        if (!scroller) continue;
        Rect target = v.frameInWindow(), port = scroller->frameInWindow();
        Point offset = scroller->contentOffset();
        if (target.maxY() > port.maxY())
            scroller->setContentOffset(
                {offset.x, offset.y + std::min(target.maxY() - port.maxY(), target.y - port.y)});
        else if (target.y < port.y)
            scroller->setContentOffset({offset.x, offset.y - (port.y - target.y)});
    }
}

// The focused view, while keys can reach it.
View* focusedInReach(Window& window) {
    View* v = window.focusedView();
    if (!v || !v->isReachable()) return nullptr;
    return v->acceptsKeyboardFocus() || v == window.firstResponder() ? v : nullptr;
}

// Escape for the topmost reachable view with an escape handler: whether it closed something. A
// view that takes every touch below it and has none (an alert without a cancel button, the busy
// overlay) ends the search: nothing under it goes back.
std::optional<bool> escapeTopmost(Window& window) {
    auto views = ViewFinder::visibleViews(window);
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        View* v = *it;
        if (!v->isReachable()) continue;
        if (v->hasEscapeHandler()) return v->userEscape();
        if (v->blocksTouchesBelow()) return false;
    }
    return std::nullopt;
}

bool pressShortcut(Window& window, const KeyEvent& key) {
    View* target =
        ViewFinder::last(window, [&key](View& v) { return v.keyboardShortcut() == key && v.isReachable(); });
    if (!target) return false;
    auto keep = target->weak_from_this().lock();
    return target->userTap();
}

bool pressReturn(Window& window, View* focused) {
    if (View* action = mainAction(window)) {
        auto keep = action->weak_from_this().lock();
        return action->userTap();
    }
    // A form without a main action: the field's own return (its delegate moves on or resigns).
    if (auto* field = dynamic_cast<TextField*>(focused)) {
        field->userPressReturn();
        return true;
    }
    return false;
}

}  // namespace

std::vector<View*> focusOrder(Window& window) {
    std::vector<std::pair<Rect, View*>> stops;
    for (View* v : ViewFinder::visibleViews(window))
        if (isStop(*v)) stops.emplace_back(v->frameInWindow(), v);
    // Reading order: by the top edge; the stops whose middle lies above the bottom of a line's
    // first stop share its line and are read left to right.
    std::stable_sort(stops.begin(), stops.end(),
                     [](const auto& a, const auto& b) { return a.first.y < b.first.y; });
    std::vector<View*> order;
    for (std::size_t i = 0; i < stops.size();) {
        std::size_t end = i + 1;
        const Rect head = stops[i].first;
        while (end < stops.size() && stops[end].first.midY() < head.maxY()) ++end;
        std::stable_sort(stops.begin() + static_cast<std::ptrdiff_t>(i),
                         stops.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const auto& a, const auto& b) { return a.first.x < b.first.x; });
        for (std::size_t k = i; k < end; ++k) order.push_back(stops[k].second);
        i = end;
    }
    return order;
}

bool moveFocus(Window& window, bool backwards) {
    auto order = focusOrder(window);
    if (order.empty()) return false;
    auto it = std::find(order.begin(), order.end(), window.focusedView());
    View* next = nullptr;
    if (it == order.end())
        next = backwards ? order.back() : order.front();
    else if (backwards)
        next = it == order.begin() ? order.back() : *(it - 1);
    else
        next = it + 1 == order.end() ? order.front() : *(it + 1);
    auto keep = next->weak_from_this().lock();
    focus(window, next);
    bringIntoView(*next);
    return true;
}

View* mainAction(Window& window) {
    auto views = ViewFinder::visibleViews(window);
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        ViewController* screen = (*it)->owningViewController();
        if (!screen || !(*it)->isReachable()) continue;
        if (View* action = screen->mainAction())
            return action->isReachable() && action->acceptsKeyboardFocus() ? action : nullptr;
        // The topmost screen that holds no other screens has none: nothing under it is meant.
        if (screen->visibleChildViewControllers().empty()) return nullptr;
    }
    return nullptr;
}

bool goBack(Window& window, bool toRoot) {
    // The screen's own button first, so that its goBack / goIndex runs as a tap would run it.
    static const char* const kHome[] = {"goIndex", nullptr};
    static const char* const kBack[] = {"goBack", "navBack", nullptr};
    for (const char* const* id = toRoot ? kHome : kBack; *id; ++id) {
        auto hits = ViewFinder::withIdentifier(window, *id);
        for (auto it = hits.rbegin(); it != hits.rend(); ++it)
            if ((*it)->isReachable() && (*it)->userTap()) return true;
    }
    View* navView = ViewFinder::last(window, [](View& v) {
        return dynamic_cast<NavigationController*>(v.owningViewController()) != nullptr && v.isReachable();
    });
    if (navView) {
        auto nav = std::static_pointer_cast<NavigationController>(
            navView->owningViewController()->shared_from_this());
        if (nav->viewControllers().size() > 1) {
            if (toRoot)
                nav->popToRootViewController(true);
            else
                nav->popViewController(true);
            return true;
        }
    }
    auto top = window.topViewController();
    if (!toRoot && top && top != window.rootViewController()) {
        top->dismissViewController(true);
        return true;
    }
    return false;
}

bool handleKey(Window& window, const KeyEvent& key) {
    auto keepWindow = window.shared_from_this();
    window.setKeyboardInUse(true);
    if (key.key == Key::Tab) return moveFocus(window, key.shift);
    if (pressShortcut(window, key)) return true;
    if (key.key == Key::Escape) {
        if (auto closed = escapeTopmost(window)) return *closed;
        return goBack(window);
    }
    View* focused = focusedInReach(window);
    auto keep = focused ? focused->weak_from_this().lock() : nullptr;
    if (focused && focused->userKey(key)) return true;
    if (key.key == Key::Return && !key.shift) return pressReturn(window, focused);
    return false;
}

std::optional<Rect> focusRing(Window& window) {
    if (!window.keyboardInUse()) return std::nullopt;
    View* v = focusedInReach(window);
    if (!v) return std::nullopt;
    Rect frame = v->frameInWindow(), own = v->keyboardFocusRect(), bounds = v->bounds();
    Rect ring{frame.x + own.x - bounds.x, frame.y + own.y - bounds.y, own.width, own.height};
    // Within the view: a list's row scrolled half out of sight is ringed where it shows.
    double left = std::max(ring.x, frame.x), top = std::max(ring.y, frame.y);
    double right = std::min(ring.maxX(), frame.maxX()), bottom = std::min(ring.maxY(), frame.maxY());
    if (right <= left || bottom <= top) return std::nullopt;
    return Rect{left, top, right - left, bottom - top};
}

}  // namespace busdesk::keyboard
