#include "platform/ui/scroll/PickerView.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/TableView.h"

namespace platform {
namespace {

// A wheel's row: the title spans the whole row, as narrow wheels (hours, minutes) need, rather
// than sitting inside a table cell's side margins.
class PickerRowCell : public TableViewCell {
 public:
  static std::shared_ptr<PickerRowCell> create() { return Object::make<PickerRowCell>(); }
  void layoutSubviews() override {
    TableViewCell::layoutSubviews();
    if (const auto& label = textLabel()) label->setFrame(contentView()->bounds());
  }

  // The delegate's own view for this row, when it gave one (else the label shows the title).
  std::shared_ptr<View> rowView;

  explicit PickerRowCell(Key key)
      : TableViewCell(std::move(key), TableViewCellStyle::Default, "row") {}
};

}  // namespace

// One wheel: a table whose rows come from the picker's data source and whose resting places are
// whole rows in the middle band.
class PickerView::Column : public TableViewDataSource, public TableViewDelegate {
 public:
  Column(PickerView& owner, long component) : owner_(owner), component_(component) {
    table_ = TableView::create();
    table_->setBackgroundColor(Color::clear());
    table_->setSeparatorStyle(TableViewCellSeparatorStyle::None);
    table_->setShowsVerticalScrollIndicator(false);
    table_->setDecelerationRate(0.994);
  }

  void reload() {
    auto ds = owner_.dataSource();
    auto d = owner_.delegate();
    rows_ = ds ? std::max(0L, ds->numberOfRowsInComponent(owner_, component_)) : 0;
    rowHeight_ = std::max(1.0, (d ? d->rowHeightForComponent(owner_, component_) : std::nullopt)
                                   .value_or(kDefaultRowHeight));
    table_->setRowHeight(rowHeight_);
    selected_ = rows_ == 0 ? -1 : std::clamp(selected_, 0L, rows_ - 1);
    fitInsets();
    table_->reloadData();
    if (selected_ >= 0) table_->setContentOffset(offsetForRow(selected_));
  }

  void fitInsets() {
    const double band = std::max(0.0, (table_->bounds().size.height - rowHeight_) / 2);
    table_->setContentInset({band, 0, band, 0});
  }

  Point offsetForRow(long row) const { return {0, row * rowHeight_ - table_->contentInset().top}; }
  long rowAtOffset(double y) const {
    if (rows_ == 0) return -1;
    const long row = std::lround((y + table_->contentInset().top) / rowHeight_);
    return std::clamp(row, 0L, rows_ - 1);
  }

  void select(long row, bool animated) {
    if (rows_ == 0) return;
    selected_ = std::clamp(row, 0L, rows_ - 1);
    userMotion_ = false;
    table_->setContentOffset(offsetForRow(selected_), animated);
  }

  // TableViewDataSource
  long numberOfRowsInSection(TableView&, long) override { return rows_; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table,
                                                       const IndexPath& path) override {
    auto cell =
        std::dynamic_pointer_cast<PickerRowCell>(table.dequeueReusableCellWithIdentifier("row"));
    if (!cell) {
      cell = PickerRowCell::create();
      cell->setBackgroundColor(Color::clear());
      cell->setSelectionStyle(TableViewCellSelectionStyle::None);
    }
    auto d = owner_.delegate();
    auto old = cell->rowView;
    auto custom = d ? d->viewForRow(owner_, path.row, component_, old) : nullptr;
    if (old && old != custom) old->removeFromSuperview();
    if (custom) {
      custom->setFrame(cell->contentView()->bounds());
      custom->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
      if (custom->superview() != cell->contentView()) cell->contentView()->addSubview(custom);
      cell->rowView = custom;
      if (auto& label = cell->textLabel()) label->setText("");
      return cell;
    }
    cell->rowView.reset();
    const auto& label = cell->textLabel();
    label->setFont(Font::systemFont(21));
    label->setTextAlignment(TextAlignment::Center);
    label->setTextColor(Color::black());
    // An attributed title wins over a plain one; a reused row starts from the defaults.
    if (auto attributed =
            d ? d->attributedTitleForRow(owner_, path.row, component_) : std::nullopt) {
      label->setAttributedText(*attributed);
      return cell;
    }
    label->setText((d ? d->titleForRow(owner_, path.row, component_) : std::nullopt)
                       .value_or(std::string("?")));
    return cell;
  }

