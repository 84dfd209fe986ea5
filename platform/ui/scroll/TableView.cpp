#include "platform/ui/scroll/TableView.h"

#include <algorithm>
#include <set>

#include "platform/ui/Label.h"

namespace platform {
namespace {

constexpr double kPlainHeaderHeight = 22;
constexpr double kGroupedHeaderHeight = 28;
constexpr double kGroupedFooterHeight = 17.5;

}  // namespace

std::shared_ptr<TableView> TableView::create(const Rect& frame, TableViewStyle style) {
  return Object::make<TableView>(frame, style);
}

TableView::TableView(Key key, const Rect& frame, TableViewStyle style)
    : ScrollView(std::move(key), frame),
      style_(style),
      sectionHeaderHeight_(style == TableViewStyle::Grouped ? kGroupedHeaderHeight
                                                            : kPlainHeaderHeight),
      sectionFooterHeight_(style == TableViewStyle::Grouped ? kGroupedFooterHeight
                                                            : kPlainHeaderHeight) {
  setBackgroundColor(style == TableViewStyle::Grouped ? Color::rgba(0.937, 0.937, 0.957, 1)
                                                      : Color::whiteColor());
  setAlwaysBounceVertical(true);
}

TableView::~TableView() = default;

void TableView::didInit() {
  ScrollView::didInit();
  tap_ = addSelectionTap(*this, [](View& list, const Point& where) {
    static_cast<TableView&>(list).handleTap(where);
  });
  setNeedsLayout();  // the first layout loads the data
}

std::shared_ptr<TableViewDelegate> TableView::tableDelegate() const {
  return std::dynamic_pointer_cast<TableViewDelegate>(delegate());
}

void TableView::setSeparatorStyle(TableViewCellSeparatorStyle s) {
  separatorStyle_ = s;
  for (const auto& [path, cell] : cells_.visibleViews()) {
    cell->setShowsSeparator(s != TableViewCellSeparatorStyle::None);
  }
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
  if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
  tableHeaderView_ = std::move(view);
  if (tableHeaderView_) addSubview(tableHeaderView_);
  computeGeometry();
  setNeedsLayout();
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
  if (tableFooterView_) tableFooterView_->removeFromSuperview();
  tableFooterView_ = std::move(view);
  if (tableFooterView_) addSubview(tableFooterView_);
  computeGeometry();
  setNeedsLayout();
}

void TableView::registerCell(const std::string& reuseIdentifier, CellFactory factory) {
  cells_.registerFactory(reuseIdentifier, std::move(factory));
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& id) {
  return cells_.dequeue(id);
}

std::size_t TableView::cellCount() const { return cells_.count(); }

// --- Geometry -------------------------------------------------------------------------------

std::shared_ptr<View> TableView::sectionSupplement(long section, bool header, double height) {
  auto d = tableDelegate();
  std::shared_ptr<View> view = d ? (header ? d->viewForHeaderInSection(*this, section)
                                           : d->viewForFooterInSection(*this, section))
                                 : nullptr;
  if (view || height <= 0) return view;
  auto ds = dataSource();
  auto title = ds ? (header ? ds->titleForHeaderInSection(*this, section)
                            : ds->titleForFooterInSection(*this, section))
                  : std::nullopt;
  if (!title) return nullptr;
  auto label = Label::create();
  label->setText(*title);
  label->setFont(header ? Font::boldSystemFont(15) : Font::systemFont(13));
  label->setTextColor(Color::rgba(0.43, 0.43, 0.45, 1));
  auto box = View::create();
  box->setBackgroundColor(style_ == TableViewStyle::Plain ? Color::rgba(0.97, 0.97, 0.97, 1)
                                                          : Color::clear());
  label->setFrame(makeRect(15, 0, bounds().size.width - 30, height));
  label->setAutoresizingMask(ViewAutoresizingFlexibleWidth);
  box->addSubview(label);
  return box;
}

void TableView::computeGeometry() {
  for (auto& s : sections_) {
    if (s.header) s.header->removeFromSuperview();
    if (s.footer) s.footer->removeFromSuperview();
  }
  sections_.clear();
  auto ds = dataSource();
  auto d = tableDelegate();
  double y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
  const long count = ds ? std::max(0L, ds->numberOfSectionsInTableView(*this)) : 0;
  sections_.reserve(static_cast<std::size_t>(count));
  for (long s = 0; s < count; ++s) {
    Section sec;
    sec.top = y;
    auto hasTitle = [&](bool header) {
      return ds && (header ? ds->titleForHeaderInSection(*this, s)
                           : ds->titleForFooterInSection(*this, s))
                       .has_value();
    };
    auto height = [&](bool header) {
      auto asked = d ? (header ? d->heightForHeaderInSection(*this, s)
                               : d->heightForFooterInSection(*this, s))
                     : std::nullopt;
      if (asked) return std::max(0.0, *asked);
      const double standard = header ? sectionHeaderHeight_ : sectionFooterHeight_;
      return style_ == TableViewStyle::Grouped || hasTitle(header) ? standard : 0.0;
    };
    sec.headerHeight = height(true);
    sec.footerHeight = height(false);
    const long rows = std::max(0L, ds->numberOfRowsInSection(*this, s));
    sec.rowTops.resize(static_cast<std::size_t>(rows) + 1);
    double r = y + sec.headerHeight;
    for (long i = 0; i < rows; ++i) {
      sec.rowTops[static_cast<std::size_t>(i)] = r;
      auto h = d ? d->heightForRowAtIndexPath(*this, {s, i}) : std::nullopt;
      r += std::max(0.0, h.value_or(rowHeight_));
    }
    sec.rowTops.back() = r;
    y = r + sec.footerHeight;
    sec.header = sectionSupplement(s, true, sec.headerHeight);
    sec.footer = sectionSupplement(s, false, sec.footerHeight);
    for (const auto& v : {sec.header, sec.footer}) {
      if (v) addSubview(v);
    }
    sections_.push_back(std::move(sec));
  }
  if (tableFooterView_) {
    Rect f = tableFooterView_->frame();
    f.origin = {0, y};
    tableFooterView_->setFrame(f);
    y += f.size.height;
  }
  if (tableHeaderView_) {
    Rect f = tableHeaderView_->frame();
    f.origin = {0, 0};
    tableHeaderView_->setFrame(f);
  }
  setContentSize({bounds().size.width, y});
}

long TableView::numberOfRowsInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return static_cast<long>(sections_[static_cast<std::size_t>(section)].rowTops.size()) - 1;
}

