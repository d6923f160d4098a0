#include "platform/views/TableView.h"

#include <algorithm>

#include "platform/views/ScreenDump.h"
#include "platform/views/TextFit.h"
#include "platform/views/TextSize.h"

namespace busdesk {

namespace {
constexpr std::size_t kPoolLimitPerIdentifier = 32;
constexpr int kMeasuredRows = 1000;
}  // namespace

TableView::TableView(Rect frame, TableViewStyle style) : ScrollView(frame), style_(style) {}

TableView::~TableView() {
    for (auto& [ip, cell] : visible_) cell->ownerTable_ = nullptr;
}

void TableView::setDataSource(std::weak_ptr<TableViewDataSource> ds) {
    dataSource_ = std::move(ds);
    loaded_ = false;
    if (window()) reloadData();
}

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> d) {
    delegate_ = std::move(d);
    if (loaded_) reloadData();
}

void TableView::setRowHeight(double h) {
    rowHeight_ = h;
    if (loaded_) reloadData();
}

void TableView::setSectionHeaderHeight(double h) {
    headerHeight_ = h;
    if (loaded_) reloadData();
}

void TableView::setSectionFooterHeight(double h) {
    footerHeight_ = h;
    if (loaded_) reloadData();
}

void TableView::setSeparatorStyle(SeparatorStyle s) {
    separatorStyle_ = s;
    notifyChanged(ViewChange::Appearance);
}

void TableView::setSeparatorColor(Color c) {
    separatorColor_ = c;
    notifyChanged(ViewChange::Appearance);
}

void TableView::setTableHeaderView(std::shared_ptr<View> v) {
    if (tableHeader_) tableHeader_->removeFromSuperview();
    tableHeader_ = std::move(v);
    if (tableHeader_) addSubview(tableHeader_);
    if (loaded_) reloadData();
}

void TableView::setTableFooterView(std::shared_ptr<View> v) {
    if (tableFooter_) tableFooter_->removeFromSuperview();
    tableFooter_ = std::move(v);
    if (tableFooter_) addSubview(tableFooter_);
    if (loaded_) reloadData();
}

void TableView::setBackgroundView(std::shared_ptr<View> v) {
    if (backgroundView_) backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(v);
    if (backgroundView_) {
        backgroundView_->setFrame(bounds());
        insertSubview(backgroundView_, 0);
    }
}

void TableView::reloadData() {
    if (laying_) return;  // a data source reloading from inside cellForRow would recurse
    for (auto it = visible_.begin(); it != visible_.end();) {
        auto ip = it->first;
        ++it;
        recycle(ip);
    }
    selected_.reset();
    rebuildGeometry();
    // New rows: the keyboard's row stays where it was while there is such a row.
    if (keyboardRow_ && (keyboardRow_->row >= numberOfRows(keyboardRow_->section))) keyboardRow_.reset();
    loaded_ = true;
    notifyChanged(ViewChange::Content);
    layoutVisibleRows();
}

void TableView::beginUpdates() {
    ++updateDepth_;
}

void TableView::endUpdates() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0) reloadData();
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& identifier) {
    auto it = pool_.find(identifier);
    if (it == pool_.end() || it->second.empty()) return nullptr;
    auto cell = std::move(it->second.back());
    it->second.pop_back();
    cell->setSelected(false);
    cell->setHighlighted(false);
    cell->prepareForReuse();
    return cell;
}

int TableView::numberOfRows(int section) const {
    if (section < 0 || section >= numberOfSections()) return 0;
    return static_cast<int>(sections_[static_cast<std::size_t>(section)].rowTops.size());
}

int TableView::totalRows() const {
    int n = 0;
    for (auto& s : sections_) n += static_cast<int>(s.rowTops.size());
    return n;
}

