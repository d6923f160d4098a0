#pragma once

#include <cstddef>

namespace busdesk {

class View;

// What changed on a view; a presenter redraws or re-reads only that aspect.
enum class ViewChange {
    Frame,  // frame or bounds
    Hidden,
    Alpha,        // model alpha, or a new alpha animation (View::alphaAnimation)
    Appearance,   // background colour, corner radius, shadow, clipping
    Text,         // label text, field text, button titles, placeholder, fonts
    Image,        // image or image name
    State,        // control state, selection, highlight, checked, first responder
    Content,      // list reloaded, picker rows, web content, calendar month, marks
    Scroll,       // content offset or content size
    Animation,    // some other animated value (side-menu fraction, picker sheet rise...)
    Interaction,  // user interaction enabled / touch blocking
};

// Sees every change of every view in the process: the Qt presenter mirrors the tree with it.
// Callbacks run on the main thread, synchronously, inside the mutating call; an observer must
// not mutate the tree from inside a callback (post to the run loop instead).
class ViewObserver {
  public:
    virtual ~ViewObserver() = default;
    // `child` was inserted into `parent` at `index` of parent.subviews().
    virtual void viewAdded(View& parent, View& child, std::size_t index) {
        (void)parent, (void)child, (void)index;
    }
    // `child` was taken out of `parent` (it may be added elsewhere or destroyed later).
    virtual void viewRemoved(View& parent, View& child) { (void)parent, (void)child; }
    virtual void viewChanged(View& view, ViewChange what) { (void)view, (void)what; }
    // Last call for this view; it is mid-destruction, only its address is still meaningful.
    virtual void viewDestroyed(View& view) { (void)view; }
};

// Observers are not owned; remove one before destroying it.
void addViewObserver(ViewObserver* observer);
void removeViewObserver(ViewObserver* observer);

}  // namespace busdesk
