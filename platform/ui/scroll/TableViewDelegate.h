#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/scroll/IndexPath.h"
#include "platform/ui/scroll/ScrollViewDelegate.h"

namespace platform {

class TableView;
class TableViewCell;
class View;

// Where a table's rows come from.
class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual long numberOfSectionsInTableView(TableView& /*tableView*/) { return 1; }
  virtual long numberOfRowsInSection(TableView& tableView, long section) = 0;
  virtual std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& tableView,
                                                               const IndexPath& indexPath) = 0;
  virtual std::optional<std::string> titleForHeaderInSection(TableView& /*tableView*/,
                                                             long /*section*/) {
    return std::nullopt;
  }
  virtual std::optional<std::string> titleForFooterInSection(TableView& /*tableView*/,
                                                             long /*section*/) {
    return std::nullopt;
  }
};

// What a table asks and tells its delegate (also its scroll view delegate). Heights left
// unanswered (nullopt) take the table's defaults.
class TableViewDelegate : public ScrollViewDelegate {
 public:
  virtual std::optional<double> heightForRowAtIndexPath(TableView& /*tableView*/,
                                                        const IndexPath& /*indexPath*/) {
    return std::nullopt;
  }
  virtual std::optional<double> heightForHeaderInSection(TableView& /*tableView*/,
                                                         long /*section*/) {
    return std::nullopt;
  }
  virtual std::optional<double> heightForFooterInSection(TableView& /*tableView*/,
                                                         long /*section*/) {
    return std::nullopt;
  }
  virtual std::shared_ptr<View> viewForHeaderInSection(TableView& /*tableView*/, long /*section*/) {
    return nullptr;
  }
  virtual std::shared_ptr<View> viewForFooterInSection(TableView& /*tableView*/, long /*section*/) {
    return nullptr;
  }
  virtual void willDisplayCell(TableView& /*tableView*/, TableViewCell& /*cell*/,
                               const IndexPath& /*indexPath*/) {}
  virtual void didSelectRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*indexPath*/) {}
  virtual void didDeselectRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*indexPath*/) {
  }
};

}  // namespace platform