std::shared_ptr<TableViewCell> TableView::cellForRow(IndexPath ip) const {
    auto it = visible_.find(ip);
    return it == visible_.end() ? nullptr : it->second;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
    std::vector<IndexPath> out;
    for (auto& [ip, c] : visible_) out.push_back(ip);
    return out;
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const {
    std::vector<std::shared_ptr<TableViewCell>> out;
    for (auto& [ip, c] : visible_) out.push_back(c);
    return out;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
    for (auto& [ip, c] : visible_)
        if (c.get() == &cell) return ip;
    return std::nullopt;
}

Rect TableView::rectForRow(IndexPath ip) const {
    if (ip.row < 0 || ip.row >= numberOfRows(ip.section)) return {};
    auto& s = sections_[static_cast<std::size_t>(ip.section)];
    auto r = static_cast<std::size_t>(ip.row);
    return {0, s.rowTops[r], frame().width, s.rowHeights[r]};
}

Rect TableView::rectForHeader(int section) const {
    if (section < 0 || section >= numberOfSections()) return {};
    auto& s = sections_[static_cast<std::size_t>(section)];
    return {0, s.headerTop, frame().width, s.headerHeight};
}

std::optional<IndexPath> TableView::indexPathForRowAt(Point p) const {
    for (std::size_t si = 0; si < sections_.size(); ++si) {
        auto& s = sections_[si];
        auto it = std::upper_bound(s.rowTops.begin(), s.rowTops.end(), p.y);
        if (it == s.rowTops.begin()) continue;
        auto r = static_cast<std::size_t>(it - s.rowTops.begin() - 1);
        if (p.y < s.rowTops[r] + s.rowHeights[r]) return IndexPath{static_cast<int>(si), static_cast<int>(r)};
    }
    return std::nullopt;
}

void TableView::scrollToRow(IndexPath ip, bool animated) {
    Rect r = rectForRow(ip);
    if (r.height <= 0 && r.y == 0 && !(ip.row >= 0 && ip.row < numberOfRows(ip.section))) return;
    double top = contentOffset().y, h = frame().height;
    if (r.y < top)
        setContentOffset({contentOffset().x, r.y}, animated);
    else if (r.maxY() > top + h)
        setContentOffset({contentOffset().x, r.maxY() - h}, animated);
}

void TableView::selectRow(IndexPath ip, bool animated) {
    if (ip.row < 0 || ip.row >= numberOfRows(ip.section)) return;
    if (selected_ && *selected_ != ip)
        if (auto c = cellForRow(*selected_)) c->setSelected(false, animated);
    selected_ = ip;
    if (auto c = cellForRow(ip)) c->setSelected(true, animated);
    notifyChanged(ViewChange::State);
}

void TableView::deselectRow(IndexPath ip, bool animated) {
    if (auto c = cellForRow(ip)) c->setSelected(false, animated);
    if (selected_ == ip) {
        selected_.reset();
        notifyChanged(ViewChange::State);
    }
}

bool TableView::userSelectRow(IndexPath ip) {
    if (!loaded_) reloadData();
    if (ip.row < 0 || ip.row >= numberOfRows(ip.section) || !allowsSelection_) return false;
    auto keep = weak_from_this().lock();
    scrollToRow(ip);
    auto d = delegate();
    if (d && !d->shouldHighlightRow(*this, ip)) return false;
    if (auto c = cellForRow(ip)) {
        c->setHighlighted(true);
        c->setHighlighted(false);
    }
    auto previous = selected_;
    selectRow(ip);
    if (d) {
        if (previous && *previous != ip) d->didDeselectRow(*this, *previous);
        d->didSelectRow(*this, ip);
    }
    return true;
}

bool TableView::userTapCell(TableViewCell& cell) {
    auto ip = indexPathForCell(cell);
    return ip && userSelectRow(*ip);
}

std::vector<std::string> TableView::textsForRow(IndexPath ip) {
    if (!loaded_) reloadData();
    if (ip.row < 0 || ip.row >= numberOfRows(ip.section)) return {};
    if (auto c = cellForRow(ip)) return c->rowTexts();
    auto ds = dataSource();
    if (!ds || laying_) return {};
    laying_ = true;
    auto cell = obtainCell(ip);
    laying_ = false;
    if (!cell) return {};
    cell->setFrame(rectForRow(ip));
    auto texts = cell->rowTexts();
    if (!cell->reuseIdentifier().empty()) {
        auto& bucket = pool_[cell->reuseIdentifier()];
        if (bucket.size() < kPoolLimitPerIdentifier) bucket.push_back(cell);
    }
    return texts;
}

std::optional<IndexPath> TableView::findRowWithText(const std::string& text, int limit) {
    if (!loaded_) reloadData();
    std::optional<IndexPath> partial;
    int scanned = 0;
    for (int s = 0; s < numberOfSections() && scanned < limit; ++s) {
        for (int r = 0; r < numberOfRows(s) && scanned < limit; ++r, ++scanned) {
            for (auto& t : textsForRow({s, r})) {
                if (t == text) return IndexPath{s, r};
                if (!partial && !text.empty() && t.find(text) != std::string::npos) partial = IndexPath{s, r};
            }
        }
    }
    return partial;
}

std::size_t TableView::reusePoolSize() const {
    std::size_t n = 0;
    for (auto& [id, cells] : pool_) n += cells.size();
    return n;
}

void TableView::layoutSubviews() {
    if (loaded_ && textSizeRevision_ != TextSize::revision()) reloadData();
}

void TableView::setFrame(Rect frame) {
    ScrollView::setFrame(frame);
    if (backgroundView_)
        backgroundView_->setFrame({contentOffset().x, contentOffset().y, frame.width, frame.height});
    if (loaded_) {
        rebuildGeometry();  // widths changed
        for (auto& [ip, cell] : visible_) cell->setFrame(rectForRow(ip));
        layoutVisibleRows();
    }
}

void TableView::didMoveToWindow() {
    if (!loaded_ && window() && dataSource()) reloadData();
}

void TableView::contentOffsetChanged() {
    if (backgroundView_)
        backgroundView_->setFrame({contentOffset().x, contentOffset().y, frame().width, frame().height});
    if (loaded_) layoutVisibleRows();
}

void TableView::rebuildGeometry() {
    for (auto& s : sections_) {
        if (s.header) s.header->removeFromSuperview();
        if (s.footer) s.footer->removeFromSuperview();
    }
    sections_.clear();
    auto ds = dataSource();
    auto d = delegate();
    // Above 100 % text each row, header and footer takes the height of its content, measured
    // through a cell (at most kMeasuredRows of them: further rows take the tallest measured for
    // their laid-out height).
    const bool fitRows = TextSize::percent() != 100;
    textSizeRevision_ = TextSize::revision();
    // A header or footer at the width of the list, as tall as its content needs.
    auto place = [&](View& v, double top, double height) {
        v.setFrame({0, top, frame().width, height});
        if (!fitRows) return height;
        double fitted = textfit::fittedHeight(v);
        v.setFittedFrame({0, top, frame().width, fitted}, false);
        return fitted;
    };
    double y = tableHeader_ ? place(*tableHeader_, 0, tableHeader_->layoutFrame().height) : 0;
    int count = ds ? std::max(0, ds->numberOfSections(*this)) : 0;
    sections_.resize(static_cast<std::size_t>(count));
    std::map<double, double> tallestFitted;
    int measured = 0;
    for (int si = 0; si < count; ++si) {
        auto& s = sections_[static_cast<std::size_t>(si)];
        s.header = d ? d->viewForHeader(*this, si) : nullptr;
        double hh = d ? d->heightForHeader(*this, si) : -1;
        s.headerHeight = hh >= 0 ? hh : headerHeight_;
        s.headerTop = y;
        if (s.header) {
            s.headerHeight = place(*s.header, y, s.headerHeight);
            addSubview(s.header);
        }
        y += s.headerHeight;
        s.rowsTop = y;
        int rows = std::max(0, ds->numberOfRows(*this, si));
        s.rowTops.resize(static_cast<std::size_t>(rows));
        s.rowHeights.resize(static_cast<std::size_t>(rows));
        for (int r = 0; r < rows; ++r) {
            double h = d ? d->heightForRow(*this, {si, r}) : -1;
            if (h < 0) h = rowHeight_;
            if (fitRows) {
                auto known = tallestFitted.find(h);
                if (measured < kMeasuredRows || known == tallestFitted.end()) {
                    ++measured;
                    double fitted = fittedHeight({si, r}, h);
                    tallestFitted[h] = std::max(fitted, known == tallestFitted.end() ? 0.0 : known->second);
                    h = fitted;
                } else {
                    h = known->second;
                }
            }
            s.rowTops[static_cast<std::size_t>(r)] = y;
            s.rowHeights[static_cast<std::size_t>(r)] = h;
            y += h;
        }
        s.footer = d ? d->viewForFooter(*this, si) : nullptr;
        double fh = d ? d->heightForFooter(*this, si) : -1;
        s.footerHeight = fh >= 0 ? fh : footerHeight_;
        s.footerTop = y;
        if (s.footer) {
            s.footerHeight = place(*s.footer, y, s.footerHeight);
            addSubview(s.footer);
        }
        y += s.footerHeight;
    }
    if (tableFooter_) y += place(*tableFooter_, y, tableFooter_->layoutFrame().height);
    setContentSize({frame().width, y});
}

void TableView::layoutVisibleRows() {
    if (laying_) return;
    laying_ = true;
    double top = contentOffset().y, bottom = top + frame().height;
    std::vector<IndexPath> wanted;
    if (frame().height > 0) {
        for (std::size_t si = 0; si < sections_.size(); ++si) {
            auto& s = sections_[si];
            // First row whose bottom is below the viewport's top.
            auto first = std::upper_bound(s.rowTops.begin(), s.rowTops.end(), top);
            std::size_t r =
                first == s.rowTops.begin() ? 0 : static_cast<std::size_t>(first - s.rowTops.begin() - 1);
            for (; r < s.rowTops.size() && s.rowTops[r] < bottom; ++r)
                if (s.rowTops[r] + s.rowHeights[r] > top && s.rowHeights[r] > 0)
                    wanted.push_back({static_cast<int>(si), static_cast<int>(r)});
        }
    }
    for (auto it = visible_.begin(); it != visible_.end();) {
        auto ip = it->first;
        ++it;
        if (!std::binary_search(wanted.begin(), wanted.end(), ip)) recycle(ip);
    }
    auto d = delegate();
    for (auto& ip : wanted) {
        if (visible_.count(ip)) continue;
        auto cell = obtainCell(ip);
        if (!cell) continue;
        cell->setFrame(rectForRow(ip));
        cell->setSelected(selected_ == ip);
        visible_[ip] = cell;
        addSubview(cell);
        if (d) d->willDisplayCell(*this, *cell, ip);
    }
    laying_ = false;
}

void TableView::recycle(IndexPath ip) {
    auto it = visible_.find(ip);
    if (it == visible_.end()) return;
    auto cell = std::move(it->second);
    visible_.erase(it);
    cell->removeFromSuperview();
    if (!cell->reuseIdentifier().empty()) {
        auto& bucket = pool_[cell->reuseIdentifier()];
        if (bucket.size() < kPoolLimitPerIdentifier) bucket.push_back(std::move(cell));
    }
}

double TableView::fittedHeight(IndexPath ip, double height) {
    // Built through the data source as a row scrolled into view would be, then put in the pool.
    if (laying_ || !dataSource()) return height;
    laying_ = true;
    auto cell = obtainCell(ip);
    laying_ = false;
    if (!cell) return height;
    cell->setFrame({0, 0, frame().width, height});
    double fitted = textfit::fittedRowHeight(*cell);
    if (!cell->reuseIdentifier().empty()) {
        auto& bucket = pool_[cell->reuseIdentifier()];
        if (bucket.size() < kPoolLimitPerIdentifier) bucket.push_back(cell);
    }
    return fitted;
}

std::shared_ptr<TableViewCell> TableView::obtainCell(IndexPath ip) {
    auto ds = dataSource();
    if (!ds) return nullptr;
    auto cell = ds->cellForRow(*this, ip);
    // A data source that hands back nothing gets an empty row rather than a crash.
    if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Default, std::string());
    if (cell->ownerTable_ != this) {
        cell->ownerTable_ = this;
        ++cellsCreated_;
    }
    return cell;
}

