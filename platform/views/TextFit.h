#pragma once

#include "platform/views/View.h"

namespace busdesk {

class TableViewCell;

// Makes room for text at the size in force, after the screens laid their views out with the frames
// they were designed with. One pass over a tree, run before the window is drawn or printed:
//
// - a label, a button's title or a field whose text needs more height than its frame grows: a
//   one-line label or title wider than its frame wraps (Label::wrapsToFit) and grows by its lines;
// - the views below a grown one in the same parent move down by as much (side by side, the taller
//   growth counts), and the parent grows with its content, up to the list row or screen around it;
// - a screen's own view (a ScrollView, ViewController::loadView) never grows: its content scrolls
//   once it reaches below the screen, and a list under a grown view keeps its bottom edge and
//   gets shorter while it stays usable;
// - a list's rows take the height of their laid-out content (TableView, fittedRowHeight).
//
// The pass remembers the frames the layout gave (View::layoutFrame), so running it again, or after
// a screen lays part of itself out anew, gives the same result and never moves a view twice.
namespace textfit {

// Fits every view under `root` (the window, or any view tree).
void fitTree(View& root);
// The height `v`, laid out at its frame, needs for its content at the size in force (its frame's
// height or more): what a list gives its header. The content is fitted in passing.
double fittedHeight(View& v);
// The height a list row laid out at `cell`'s frame needs for its content at the size in force (its
// frame's height or more). The cell's content is fitted in passing.
double fittedRowHeight(TableViewCell& cell);

}  // namespace textfit

}  // namespace busdesk
