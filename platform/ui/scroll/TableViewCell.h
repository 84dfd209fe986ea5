#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace platform {

class ImageView;
class Label;

enum class TableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellSelectionStyle { None = 0, Blue = 1, Gray = 2, Default = 3 };
enum class TableViewCellAccessoryType {
  None = 0,
  DisclosureIndicator = 1,
  DetailDisclosureButton = 2,
  Checkmark = 3,
  DetailButton = 4
};

// One row of a table. Content goes into contentView; the text and image views of the style are
// made on first use. A cell leaving the screen waits, hidden, in its table's reuse pool until
// dequeued again (prepareForReuse first).
class TableViewCell : public View {
 public:
  static std::shared_ptr<TableViewCell> create(TableViewCellStyle style,
                                               std::string reuseIdentifier);
  ~TableViewCell() override;

  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  TableViewCellStyle style() const { return style_; }
  const std::shared_ptr<View>& contentView() const { return contentView_; }
  const std::shared_ptr<Label>& textLabel();
  const std::shared_ptr<Label>& detailTextLabel();
  const std::shared_ptr<ImageView>& imageView();

  TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(TableViewCellSelectionStyle s);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated = false);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted, bool animated = false);
  TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(TableViewCellAccessoryType type);
  const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<View> view);
  // Where the line under the cell starts (left) and ends (right).
  EdgeInsets separatorInset() const { return separatorInset_; }
  void setSeparatorInset(const EdgeInsets& inset);
  // Set by the table from its separator style.
  void setShowsSeparator(bool shows);

  virtual void prepareForReuse();
  void layoutSubviews() override;
  void drawRect(Context& context, const Rect& rect) override;

  static constexpr double kAccessoryWidth = 38;

  TableViewCell(Key key, TableViewCellStyle style, std::string reuseIdentifier);

 protected:
  void didInit() override;
  // The selection fill, separator and accessory mark go straight into the frame: no bitmap of
  // the whole row to keep and composite.
  bool drawsInPlace() const override { return true; }

 private:
  bool showsSelection() const;

  std::string reuseIdentifier_;
  TableViewCellStyle style_;
  std::shared_ptr<View> contentView_;
  std::shared_ptr<Label> textLabel_;
  std::shared_ptr<Label> detailTextLabel_;
  std::shared_ptr<ImageView> imageView_;
  std::shared_ptr<View> accessoryView_;
  TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Default;
  TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
  EdgeInsets separatorInset_{0, 15, 0, 0};
  bool selected_ = false;
  bool highlighted_ = false;
  bool showsSeparator_ = true;
};

}  // namespace platform
