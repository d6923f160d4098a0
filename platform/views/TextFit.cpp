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

// Fits the children of `parent`, moving each below a grown one down, and returns how far the
// lowest content moved.
double flowChildren(View& parent) {
    struct Kid {
        View* view;
        Rect design;
        double height;  // what it needs
        double shift = 0;
    };
    std::vector<Kid> kids;
    for (const auto& c : parent.subviews()) {
        if (c->hidden() || parent.hidesSubview(*c)) continue;
        kids.push_back({c.get(), c->layoutFrame(), 0});
    }
    if (kids.empty()) return 0;
    // Lists and scrolling views never grow (their content scrolls); other views fit inside first.
    for (auto& k : kids)
        k.height = dynamic_cast<ScrollView*>(k.view) ? k.design.height : fitView(*k.view, k.design);
    std::stable_sort(kids.begin(), kids.end(),
                     [](const Kid& a, const Kid& b) { return a.design.y < b.design.y; });
    double designBottom = 0, bottom = 0;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        auto& k = kids[i];
        for (std::size_t j = 0; j < i; ++j) {
            const auto& above = kids[j];
            double grown = above.shift + above.height - above.design.height;
            // Below: starting where `above` ends, or within its last quarter (at most 4 points:
            // lines laid out a little over each other, which the grown text now fills: they part).
            double overlap = above.design.maxY() - k.design.y;
            if (grown > 0 && overlap <= std::min(4.0, above.design.height / 4) + kSlack)
                k.shift = std::max(k.shift, grown + std::max(0.0, overlap));
        }
        Rect frame{k.design.x, k.design.y + k.shift, k.design.width, k.height};
        bool scrolls = dynamic_cast<ScrollView*>(k.view) != nullptr;
        // A list pushed down keeps its bottom edge while it stays tall enough to use.
        if (scrolls && k.shift > 0 && k.design.height - k.shift >= kShortestList) {
            frame.height = k.design.height - k.shift;
            k.height = frame.height;
            k.shift = 0;  // what is below it stays where it was
        }
        k.view->setFittedFrame(frame, scrolls);
        designBottom = std::max(designBottom, k.design.maxY());
        bottom = std::max(bottom, frame.maxY());
    }
    // Inside the lists and scrolling views, once their own layout ran at their new frames.
    for (auto& k : kids)
        if (dynamic_cast<ScrollView*>(k.view)) fitView(*k.view, k.view->frame());
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