  // TableViewDelegate
  void scrollViewWillBeginDragging(ScrollView&) override { userMotion_ = true; }
  void scrollViewWillEndDragging(ScrollView&, Point, Point* target) override {
    *target = offsetForRow(rowAtOffset(target->y));
  }
  void scrollViewDidEndDragging(ScrollView&, bool decelerate) override {
    if (!decelerate) settle();
  }
  void scrollViewDidEndDecelerating(ScrollView&) override { settle(); }
  void scrollViewDidEndScrollingAnimation(ScrollView&) override {
    if (userMotion_) settle();
  }
  void didSelectRowAtIndexPath(TableView& table, const IndexPath& path) override {
    table.deselectRowAtIndexPath(path, false);
    userMotion_ = true;
    if (table.contentOffset() == offsetForRow(path.row)) {
      settle();
    } else {
      table.setContentOffset(offsetForRow(path.row), true);
    }
  }

  void settle() {
    userMotion_ = false;
    const long row = rowAtOffset(table_->contentOffset().y);
    if (row < 0) return;
    selected_ = row;
    if (!(table_->contentOffset() == offsetForRow(row))) {
      table_->setContentOffset(offsetForRow(row));
    }
    owner_.userSettled(*this);
  }

  const std::shared_ptr<TableView>& table() const { return table_; }
  long component() const { return component_; }
  long rows() const { return rows_; }
  long selected() const { return selected_; }
  double rowHeight() const { return rowHeight_; }

 private:
  PickerView& owner_;  // owns this column
  long component_;
  std::shared_ptr<TableView> table_;
  long rows_ = 0;
  long selected_ = 0;
  double rowHeight_ = kDefaultRowHeight;
  bool userMotion_ = false;
};

std::shared_ptr<PickerView> PickerView::create(const Rect& frame) {
  return Object::make<PickerView>(frame);
}

PickerView::PickerView(Key key, const Rect& frame) : View(std::move(key), frame) {
  setBackgroundColor(Color::clear());
  setOpaque(false);
}

void PickerView::didInit() {
  View::didInit();
  setNeedsLayout();  // the first layout loads the wheels
}

PickerView::~PickerView() {
  for (const auto& c : columns_) {
    c->table()->setDataSource(nullptr);
    c->table()->setDelegate(nullptr);
  }
}

void PickerView::setDataSource(const std::shared_ptr<PickerViewDataSource>& ds) {
  dataSource_ = ds;
  setNeedsLayout();
}

void PickerView::setDelegate(const std::shared_ptr<PickerViewDelegate>& d) {
  delegate_ = d;
  setNeedsLayout();
}

void PickerView::rebuild() {
  loaded_ = true;
  auto ds = dataSource();
  const long count = ds ? std::max(0L, ds->numberOfComponentsInPickerView(*this)) : 0;
  while (static_cast<long>(columns_.size()) > count) {
    columns_.back()->table()->removeFromSuperview();
    columns_.pop_back();
  }
  while (static_cast<long>(columns_.size()) < count) {
    auto column = std::make_shared<Column>(*this, static_cast<long>(columns_.size()));
    column->table()->setDataSource(column);
    column->table()->setDelegate(column);
    addSubview(column->table());
    columns_.push_back(std::move(column));
  }
  placeColumns();
  for (const auto& c : columns_) c->reload();
  setNeedsDisplay();  // the band sits at the new wheels' row height
}

void PickerView::placeColumns() {
  auto d = delegate();
  const Rect b = bounds();
  const double count = static_cast<double>(columns_.size());
  const double gaps = count > 1 ? (count - 1) * kComponentSpacing : 0;
  std::vector<double> widths;
  double total = 0;
  for (const auto& c : columns_) {
    auto w = d ? d->widthForComponent(*this, c->component()) : std::nullopt;
    widths.push_back(std::max(0.0, w.value_or((b.size.width - gaps) / std::max(1.0, count))));
    total += widths.back();
  }
  // The wheels stand together in the middle.
  double x = (b.size.width - total - gaps) / 2;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const auto& table = columns_[i]->table();
    const Rect frame = makeRect(x, 0, widths[i], b.size.height);
    if (!(table->frame() == frame)) {
      table->setFrame(frame);
      columns_[i]->fitInsets();
    }
    x += widths[i] + kComponentSpacing;
  }
}

