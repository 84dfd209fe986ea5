#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/scroll/IndexPath.h"
#include "platform/ui/scroll/IndexPathSelection.h"
#include "platform/ui/scroll/ReusePool.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/scroll/TableViewCell.h"
#include "platform/ui/scroll/TableViewDelegate.h"

namespace platform {

class TapGestureRecognizer;

enum class TableViewStyle { Plain = 0, Grouped = 1 };
enum class TableViewScrollPosition { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewCellSeparatorStyle { None = 0, SingleLine = 1 };

// Rows in sections, laid out top to bottom. Only the rows in view have cells: the others wait in
// a reuse pool by identifier, so a table of any length holds about a screenful of cells. The
// geometry (section and row offsets) is computed by reloadData; cells are placed by the layout
// pass, which a scroll asks for. The delegate is the scroll view's delegate, when it is a
// TableViewDelegate. Main thread only.
class TableView : public ScrollView {
 public:
  static std::shared_ptr<TableView> create(const Rect& frame = {},
                                           TableViewStyle style = TableViewStyle::Plain);
  ~TableView() override;

  TableViewStyle style() const { return style_; }
  std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(const std::shared_ptr<TableViewDataSource>& ds) { dataSource_ = ds; }
  std::shared_ptr<TableViewDelegate> tableDelegate() const;

  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double h) { rowHeight_ = h; }
  double sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(double h) { sectionHeaderHeight_ = h; }
  double sectionFooterHeight() const { return sectionFooterHeight_; }
  void setSectionFooterHeight(double h) { sectionFooterHeight_ = h; }
  TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(TableViewCellSeparatorStyle s);
  const std::shared_ptr<View>& tableHeaderView() const { return tableHeaderView_; }
  void setTableHeaderView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& tableFooterView() const { return tableFooterView_; }
  void setTableFooterView(std::shared_ptr<View> view);
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool v) { allowsSelection_ = v; }
  bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
  void setAllowsMultipleSelection(bool v) { allowsMultipleSelection_ = v; }

  // Reuse: a registered factory makes a cell when the pool has none.
  using CellFactory = std::function<std::shared_ptr<TableViewCell>(const std::string& id)>;
  void registerCell(const std::string& reuseIdentifier, CellFactory factory);
  // A waiting cell, or (registered identifiers) a new one; else nullptr.
  std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& id);

  // Asks the data source again for everything, recomputes contentSize, then runs the reload hooks.
  virtual void reloadData();
  // Runs after every reloadData of this table, in subscription order.
  ObserverList<TableView&>& reloadHooks() { return reloadHooks_; }

  long numberOfSections() const { return static_cast<long>(sections_.size()); }
  long numberOfRowsInSection(long section) const;
  Rect rectForRowAtIndexPath(const IndexPath& indexPath) const;
  Rect rectForHeaderInSection(long section) const;
  std::optional<IndexPath> indexPathForRowAtPoint(const Point& p) const;
  // Visible rows only (nullptr for a row off screen).
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(const IndexPath& indexPath) const;
  std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
  std::vector<IndexPath> indexPathsForVisibleRows() const;
  void scrollToRowAtIndexPath(const IndexPath& indexPath, TableViewScrollPosition position,
                              bool animated);

  void selectRowAtIndexPath(const std::optional<IndexPath>& indexPath, bool animated,
                            TableViewScrollPosition position);
  void deselectRowAtIndexPath(const IndexPath& indexPath, bool animated);
  std::optional<IndexPath> indexPathForSelectedRow() const;
  const std::vector<IndexPath>& indexPathsForSelectedRows() const { return selected_.paths(); }

  // Cells made or reused and still alive (for tests of reuse).
  std::size_t cellCount() const;

  void layoutSubviews() override;

  TableView(Key key, const Rect& frame, TableViewStyle style);

 protected:
  void didInit() override;

 private:
  struct Section {
    double top = 0;
    double headerHeight = 0;
    double footerHeight = 0;
    std::vector<double> rowTops;  // one more than the rows: the last is the rows' end
    std::shared_ptr<View> header, footer;
  };
  void computeGeometry();
  std::shared_ptr<View> sectionSupplement(long section, bool header, double height);
  void placeCell(const IndexPath& path);
  void handleTap(const Point& where);
  std::pair<IndexPath, IndexPath> visibleRange() const;

  TableViewStyle style_;
  std::weak_ptr<TableViewDataSource> dataSource_;
  std::shared_ptr<TapGestureRecognizer> tap_;
  double rowHeight_ = 44;
  double sectionHeaderHeight_;
  double sectionFooterHeight_;
  TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
  std::shared_ptr<View> tableHeaderView_, tableFooterView_;
  bool allowsSelection_ = true, allowsMultipleSelection_ = false;
  std::vector<Section> sections_;
  ReusePool<IndexPath, TableViewCell> cells_;
  IndexPathSelection selected_;
  bool loaded_ = false;
  ObserverList<TableView&> reloadHooks_;
};

}  // namespace platform
