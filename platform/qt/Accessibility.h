#pragma once

#include <QAccessible>
#include <functional>

#include "platform/views/View.h"

namespace busdesk::qt {

class ViewWidget;

// Exposes every shown view through Qt's accessibility interfaces (At-SPI on the desktop): the
// view's role mapped onto Qt's, its accessible name and description, its state (checked, selected
// tab or row, busy, disabled), and "press" for what can be pressed. Views left out of the tree
// (View::accessibilityHidden) and hidden widgets are not listed as children. Installing again
// replaces the earlier installation.
void installAccessibility();

QAccessible::Role qtRole(AccessibilityRole role);
// What the accessibility tree reports for `widget` now.
QAccessible::State accessibleState(const ViewWidget& widget);
// Whether a person can act on the view: press it, type in it, pick from it.
bool actsOnPress(const View& view);

// Tells assistive technology what changed on the widget since it was last told (its name, its
// state); a toast is announced as an alert when it first shows.
void announceChanges(ViewWidget& widget);
// Where announcements go: Qt's accessibility (to At-SPI) while assistive technology listens, by
// default; a test's recorder while one is set (empty: back to Qt).
using Announcer = std::function<void(QAccessibleEvent& event)>;
void setAnnouncer(Announcer announcer);

}  // namespace busdesk::qt
