#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/Palette.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TableViewCell.h"

namespace busdesk {

class TableView;

struct IndexPath {
    int section = 0;
    int row = 0;
    bool operator==(const IndexPath&) const = default;
    // Written out, not defaulted: clang-tidy 14 takes the 0 a defaulted ordering compares with
    // for a null pointer.
    std::strong_ordering operator<=>(const IndexPath& other) const {
        return section != other.section ? section <=> other.section : row <=> other.row;
    }
};

class TableViewDataSource {
  public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSections(TableView&) { return 1; }
    virtual int numberOfRows(TableView&, int section) = 0;
    // Use TableView::dequeueReusableCell first; return a fresh cell when it gives none.
    virtual std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath) = 0;
};

// Heights below 0 mean "use the table's default" (rowHeight, sectionHeaderHeight...).
class TableViewDelegate {
  public:
    virtual ~TableViewDelegate() = default;
    virtual double heightForRow(TableView&, IndexPath) { return -1; }
    virtual double heightForHeader(TableView&, int /*section*/) { return -1; }
    virtual double heightForFooter(TableView&, int /*section*/) { return -1; }
    virtual std::shared_ptr<View> viewForHeader(TableView&, int /*section*/) { return nullptr; }
    virtual std::shared_ptr<View> viewForFooter(TableView&, int /*section*/) { return nullptr; }
    virtual bool shouldHighlightRow(TableView&, IndexPath) { return true; }
    virtual void didSelectRow(TableView&, IndexPath) {}
    virtual void didDeselectRow(TableView&, IndexPath) {}
    virtual void willDisplayCell(TableView&, TableViewCell&, IndexPath) {}
};

enum class TableViewStyle { Plain, Grouped };
enum class SeparatorStyle { None, SingleLine };

// A virtualised list: only rows that intersect the viewport (contentOffset … + height) have cells,
// and cells scrolled out go to a reuse pool keyed by reuse identifier. Row heights are asked for
// every row on reload (to know the content size), cells only for visible rows.
//
// Data source and delegate are held weakly: they are normally the screen that owns the table.
class TableView : public ScrollView, public CellHost {
  public:
    explicit TableView(Rect frame = {}, TableViewStyle style = TableViewStyle::Plain);
    ~TableView() override;

    TableViewStyle style() const { return style_; }
    void setDataSource(std::weak_ptr<TableViewDataSource> ds);
    void setDelegate(std::weak_ptr<TableViewDelegate> d);
    std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
    std::shared_ptr<TableViewDelegate> delegate() const { return delegate_.lock(); }

    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double h);
    double sectionHeaderHeight() const { return headerHeight_; }
    void setSectionHeaderHeight(double h);
    double sectionFooterHeight() const { return footerHeight_; }
    void setSectionFooterHeight(double h);
    SeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(SeparatorStyle s);
    Color separatorColor() const { return separatorColor_; }
    void setSeparatorColor(Color c);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool a) { allowsSelection_ = a; }
    std::shared_ptr<View> tableHeaderView() const { return tableHeader_; }
    void setTableHeaderView(std::shared_ptr<View> v);
    std::shared_ptr<View> tableFooterView() const { return tableFooter_; }
    void setTableFooterView(std::shared_ptr<View> v);
    std::shared_ptr<View> backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<View> v);

    // Drops every cell into the pool, re-reads counts and heights, lays out the visible rows.
    void reloadData();
    // Updates between begin and end are applied as one reload at the outermost end.
    void beginUpdates();
    void endUpdates();

    // A pooled cell with that identifier (prepareForReuse already called), or null.
    std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& identifier);

    int numberOfSections() const { return static_cast<int>(sections_.size()); }
    int numberOfRows(int section) const;
    int totalRows() const;
    std::shared_ptr<TableViewCell> cellForRow(IndexPath ip) const;  // visible cells only
    std::vector<IndexPath> indexPathsForVisibleRows() const;
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
    Rect rectForRow(IndexPath ip) const;  // in content coordinates
    Rect rectForHeader(int section) const;
    std::optional<IndexPath> indexPathForRowAt(Point contentPoint) const;
    void scrollToRow(IndexPath ip, bool animated = false);

    // Programmatic selection: no delegate calls.
    void selectRow(IndexPath ip, bool animated = false);
    void deselectRow(IndexPath ip, bool animated = false);
    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }

    // A finger on a row: highlight, select, tell the delegate. Scrolls the row into view first,
    // so rows below the fold can be chosen by scripts. False when out of range or selection off.
    bool userSelectRow(IndexPath ip);
    // CellHost: the tapped cell's row is selected.
    bool userTapCell(TableViewCell& cell) override;

    // The keyboard's row: Up and Down move it (scrolled into view), Enter or Space select it as a
    // tap would. A list with rows to choose takes the focus as one stop; its rows are not stops.
    std::optional<IndexPath> keyboardRow() const { return keyboardRow_; }
    bool acceptsKeyboardFocus() const override;
    bool userKey(const KeyEvent& key) override;
    Rect keyboardFocusRect() const override;

    // A row's texts without requiring it to be visible: a visible cell is read directly, any other
    // row is built through the data source and put straight back into the pool.
    std::vector<std::string> textsForRow(IndexPath ip);
    // First row (in order, at most `limit` rows scanned) one of whose texts equals `text`.
    std::optional<IndexPath> findRowWithText(const std::string& text, int limit = 5000);

    // How many cells the data source has handed over since construction (for checks of reuse).
    std::size_t cellsCreated() const { return cellsCreated_; }
    std::size_t reusePoolSize() const;

    void setFrame(Rect frame) override;
    // Measures the rows again when the text size changed since they were measured.
    void layoutSubviews() override;
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override { return {}; }
    bool placesOwnContent() const override { return true; }

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::List; }
    void contentOffsetChanged() override;
    void didMoveToWindow() override;

  private:
    struct Section {
        double headerTop = 0, headerHeight = 0;
        double rowsTop = 0;
        std::vector<double> rowTops;  // content y of each row
        std::vector<double> rowHeights;
        double footerTop = 0, footerHeight = 0;
        std::shared_ptr<View> header, footer;
    };
    void rebuildGeometry();
    void layoutVisibleRows();
    void recycle(IndexPath ip);
    std::shared_ptr<TableViewCell> obtainCell(IndexPath ip);
    // The height row `ip` needs at the text size in force, `height` as laid out at 100 %.
    double fittedHeight(IndexPath ip, double height);

    TableViewStyle style_;
    std::weak_ptr<TableViewDataSource> dataSource_;
    std::weak_ptr<TableViewDelegate> delegate_;
    double rowHeight_ = 44;
    double headerHeight_ = 0;
    double footerHeight_ = 0;
    SeparatorStyle separatorStyle_ = SeparatorStyle::SingleLine;
    Color separatorColor_ = Color::of(ColorRole::Separator);
    bool allowsSelection_ = true;
    std::shared_ptr<View> tableHeader_, tableFooter_, backgroundView_;
    std::vector<Section> sections_;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> pool_;
    std::optional<IndexPath> selected_;
    std::optional<IndexPath> keyboardRow_;
    int updateDepth_ = 0;
    bool loaded_ = false;
    bool laying_ = false;
    std::size_t cellsCreated_ = 0;
    std::uint64_t textSizeRevision_ = 0;  // of the text size the rows were measured at
};

}  // namespace busdesk
