#include "platform/ui/controllers/TableViewController.h"

#include "platform/ui/Screen.h"
#include "platform/ui/scroll/TableViewCell.h"

namespace platform {

std::shared_ptr<TableViewController> TableViewController::create(TableViewStyle style) {
  return make<TableViewController>(style);
}

TableViewController::~TableViewController() = default;

void TableViewController::loadView() {
  auto table = TableView::create(Screen::main().bounds(), style_);
  auto me = self<TableViewController>();
  table->setDataSource(std::static_pointer_cast<TableViewDataSource>(me));
  table->setDelegate(std::static_pointer_cast<TableViewDelegate>(me));
  setView(table);
}

std::shared_ptr<TableView> TableViewController::tableView() {
  return std::dynamic_pointer_cast<TableView>(view());
}

long TableViewController::numberOfRowsInSection(TableView& /*tableView*/, long /*section*/) {
  return 0;
}

std::shared_ptr<TableViewCell> TableViewController::cellForRowAtIndexPath(
    TableView& /*tableView*/, const IndexPath& /*indexPath*/) {
  return nullptr;
}

}  // namespace platform
