#pragma once

#include <optional>
#include <vector>

#include "platform/views/Geometry.h"
#include "platform/views/KeyEvent.h"

namespace busdesk {

class View;
class Window;

// The window's keyboard, the same in the window and headless:
//   Tab / Shift+Tab   the next / previous stop in reading order (top to bottom, a line left to
//                     right) among the views a finger could reach now, so an open alert, sheet or
//                     side menu keeps the focus inside; a field takes the typing when focused
//   Enter             the focused view (a button, a list's row, a chooser field), else the top
//                     screen's main action (ViewController::mainAction)
//   Space             the focused view (a check box toggles, a button is pressed)
//   Up / Down         the focused list's row or wheel; Left / Right choose among wheels
//   Esc               the topmost escape handler (an alert's or sheet's cancel, the side menu),
//                     else one screen back
//   shortcuts         a reachable view's keyboardShortcut taps it (F2 / F3: the side menus)
namespace keyboard {

// True when something reacted.
bool handleKey(Window& window, const KeyEvent& key);
// Where Tab stops now, in order.
std::vector<View*> focusOrder(Window& window);
// Moves the focus to the next (previous) stop, wrapping around; false when there is none.
bool moveFocus(Window& window, bool backwards);
// The main action of the screen on top, when it can be pressed now; null otherwise.
View* mainAction(Window& window);
// One screen back, as its back button would go (the home button with `toRoot`): the screen's own
// button ("goBack", "navBack" / "goIndex"), else a pop of its stack, else (not toRoot) the
// dismissal of a presented screen. False when there is nothing to go back to.
bool goBack(Window& window, bool toRoot = false);
// The focus ring in window coordinates, while the keyboard is in use and its view is in reach.
std::optional<Rect> focusRing(Window& window);

}  // namespace keyboard

}  // namespace busdesk
