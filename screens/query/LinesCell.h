#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TableViewCell.h"
#include "screens/query/RowLine.h"

namespace busdesk {

// A result row: an optional round position badge, then one label per line, top to bottom.
class LinesCell : public TableViewCell {
  public:
    static constexpr double kFontSize = 15;
    static constexpr double kLineHeight = 22;
    static constexpr double kPadding = 8;
    static constexpr double kBadgeSize = 26;
    static constexpr double kButtonWidth = 56;

    LinesCell(std::string reuseIdentifier, std::size_t lineCount, bool badge);

    static constexpr double heightFor(std::size_t lineCount) {
        return 2 * kPadding + kLineHeight * static_cast<double>(lineCount);
    }
    double rowHeight() const { return heightFor(lines.size()); }

    // Texts beyond the line count are dropped; missing ones leave their labels empty.
    void setLines(const std::vector<std::string>& texts);
    // The 1-based position shown in the badge ("%d").
    void setPosition(int position);
    // A button at the right end of the row (a summary row's detail button), identified by its
    // action's name; the lines leave room for it.
    std::shared_ptr<Button> addTrailingButton(const std::string& action, const std::string& title);

    void layoutSubviews() override;

    std::shared_ptr<Label> badge;            // null for rows without one
    std::shared_ptr<Button> trailingButton;  // null for rows without one
    std::vector<std::shared_ptr<Label>> lines;
};

// A row whose lines are a table of (caption format, field) entries over one record kind. A row
// handed no record is left as it was.
template <class Model>
class RowLinesCell : public LinesCell {
  public:
    using Item = Model;
    using Table = std::vector<RowLine<Model>>;

    RowLinesCell(std::string reuseIdentifier, const Table& table, bool badge)
        : LinesCell(std::move(reuseIdentifier), table.size(), badge), table_(table) {}

    // `row` is the 0-based row the record is shown in; the badge shows row + 1.
    void fill(const Model* item, int row) {
        if (!item) return;
        if (badge) setPosition(row + 1);
        setLines(printLines(table_, *item));
    }

  private:
    const Table& table_;
};

}  // namespace busdesk