bool TableView::dump(DumpWriter& out) const {
    auto& self = const_cast<TableView&>(*this);
    if (!loaded_) self.reloadData();
    int total = totalRows();
    out.line(DumpWriter::head("list", *this) + ": " + std::to_string(total) +
             (total == 1 ? " row" : " rows"));
    if (tableHeader_)
        for (auto& l : ScreenDump::lines(*tableHeader_)) out.indented(l);
    int shown = 0;
    bool multi = numberOfSections() > 1;
    for (int s = 0; s < numberOfSections(); ++s) {
        auto& sec = sections_[static_cast<std::size_t>(s)];
        if (sec.header && shown < ScreenDump::kMaxRowsPerList)
            for (auto& l : ScreenDump::lines(*sec.header)) out.indented(l);
        for (int r = 0; r < numberOfRows(s) && shown < ScreenDump::kMaxRowsPerList; ++r, ++shown) {
            std::string line =
                "[" + (multi ? std::to_string(s) + "." : std::string()) + std::to_string(r) + "]";
            auto texts = self.textsForRow({s, r});
            for (std::size_t i = 0; i < texts.size(); ++i)
                line += (i ? " | " : " ") + DumpWriter::quote(texts[i]);
            if (selected_ == IndexPath{s, r}) line += " (selected)";
            if (keyboardRow_ == IndexPath{s, r}) line += " (marked)";
            out.indented(line);
        }
    }
    if (total > shown) out.indented("... " + std::to_string(total - shown) + " more");
    if (tableFooter_)
        for (auto& l : ScreenDump::lines(*tableFooter_)) out.indented(l);
    // Anything else a list carries (a refresh header, a load-more footer) speaks for itself.
    for (auto& child : subviews()) {
        if (dynamic_cast<TableViewCell*>(child.get()) || child == tableHeader_ || child == tableFooter_ ||
            child == backgroundView_)
            continue;
        bool sectionView = false;
        for (auto& sec : sections_) sectionView = sectionView || child == sec.header || child == sec.footer;
        if (sectionView) continue;
        for (auto& l : ScreenDump::lines(*child)) out.line(l);
    }
    return false;
}

