// The platform's lists as they look: a table scrolled by a finger to the middle of its sections,
// a grid from the flow layout, and a picker with a chosen row in each wheel.
#include <memory>
#include <string>
#include <vector>

#include "catalog/InterfaceStage.h"
#include "catalog/Scenes.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "platform/ui/scroll/PickerView.h"
#include "platform/ui/scroll/TableView.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

const std::vector<std::string> kClasses = {"小一班", "小二班", "中一班", "中二班", "大一班"};

class ClassRows : public platform::TableViewDataSource {
 public:
  long numberOfSectionsInTableView(platform::TableView&) override {
    return static_cast<long>(kClasses.size());
  }
  long numberOfRowsInSection(platform::TableView&, long) override { return 6; }
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& table, const platform::IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("child");
    if (!cell) {
      cell = platform::TableViewCell::create(platform::TableViewCellStyle::Subtitle, "child");
    }
    cell->textLabel()->setText("小朋友 " + std::to_string(path.section * 6 + path.row + 1));
    cell->detailTextLabel()->setText(path.row % 2 ? "已到园 8:05" : "请假");
    return cell;
  }
  std::optional<std::string> titleForHeaderInSection(platform::TableView&, long section) override {
    return kClasses[static_cast<std::size_t>(section)];
  }
};

class Tiles : public platform::CollectionViewDataSource {
 public:
  long numberOfItemsInSection(platform::CollectionView&, long) override { return 23; }
  std::shared_ptr<platform::CollectionViewCell> cellForItemAtIndexPath(
      platform::CollectionView& grid, const platform::IndexPath& path) override {
    auto cell = grid.dequeueReusableCellWithReuseIdentifier("tile", path);
    static const std::uint32_t kColours[] = {0x81C784, 0x64B5F6, 0xFFB74D, 0xE57373, 0xBA68C8};
    cell->contentView()->setBackgroundColor(Color::hex(kColours[path.row % 5]));
    auto label = std::dynamic_pointer_cast<platform::Label>(cell->contentView()->viewWithTag(7));
    if (!label) {
      label = platform::Label::create(makeRect(0, 0, 80, 80));
      label->setTag(7);
      label->setTextAlignment(platform::TextAlignment::Center);
      label->setTextColor(Color::whiteColor());
      label->setFont(platform::Font::boldSystemFont(20));
      label->setBackgroundColor(Color::clear());
      cell->contentView()->addSubview(label);
    }
    label->setText(std::to_string(path.row + 1));
    return cell;
  }
};

class Wheels : public platform::PickerViewDataSource, public platform::PickerViewDelegate {
 public:
  long numberOfComponentsInPickerView(platform::PickerView&) override { return 2; }
  long numberOfRowsInComponent(platform::PickerView&, long component) override {
    return component == 0 ? static_cast<long>(kClasses.size()) : 24;
  }
  std::optional<std::string> titleForRow(platform::PickerView&, long row, long component) override {
    if (component == 0) return kClasses[static_cast<std::size_t>(row)];
    return std::to_string(row) + " 点";
  }
};

void scrolledTable(Catalog& catalog) {
  InterfaceStage stage(catalog);
  auto rows = std::make_shared<ClassRows>();
  auto table = platform::TableView::create(makeRect(0, 0, 375, 667));
  table->setDataSource(rows);
  stage.window()->addSubview(table);
  table->reloadData();
  stage.drag({180, 600}, -500, 10);
  stage.lift();
  stage.wait(3);
  stage.capture("table-scrolled", "表格被手指拖到中间：分组标题与可见的行（" +
                                      std::to_string(table->cellCount()) + " 个单元格在用）");
}

void flowGrid(Catalog& catalog) {
  InterfaceStage stage(catalog);
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  layout->itemSize = {80, 80};
  layout->minimumLineSpacing = 12;
  layout->minimumInteritemSpacing = 8;
  layout->sectionInset = {16, 16, 16, 16};
  auto grid = platform::CollectionView::create(makeRect(0, 0, 375, 667), layout);
  grid->setBackgroundColor(Color::whiteColor());
  auto tiles = std::make_shared<Tiles>();
  grid->registerCell("tile", [] { return platform::CollectionViewCell::create(); });
  grid->setDataSource(tiles);
  stage.window()->addSubview(grid);
  grid->reloadData();
  stage.wait(0.1);
  stage.capture("flow-grid", "流式布局：80×80 的格子，行距 12，间距 8，四边留白 16");
}

void picker(Catalog& catalog) {
  InterfaceStage stage(catalog);
  auto wheels = std::make_shared<Wheels>();
  auto view = platform::PickerView::create(makeRect(0, 200, 375, 216));
  view->setDataSource(wheels);
  view->setDelegate(wheels);
  stage.window()->addSubview(view);
  stage.wait(0.1);
  view->selectRow(2, 0, false);
  view->selectRow(9, 1, true);
  stage.wait(1);
  stage.capture("picker", "选择器：两列，选中“中一班”和“9 点”");
}

}  // namespace

void scenePlatformLists(Catalog& catalog) {
  scrolledTable(catalog);
  flowGrid(catalog);
  picker(catalog);
}

}  // namespace catalog
