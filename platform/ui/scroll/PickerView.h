#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/AttributedString.h"
#include "platform/ui/View.h"

namespace platform {

class PickerView;
class TableView;

class PickerViewDataSource {
 public:
  virtual ~PickerViewDataSource() = default;
  virtual long numberOfComponentsInPickerView(PickerView& pickerView) = 0;
  virtual long numberOfRowsInComponent(PickerView& pickerView, long component) = 0;
};

// Every method optional. A row shows the delegate's view, else its attributed title, else its
// title.
class PickerViewDelegate {
 public:
  virtual ~PickerViewDelegate() = default;
  virtual std::optional<double> widthForComponent(PickerView& /*p*/, long /*component*/) {
    return std::nullopt;
  }
  virtual std::optional<double> rowHeightForComponent(PickerView& /*p*/, long /*component*/) {
    return std::nullopt;
  }
  virtual std::optional<std::string> titleForRow(PickerView& /*p*/, long /*row*/,
                                                 long /*component*/) {
    return std::nullopt;
  }
  virtual std::optional<AttributedString> attributedTitleForRow(PickerView& /*p*/, long /*row*/,
                                                                long /*component*/) {
    return std::nullopt;
  }
  // `reusing` is a view this component showed before and no longer shows.
  virtual std::shared_ptr<View> viewForRow(PickerView& /*p*/, long /*row*/, long /*component*/,
                                           const std::shared_ptr<View>& /*reusing*/) {
    return nullptr;
  }
  virtual void didSelectRow(PickerView& /*p*/, long /*row*/, long /*component*/) {}
};

// Wheels side by side, one per component, each a list of rows that comes to rest with a row in
// the middle band. Selecting a row in code takes effect at once (selectedRowInComponent answers
// the new row even while an animated scroll is under way) and never calls didSelectRow; the user
// settling a wheel does.
class PickerView : public View {
 public:
  static std::shared_ptr<PickerView> create(const Rect& frame = {});
  ~PickerView() override;

  std::shared_ptr<PickerViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(const std::shared_ptr<PickerViewDataSource>& ds);
  std::shared_ptr<PickerViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<PickerViewDelegate>& d);

  long numberOfComponents() const { return static_cast<long>(columns_.size()); }
  long numberOfRowsInComponent(long component) const;
  Size rowSizeForComponent(long component) const;
  void reloadAllComponents();
  void reloadComponent(long component);
  void selectRow(long row, long component, bool animated);
  // −1 when the component has no rows (or does not exist).
  long selectedRowInComponent(long component) const;
  // The view shown for a row on screen, else nullptr.
  std::shared_ptr<View> viewForRow(long row, long component) const;
  bool showsSelectionIndicator() const { return showsSelectionIndicator_; }
  void setShowsSelectionIndicator(bool v);
  // The wheel's list, for tests and callers that drive it.
  std::shared_ptr<TableView> tableForComponent(long component) const;

  void layoutSubviews() override;
  void drawRect(Context& context, const Rect& rect) override;
  Size sizeThatFits(const Size& size) const override;

  static constexpr double kDefaultHeight = 216;
  static constexpr double kDefaultRowHeight = 32;
  static constexpr double kComponentSpacing = 5;

  explicit PickerView(Key key, const Rect& frame);

 protected:
  void didInit() override;

 private:
  class Column;
  friend class Column;
  void rebuild();
  void placeColumns();
  void userSettled(Column& column);

  std::weak_ptr<PickerViewDataSource> dataSource_;
  std::weak_ptr<PickerViewDelegate> delegate_;
  std::vector<std::shared_ptr<Column>> columns_;
  bool showsSelectionIndicator_ = true;
  bool loaded_ = false;
};

}  // namespace platform
