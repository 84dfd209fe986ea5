// The table, the grid and the picker of the lists screen, used only with a finger and the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "platform/ui/scroll/PickerView.h"
#include "platform/ui/scroll/TableView.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

using render_test::pixelAt;

const std::vector<std::string> kClasses = {"小一班", "小二班", "中一班", "中二班", "大一班"};

class Roster : public TableViewDataSource, public TableViewDelegate {
 public:
  long numberOfSectionsInTableView(TableView&) override { return 5; }
  long numberOfRowsInSection(TableView&, long) override { return 6; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table,
                                                       const IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("child");
    if (!cell) cell = TableViewCell::create(TableViewCellStyle::Subtitle, "child");
    cell->textLabel()->setText("小朋友 " + std::to_string(path.section * 6 + path.row + 1));
    cell->detailTextLabel()->setText(path.row % 2 ? "已到园 8:05" : "请假");
    return cell;
  }
  std::optional<std::string> titleForHeaderInSection(TableView&, long section) override {
    return kClasses[static_cast<std::size_t>(section)];
  }
  void didSelectRowAtIndexPath(TableView&, const IndexPath& path) override {
    picked.push_back(path);
  }
  std::vector<IndexPath> picked;
};

class Tiles : public CollectionViewDataSource, public CollectionViewDelegate {
 public:
  long numberOfItemsInSection(CollectionView&, long) override { return 23; }
  std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(CollectionView& grid,
                                                             const IndexPath& path) override {
    auto cell = grid.dequeueReusableCellWithReuseIdentifier("tile", path);
    cell->contentView()->setBackgroundColor(path.row % 2 ? Color::blue() : Color::green());
    return cell;
  }
  void didSelectItemAtIndexPath(CollectionView&, const IndexPath& path) override {
    picked.push_back(path);
  }
  std::vector<IndexPath> picked;
};

class Wheels : public PickerViewDataSource, public PickerViewDelegate {
 public:
  long numberOfComponentsInPickerView(PickerView&) override { return 2; }
  long numberOfRowsInComponent(PickerView&, long component) override {
    return component == 0 ? 5 : 24;
  }
  std::optional<std::string> titleForRow(PickerView&, long row, long component) override {
    if (component == 0) return kClasses[static_cast<std::size_t>(row)];
    return std::to_string(row) + " 点";
  }
  void didSelectRow(PickerView&, long row, long component) override {
    picked.emplace_back(row, component);
  }
  std::vector<std::pair<long, long>> picked;
};

class ListJourneys : public ui_test::UITest {
 protected:
  ListJourneys() { window->makeKeyAndVisible(); }

  // A finger drawn from `from` to `to` over `steps` frames; held still before it lifts, so
  // nothing is flung.
  void drag(Point from, Point to, int steps = 12) {
    fingers.begin(from);
    for (int i = 1; i <= steps; ++i) {
      advance(1.0 / 60);
      const double f = static_cast<double>(i) / steps;
      fingers.move({from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    advance(0.3);
    fingers.end();
  }
  std::shared_ptr<Image> shot(View& view) {
    RenderOptions options;
    options.scale = 1;
    options.background = Color::whiteColor();
    return renderView(view, options);
  }

  ui_test::ScopedScreenBounds screen{makeRect(0, 0, 375, 667)};
  std::shared_ptr<Window> window = Window::create(makeRect(0, 0, 375, 667));
  TouchDriver fingers{window};
};

TEST_F(ListJourneys, ATappedRowIsReportedAndStaysGreyAfterTheListWasDragged) {
  auto roster = std::make_shared<Roster>();
  auto table = TableView::create(makeRect(0, 0, 375, 667));
  table->setDataSource(roster);
  table->setDelegate(roster);
  window->addSubview(table);
  table->reloadData();
  drag({180, 600}, {180, 300});
  advance(3);
  const double offset = table->contentOffset().y;
  ASSERT_GT(offset, 200);
  const IndexPath target{2, 1};
  const Rect row = table->rectForRowAtIndexPath(target);
  const Point onScreen{100, midY(row) - offset};
  ASSERT_GT(onScreen.y, 0);
  ASSERT_LT(onScreen.y, 667);
  const auto before = pixelAt(*shot(*window), 300, static_cast<int>(onScreen.y));

  fingers.tap(onScreen);
  ASSERT_EQ(roster->picked.size(), 1u);
  EXPECT_EQ(roster->picked[0], target);
  EXPECT_EQ(table->indexPathForSelectedRow(), std::optional<IndexPath>(target));
  EXPECT_EQ(table->contentOffset().y, offset);  // a tap does not scroll
  // The row is shaded where nothing is written (right of its texts).
  const auto after = pixelAt(*shot(*window), 300, static_cast<int>(onScreen.y));
  EXPECT_GT(before.r, 240);
  EXPECT_LT(after.r, before.r - 10);
  EXPECT_EQ(after.r, after.g);
}

TEST_F(ListJourneys, ATappedTileIsReportedAndADragAcrossTilesSelectsNone) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {80, 80};
  layout->minimumLineSpacing = 12;
  layout->minimumInteritemSpacing = 8;
  layout->sectionInset = {16, 16, 16, 16};
  auto grid = CollectionView::create(makeRect(0, 0, 375, 667), layout);
  auto tiles = std::make_shared<Tiles>();
  grid->registerCell("tile", [] { return CollectionViewCell::create(); });
  grid->setDataSource(tiles);
  grid->setDelegate(tiles);
  window->addSubview(grid);
  grid->reloadData();
  advance(0.1);
  // The sixth tile (second row, second column) under the finger.
  auto cell = grid->cellForItemAtIndexPath({0, 5});
  ASSERT_TRUE(cell);
  const Point centre = cell->convertPointTo({40, 40}, nullptr);
  const auto colour =
      pixelAt(*shot(*window), static_cast<int>(centre.x), static_cast<int>(centre.y));
  EXPECT_GT(colour.b, 200);  // odd tiles are blue
  fingers.tap(centre);
  ASSERT_EQ(tiles->picked.size(), 1u);
  EXPECT_EQ(tiles->picked[0], (IndexPath{0, 5}));
  EXPECT_EQ(grid->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 5}}));

  drag(centre, {centre.x, centre.y - 150});  // a scroll, not a choice
  advance(2);
  EXPECT_EQ(tiles->picked.size(), 1u);
}

