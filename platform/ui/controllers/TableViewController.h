#pragma once

#include <memory>

#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/scroll/TableViewDelegate.h"

namespace platform {

// A controller whose view is a table it serves as data source and delegate; a subclass
// overrides the data-source methods (by default the table is empty).
class TableViewController : public ViewController,
                            public TableViewDataSource,
                            public TableViewDelegate {
 public:
  static std::shared_ptr<TableViewController> create(TableViewStyle style = TableViewStyle::Plain);
  ~TableViewController() override;

  TableViewStyle style() const { return style_; }
  std::shared_ptr<TableView> tableView();
  void loadView() override;

  long numberOfRowsInSection(TableView& tableView, long section) override;
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& tableView,
                                                       const IndexPath& indexPath) override;

  explicit TableViewController(Key key, TableViewStyle style = TableViewStyle::Plain)
      : ViewController(std::move(key)), style_(style) {}

 private:
  TableViewStyle style_;
};

}  // namespace platform
