#pragma once

#include <memory>
#include <string>

#include "platform/views/ImageView.h"
#include "platform/views/Label.h"

namespace busdesk {

enum class CellStyle { Default, Value1, Value2, Subtitle };
enum class CellAccessory { None, DisclosureIndicator, DetailDisclosureButton, Checkmark };
enum class CellSelectionStyle { None, Blue, Gray, Default };

class TableViewCell;

// The list a cell is shown in, as the cell sees it (TableView implements it).
class CellHost {
  public:
    virtual ~CellHost() = default;
    // A finger lifted on `cell`: selects its row. False when nothing reacted.
    virtual bool userTapCell(TableViewCell& cell) = 0;
};

// A row of a table. Put custom content into contentView(); textLabel and detailTextLabel are
// created on first use, so a cell that never asks for them shows only its own content.
class TableViewCell : public View {
  public:
    TableViewCell(CellStyle style, std::string reuseIdentifier);
    ~TableViewCell() override;

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    CellStyle style() const { return style_; }
    View& contentView() { return *contentView_; }
    Label& textLabel();
    Label& detailTextLabel();
    ImageView& imageView();
    bool hasTextLabel() const { return textLabel_ != nullptr; }
    bool hasDetailTextLabel() const { return detailTextLabel_ != nullptr; }

    CellAccessory accessoryType() const { return accessory_; }
    void setAccessoryType(CellAccessory a);
    CellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(CellSelectionStyle s) { selectionStyle_ = s; }
    bool isSelected() const { return selected_; }
    void setSelected(bool s, bool animated = false);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool h, bool animated = false);

    // Cells alive in the process (tests check that long lists stay bounded).
    static std::size_t liveCount();

    // Called before the table hands the cell out again from its reuse pool.
    virtual void prepareForReuse() {}

    // The row's texts in screen order (every visible label and button title inside the cell),
    // as the dump prints them and scripts select rows by.
    std::vector<std::string> rowTexts() const;

    void setFrame(Rect frame) override;
    void layoutSubviews() override;
    bool userTap() override;
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override;
    // The row's texts, one after the other.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::ListRow; }

  private:
    friend class TableView;
    CellStyle style_;
    std::string reuseIdentifier_;
    std::shared_ptr<View> contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<Label> detailTextLabel_;
    std::shared_ptr<ImageView> imageView_;
    CellAccessory accessory_ = CellAccessory::None;
    CellSelectionStyle selectionStyle_ = CellSelectionStyle::Default;
    bool selected_ = false;
    bool highlighted_ = false;
    const void* ownerTable_ = nullptr;
};

}  // namespace busdesk