TEST_F(ListJourneys, ASpunWheelSettlesOnARowAndLooksAsIfChosenInCode) {
  auto wheels = std::make_shared<Wheels>();
  auto picker = PickerView::create(makeRect(0, 200, 375, 216));
  picker->setDataSource(wheels);
  picker->setDelegate(wheels);
  window->addSubview(picker);
  advance(0.1);
  const Rect hours =
      picker->tableForComponent(1)->convertRectTo(picker->tableForComponent(1)->bounds(), nullptr);
  const double x = midX(hours), y = midY(hours);
  const double row = PickerView::kDefaultRowHeight;
  // Three rows up on the hour wheel, then one row back on the class wheel (which stays at 0).
  drag({x, y + 40}, {x, y + 40 - 3 * row});
  advance(2);
  EXPECT_EQ(picker->selectedRowInComponent(1), 3);
  const Rect classes =
      picker->tableForComponent(0)->convertRectTo(picker->tableForComponent(0)->bounds(), nullptr);
  drag({midX(classes), y}, {midX(classes), y + row});
  advance(2);
  EXPECT_EQ(picker->selectedRowInComponent(0), 0);
  EXPECT_EQ(wheels->picked, (std::vector<std::pair<long, long>>{{3, 1}, {0, 0}}));

  // A fling runs on and still comes to rest on a whole row.
  fingers.begin({x, y + 60});
  for (int i = 1; i <= 4; ++i) {
    advance(1.0 / 60);
    fingers.move({x, y + 60 - 25.0 * i});
  }
  fingers.end();
  advance(5);
  const long flung = picker->selectedRowInComponent(1);
  EXPECT_GT(flung, 5);
  ASSERT_EQ(wheels->picked.size(), 3u);
  EXPECT_EQ(wheels->picked.back(), std::make_pair(flung, 1L));

  // What the person sees is what choosing those rows in code shows.
  auto twin = PickerView::create(makeRect(0, 200, 375, 216));
  twin->setDataSource(wheels);
  twin->setDelegate(wheels);
  auto other = Window::create(makeRect(0, 0, 375, 667));
  other->addSubview(twin);
  twin->layoutIfNeeded();
  twin->selectRow(flung, 1, false);
  const auto mine = shot(*picker), theirs = shot(*twin);
  ASSERT_EQ(mine->bitmap()->width(), theirs->bitmap()->width());
  int differing = 0;
  for (int py = 0; py < mine->bitmap()->height(); ++py) {
    for (int px = 0; px < mine->bitmap()->width(); ++px) {
      differing += mine->bitmap()->pixel(px, py) != theirs->bitmap()->pixel(px, py);
    }
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace platform