bool TableView::acceptsKeyboardFocus() const {
    return allowsSelection_ && !accessibilityHidden() && totalRows() > 0;
}

bool TableView::userKey(const KeyEvent& key) {
    if (key.shift) return false;
    if (key.key == Key::Return || key.key == Key::Space) {
        // Taken even without a keyboard row: Enter on a list never runs the screen's query again.
        if (keyboardRow_) userSelectRow(*keyboardRow_);
        return true;
    }
    if (key.key != Key::Up && key.key != Key::Down) return false;
    // The rows of every section as one run: the keyboard's row steps across section ends.
    std::vector<IndexPath> rows;
    for (int s = 0; s < numberOfSections(); ++s)
        for (int r = 0; r < numberOfRows(s); ++r) rows.push_back({s, r});
    if (rows.empty()) return false;
    auto at = keyboardRow_ ? std::find(rows.begin(), rows.end(), *keyboardRow_) : rows.end();
    if (at == rows.end())
        at = key.key == Key::Down ? rows.begin() : rows.end() - 1;
    else if (key.key == Key::Down && at + 1 != rows.end())
        ++at;
    else if (key.key == Key::Up && at != rows.begin())
        --at;
    keyboardRow_ = *at;
    scrollToRow(*at);
    notifyChanged(ViewChange::State);
    return true;
}

Rect TableView::keyboardFocusRect() const {
    if (!keyboardRow_) return bounds();
    return rectForRow(*keyboardRow_);
}

}  // namespace busdesk
