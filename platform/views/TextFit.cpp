#include "platform/views/TextFit.h"

#include <algorithm>
#include <cmath>

#include "platform/views/ScrollView.h"
#include "platform/views/TableViewCell.h"

namespace busdesk::textfit {

namespace {

constexpr double kMostBottomPad = 12;  // the most room a grown container keeps under its content
constexpr double kShortestList = 120;  // a list pushed down shrinks no shorter than this
constexpr double kSlack = 0.5;         // rounding: frames are in points, texts measured in fractions
constexpr double kTextSlack = 1;       // a text this much taller than its frame still reads whole

// What a text view needing `need` points of height takes: its frame unless the text needs more.
double grownTo(double need, Rect design) {
    return need > design.height + kTextSlack ? need : design.height;
}

double fitView(View& v, Rect design);

// The bottom of what a container holds, in its own coordinates.
double contentBottom(const std::vector<std::pair<View*, Rect>>& kids) {
    double bottom = 0;
    for (const auto& [v, r] : kids) bottom = std::max(bottom, r.maxY());
    return bottom;
}

bool besideEachOther(Rect a, Rect b) {
    return a.x < b.maxX() - kSlack && b.x < a.maxX() - kSlack;
}

// Fits the children of `parent`, moving each below a grown one down, and returns how far the
// lowest content moved.
double flowChildren(View& parent) {
    struct Kid {
        View* view;
        Rect design;
        double height;  // what it needs
        double shift = 0;
        bool scrolls = false;
        bool pinned = false;  // to the bottom of its screen: grows upward
        double bottom = 0;    // where it ends once placed
    };
    std::vector<Kid> kids;
    for (const auto& c : parent.subviews()) {
        if (c->hidden() || parent.hidesSubview(*c)) continue;
        kids.push_back({c.get(), c->layoutFrame(), 0});
    }
    if (kids.empty()) return 0;
    // A screen's own view never grows: what it holds against its bottom edge (a bar of shortcuts)
    // stays there and grows upward, taking the room from the list above it.
    const bool screenRoot = dynamic_cast<ScrollView*>(&parent) && parent.owningViewController();
    const double screenHeight = parent.layoutFrame().height;
    // Lists and scrolling views never grow (their content scrolls); other views fit inside first.
    for (auto& k : kids) {
        k.scrolls = dynamic_cast<ScrollView*>(k.view) != nullptr;
        k.height = k.scrolls ? k.design.height : fitView(*k.view, k.design);
        k.pinned =
            screenRoot && !k.scrolls && k.design.y > kSlack && k.design.maxY() >= screenHeight - kSlack;
    }
    // The buttons of one bar stay as tall as each other.
    for (auto& k : kids)
        for (const auto& other : kids)
            if (k.pinned && other.pinned && other.design.y == k.design.y &&
                other.design.height == k.design.height)
                k.height = std::max(k.height, other.height);
    std::stable_sort(kids.begin(), kids.end(),
                     [](const Kid& a, const Kid& b) { return a.design.y < b.design.y; });
    // Whether `above` ended where `below` starts, or within its last quarter (at most 4 points:
    // lines laid out a little over each other, which the grown text now fills: they part).
    auto endsAtOrAbove = [](const Kid& above, const Kid& below) {
        return above.design.maxY() - below.design.y <= std::min(4.0, above.design.height / 4) + kSlack;
    };
    double designBottom = 0, bottom = 0;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        auto& k = kids[i];
        Rect frame{k.design.x, k.design.y, k.design.width, k.height};
        if (k.pinned) {
            // Upward from its bottom edge, and down only as far as something above now reaches.
            frame.y = k.design.maxY() - k.height;
            double reach = frame.y;
            for (std::size_t j = 0; j < i; ++j)
                if (!kids[j].pinned && endsAtOrAbove(kids[j], k)) reach = std::max(reach, kids[j].bottom);
            frame.y = reach;
        } else {
            for (std::size_t j = 0; j < i; ++j) {
                const auto& above = kids[j];
                double grown = above.bottom - above.design.maxY();
                if (grown > 0 && endsAtOrAbove(above, k))
                    k.shift = std::max(k.shift, grown + std::max(0.0, above.design.maxY() - k.design.y));
            }
            frame.y += k.shift;
        }
        if (k.scrolls) {
            // A list keeps its bottom edge while it stays tall enough to use, or gives it up to a
            // view pinned under it that grew upward.
            double rise = 0;
            for (const auto& p : kids)
                if (p.pinned && besideEachOther(p.design, k.design) &&
                    std::abs(p.design.y - k.design.maxY()) <= 4 + kSlack)
                    rise = std::max(rise, p.height - p.design.height);
            if ((k.shift > 0 || rise > 0) && k.design.height - k.shift - rise >= kShortestList)
                frame.height = k.design.height - k.shift - rise;
        }
        k.view->setFittedFrame(frame, k.scrolls);
        k.bottom = frame.maxY();
        designBottom = std::max(designBottom, k.design.maxY());
        bottom = std::max(bottom, frame.maxY());
    }
    // Inside the lists and scrolling views, once their own layout ran at their new frames.
    for (auto& k : kids)
        if (k.scrolls) fitView(*k.view, k.view->frame());
    return std::max(0.0, bottom - designBottom);
}

// A plain scrolling view's content reaches as far down as its subviews now do; a screen's own view
// scrolls only when its content no longer fits.
void fitScrollContent(ScrollView& s, double grown) {
    std::vector<std::pair<View*, Rect>> kids;
    for (const auto& c : s.subviews())
        if (!c->hidden()) kids.emplace_back(c.get(), c->frame());
    double needed = contentBottom(kids);
    if (s.owningViewController()) {
        // A screen's own view: nothing to scroll until the content is taller than the screen.
        bool over = needed > s.frame().height + kSlack;
        s.setContentSize({0, over ? needed : 0});
        s.setScrollEnabled(over);
        if (!over && s.contentOffset().y != 0) s.setContentOffset({0, 0});
    } else if (grown > 0 && needed > s.contentSize().height) {
        s.setContentSize({s.contentSize().width, needed});
    }
}

// Fits `v`'s subtree and returns the height `v` needs (its layout's height or more).
double fitView(View& v, Rect design) {
    if (auto need = v.fitTextHeight(design)) return grownTo(*need, design);
    if (auto* s = dynamic_cast<ScrollView*>(&v); s && s->placesOwnContent()) {
        // A list: its rows are its own to size (fittedRowHeight); their content is fitted to them,
        // and headers and footers stay where the list put them.
        for (const auto& c : v.subviews()) {
            if (c->hidden()) continue;
            if (auto* cell = dynamic_cast<TableViewCell*>(c.get()))
                flowChildren(cell->contentView());
            else
                fitView(*c, c->frame());
        }
        return design.height;
    }
    if (auto* s = dynamic_cast<ScrollView*>(&v)) {
        fitScrollContent(*s, flowChildren(v));
        return design.height;
    }
    double grown = flowChildren(v);
    if (grown <= 0) return design.height;
    std::vector<std::pair<View*, Rect>> kids;
    for (const auto& c : v.subviews())
        if (!c->hidden()) kids.emplace_back(c.get(), c->frame());
    double bottom = contentBottom(kids);
    double pad = std::clamp(design.height - (bottom - grown), 0.0, kMostBottomPad);
    return std::max(design.height, bottom + pad);
}

}  // namespace

void fitTree(View& root) {
    fitView(root, root.frame());
}

double fittedHeight(View& v) {
    return fitView(v, v.layoutFrame());
}

double fittedRowHeight(TableViewCell& cell) {
    View& content = cell.contentView();
    Rect design = content.layoutFrame();
    double needed = fitView(content, design);
    return cell.frame().height + std::max(0.0, needed - design.height);
}

}  // namespace busdesk::textfit