Rect TableView::rectForRowAtIndexPath(const IndexPath& p) const {
  if (p.row < 0 || p.row >= numberOfRowsInSection(p.section)) return {};
  const auto& tops = sections_[static_cast<std::size_t>(p.section)].rowTops;
  const auto i = static_cast<std::size_t>(p.row);
  return makeRect(0, tops[i], bounds().size.width, tops[i + 1] - tops[i]);
}

Rect TableView::rectForHeaderInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const auto& s = sections_[static_cast<std::size_t>(section)];
  return makeRect(0, s.top, bounds().size.width, s.headerHeight);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(const Point& p) const {
  // The last section starting at or above the point.
  auto sec = std::upper_bound(sections_.begin(), sections_.end(), p.y,
                              [](double y, const Section& s) { return y < s.top; });
  if (sec == sections_.begin()) return std::nullopt;
  --sec;
  const auto& tops = sec->rowTops;
  if (tops.size() < 2 || p.y < tops.front() || p.y >= tops.back()) return std::nullopt;
  const auto row = std::upper_bound(tops.begin(), tops.end(), p.y) - tops.begin() - 1;
  return IndexPath{sec - sections_.begin(), static_cast<long>(row)};
}

// --- Cells ----------------------------------------------------------------------------------

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(const IndexPath& p) const {
  return cells_.visible(p);
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const {
  return cells_.visibleList();
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const { return cells_.visibleKeys(); }

void TableView::placeCell(const IndexPath& path) {
  const Rect frame = rectForRowAtIndexPath(path);
  if (auto shown = cells_.visible(path)) {
    if (!(shown->frame() == frame)) shown->setFrame(frame);
    return;
  }
  auto cell = cells_.takeKept(path);  // the row's own cell, still editing
  if (!cell) {
    auto ds = dataSource();
    cell = ds ? ds->cellForRowAtIndexPath(*this, path) : nullptr;
  }
  if (!cell) return;
  cells_.reveal(*this, cell);
  cell->setFrame(frame);
  cell->setShowsSeparator(separatorStyle_ != TableViewCellSeparatorStyle::None);
  cell->setSelected(selected_.contains(path));
  if (auto d = tableDelegate()) d->willDisplayCell(*this, *cell, path);
  cells_.track(path, std::move(cell));
}

void TableView::layoutSubviews() {
  ScrollView::layoutSubviews();
  // The first layout loads the data, as the platform does.
  if (!loaded_) reloadData();
  const double top = contentOffset().y, bottom = top + bounds().size.height;
  std::set<IndexPath> wanted;
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    const auto& sec = sections_[s];
    if (sec.rowTops.back() + sec.footerHeight <= top) continue;
    if (sec.top >= bottom) break;
    const auto& tops = sec.rowTops;
    auto first = std::upper_bound(tops.begin(), tops.end() - 1, top);
    if (first != tops.begin()) --first;
    for (auto r = first; r + 1 != tops.end() && *r < bottom; ++r) {
      if (*(r + 1) > top) wanted.insert({static_cast<long>(s), r - tops.begin()});
    }
    const double w = bounds().size.width;
    if (sec.header) sec.header->setFrame(makeRect(0, sec.top, w, sec.headerHeight));
    if (sec.footer) sec.footer->setFrame(makeRect(0, tops.back(), w, sec.footerHeight));
  }
  cells_.recycleAllBut(wanted);
  for (const auto& path : wanted) placeCell(path);
}

void TableView::reloadData() {
  loaded_ = true;
  cells_.recycleAllBut();
  computeGeometry();
  selected_.keepWithin([this](long section) { return numberOfRowsInSection(section); });
  setNeedsLayout();
  reloadHooks().notify(*this);
}

void TableView::scrollToRowAtIndexPath(const IndexPath& indexPath, TableViewScrollPosition position,
                                       bool animated) {
  const Rect r = rectForRowAtIndexPath(indexPath);
  if (r.size.height <= 0 && r.origin.y == 0 && indexPath.row != 0) return;
  const double h = bounds().size.height;
  Point target = contentOffset();
  switch (position) {
    case TableViewScrollPosition::Top:
      target.y = r.origin.y;
      break;
    case TableViewScrollPosition::Middle:
      target.y = r.origin.y + r.size.height / 2 - h / 2;
      break;
    case TableViewScrollPosition::Bottom:
      target.y = r.origin.y + r.size.height - h;
      break;
    case TableViewScrollPosition::None:
      scrollRectToVisible(r, animated);
      return;
  }
  const Point lo = minimumContentOffset(), hi = maximumContentOffset();
  target.y = std::clamp(target.y, lo.y, hi.y);
  setContentOffset(target, animated);
}

// --- Selection ------------------------------------------------------------------------------

void TableView::selectRowAtIndexPath(const std::optional<IndexPath>& indexPath, bool animated,
                                     TableViewScrollPosition position) {
  if (!allowsMultipleSelection_ || !indexPath) {
    for (const auto& p : std::vector<IndexPath>(selected_.paths()))
      deselectRowAtIndexPath(p, animated);
  }
  if (!indexPath || indexPath->row < 0 ||
      indexPath->row >= numberOfRowsInSection(indexPath->section))
    return;
  selected_.add(*indexPath);
  if (auto cell = cellForRowAtIndexPath(*indexPath)) cell->setSelected(true, animated);
  if (position != TableViewScrollPosition::None) {
    scrollToRowAtIndexPath(*indexPath, position, animated);
  }
}

void TableView::deselectRowAtIndexPath(const IndexPath& indexPath, bool animated) {
  selected_.remove(indexPath);
  if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false, animated);
}

std::optional<IndexPath> TableView::indexPathForSelectedRow() const {
  if (selected_.paths().empty()) return std::nullopt;
  return selected_.paths().front();
}

void TableView::handleTap(const Point& where) {
  if (!allowsSelection_ || isDecelerating() || touchCaughtMotion()) return;
  auto path = indexPathForRowAtPoint(where);
  if (!path) return;
  auto d = tableDelegate();
  const auto change = selected_.tap(*path, allowsMultipleSelection_);
  for (const auto& p : change.deselect) {
    deselectRowAtIndexPath(p, false);
    if (d) d->didDeselectRowAtIndexPath(*this, p);
  }
  if (!change.select) return;
  selectRowAtIndexPath(*path, false, TableViewScrollPosition::None);
  if (d) d->didSelectRowAtIndexPath(*this, *path);
}

}  // namespace platform