void PickerView::layoutSubviews() {
  View::layoutSubviews();
  if (!loaded_) {
    rebuild();
    return;
  }
  placeColumns();
}

long PickerView::numberOfRowsInComponent(long component) const {
  if (component < 0 || component >= numberOfComponents()) return 0;
  return columns_[static_cast<std::size_t>(component)]->rows();
}

Size PickerView::rowSizeForComponent(long component) const {
  if (component < 0 || component >= numberOfComponents()) return {0, 0};
  const auto& c = *columns_[static_cast<std::size_t>(component)];
  return {c.table()->bounds().size.width, c.rowHeight()};
}

void PickerView::reloadAllComponents() { rebuild(); }

void PickerView::reloadComponent(long component) {
  if (!loaded_) {
    rebuild();
    return;
  }
  if (component >= 0 && component < numberOfComponents()) {
    columns_[static_cast<std::size_t>(component)]->reload();
  }
}

void PickerView::selectRow(long row, long component, bool animated) {
  if (!loaded_) rebuild();
  if (component < 0 || component >= numberOfComponents()) return;
  columns_[static_cast<std::size_t>(component)]->select(row, animated);
}

long PickerView::selectedRowInComponent(long component) const {
  if (component < 0 || component >= numberOfComponents()) return -1;
  return columns_[static_cast<std::size_t>(component)]->selected();
}

std::shared_ptr<View> PickerView::viewForRow(long row, long component) const {
  if (component < 0 || component >= numberOfComponents()) return nullptr;
  auto cell =
      columns_[static_cast<std::size_t>(component)]->table()->cellForRowAtIndexPath({0, row});
  if (!cell) return nullptr;
  auto* pickerCell = dynamic_cast<PickerRowCell*>(cell.get());
  if (pickerCell && pickerCell->rowView) return pickerCell->rowView;
  return cell;
}

std::shared_ptr<TableView> PickerView::tableForComponent(long component) const {
  if (component < 0 || component >= numberOfComponents()) return nullptr;
  return columns_[static_cast<std::size_t>(component)]->table();
}

void PickerView::setShowsSelectionIndicator(bool v) {
  showsSelectionIndicator_ = v;
  setNeedsDisplay();
}

void PickerView::userSettled(Column& column) {
  if (auto d = delegate()) d->didSelectRow(*this, column.selected(), column.component());
}

Size PickerView::sizeThatFits(const Size& size) const {
  return {size.width > 0 ? size.width : 320, kDefaultHeight};
}

void PickerView::drawRect(Context& context, const Rect& /*rect*/) {
  if (!showsSelectionIndicator_ || columns_.empty()) return;
  // Hairlines above and below the middle band.
  const double rowHeight = columns_.front()->rowHeight();
  const Rect b = bounds();
  const double top = (b.size.height - rowHeight) / 2;
  const double hairline = 1 / std::max(1.0, context.scale());
  const Color line = Color::rgba(0.8, 0.8, 0.8, 1);
  context.fillRect(makeRect(0, top, b.size.width, hairline), line);
  context.fillRect(makeRect(0, top + rowHeight - hairline, b.size.width, hairline), line);
}

}  // namespace platform
