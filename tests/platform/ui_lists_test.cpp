// Tables and grids: their geometry, reuse and refusals, and the lists used with a finger and the
// clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "render_support.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using render_test::pixelAt;

// Sections of given lengths, titled when asked; rows 60 high in section 1 when asked.
class Rows : public TableViewDataSource, public TableViewDelegate {
 public:
  explicit Rows(std::vector<long> lengths) : lengths(std::move(lengths)) {}
  long numberOfSectionsInTableView(TableView&) override {
    return static_cast<long>(lengths.size());
  }
  long numberOfRowsInSection(TableView&, long s) override {
    return lengths[static_cast<std::size_t>(s)];
  }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& t, const IndexPath& p) override {
    auto cell = t.dequeueReusableCellWithIdentifier("row");
    if (!cell) {
      cell = TableViewCell::create(TableViewCellStyle::Default, "row");
      ++made;
    }
    cell->textLabel()->setText(std::to_string(p.section) + "." + std::to_string(p.row));
    return cell;
  }
  std::optional<std::string> titleForHeaderInSection(TableView&, long s) override {
    if (!titled) return std::nullopt;
    return "Section " + std::to_string(s);
  }
  std::optional<double> heightForRowAtIndexPath(TableView&, const IndexPath& p) override {
    if (tallSection1 && p.section == 1) return 60.0;
    return std::nullopt;
  }
  void didSelectRowAtIndexPath(TableView&, const IndexPath& p) override { picked.push_back(p); }

  std::vector<long> lengths;
  bool titled = false;
  bool tallSection1 = false;
  int made = 0;
  std::vector<IndexPath> picked;
};

class UILists : public ui_test::OnWindow {
 protected:
  UILists() : OnWindow(makeRect(0, 0, 375, 667)) {}
  static std::shared_ptr<Image> shot(View& view) {
    RenderOptions options;
    options.scale = 1;
    options.background = Color::whiteColor();
    return renderView(view, options);
  }
};

TEST_F(UILists, TableGeometryFollowsSectionsHeadersAndRowHeights) {
  auto rows = std::make_shared<Rows>(std::vector<long>{3, 0, 2});
  rows->titled = true;
  rows->tallSection1 = true;
  auto table = TableView::create(makeRect(0, 0, 320, 480));
  table->setDataSource(rows);
  table->setDelegate(rows);
  table->reloadData();
  // Plain style: a titled section gets a 22-point header; rows are 44 unless asked.
  EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}), makeRect(0, 22, 320, 44));
  EXPECT_EQ(table->rectForHeaderInSection(1), makeRect(0, 22 + 132, 320, 22));
  EXPECT_EQ(table->rectForRowAtIndexPath({2, 1}), makeRect(0, 22 + 132 + 22 + 22 + 44, 320, 44));
  EXPECT_EQ(table->contentSize().height, 22 + 132 + 22 + 22 + 88);
  EXPECT_EQ(table->indexPathForRowAtPoint({10, 22 + 50}), (IndexPath{0, 1}));
  EXPECT_FALSE(table->indexPathForRowAtPoint({10, 5}).has_value());  // a header
  EXPECT_FALSE(table->indexPathForRowAtPoint({10, 5000}).has_value());
  EXPECT_EQ(table->numberOfRowsInSection(2), 2);
  EXPECT_EQ(table->numberOfRowsInSection(7), 0);
}

TEST_F(UILists, ReuseKeepsTheCellCountBoundedOverTenThousandRows) {
  auto rows = std::make_shared<Rows>(std::vector<long>{10000});
  auto table = TableView::create(makeRect(0, 0, 375, 667));
  window->addSubview(table);
  table->setDataSource(rows);
  table->layoutIfNeeded();  // the first layout loads the data
  EXPECT_EQ(table->contentSize().height, 440000);
  const std::size_t onScreen = table->visibleCells().size();
  EXPECT_EQ(onScreen, 16u);  // 667 / 44, and the one cut at the bottom
  for (double y = 0; y < 440000 - 667; y += 667) {
    table->setContentOffset({0, y});
    table->layoutIfNeeded();
  }
  EXPECT_LE(rows->made, static_cast<int>(2 * onScreen));
  auto last = table->indexPathsForVisibleRows().back();
  EXPECT_GE(last.row, 9980);
  auto cell = table->cellForRowAtIndexPath(last);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->textLabel()->text(), "0." + std::to_string(last.row));
  EXPECT_FALSE(cell->isHidden());
}

TEST_F(UILists, ReloadRecountsAndRunsOnlyItsOwnHooks) {
  auto rows = std::make_shared<Rows>(std::vector<long>{3});
  auto table = TableView::create(makeRect(0, 0, 320, 480));
  table->setDataSource(rows);
  std::vector<double> heightsSeenByHooks;
  auto hook = table->reloadHooks().subscribe(
      [&](TableView& t) { heightsSeenByHooks.push_back(t.contentSize().height); });
  auto other = TableView::create(makeRect(0, 0, 320, 480));  // its reloads are its own
  other->setDataSource(rows);
  table->reloadData();
  other->reloadData();
  rows->lengths = {5};
  table->reloadData();
  EXPECT_EQ(heightsSeenByHooks, (std::vector<double>{132, 220}));
  table->scrollToRowAtIndexPath({0, 4}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table->contentOffset().y, 0);  // 220 fits: nowhere to scroll
}

TEST_F(UILists, ATappedRowIsReportedAndStaysGreyAfterTheListWasDragged) {
  auto rows = std::make_shared<Rows>(std::vector<long>{6, 6, 6, 6, 6});
  rows->titled = true;
  auto table = TableView::create(makeRect(0, 0, 375, 667));
  table->setDataSource(rows);
  table->setDelegate(rows);
  window->addSubview(table);
  table->reloadData();
  drag({180, 600}, {180, 300}, 12);
  advance(3);
  const double offset = table->contentOffset().y;
  ASSERT_GT(offset, 200);
  const IndexPath target{2, 1};
  const Point onScreen{100, midY(table->rectForRowAtIndexPath(target)) - offset};
  ASSERT_GT(onScreen.y, 0);
  ASSERT_LT(onScreen.y, 667);
  const auto before = pixelAt(*shot(*window), 300, static_cast<int>(onScreen.y));

  fingers.tap(onScreen);
  EXPECT_EQ(rows->picked, std::vector<IndexPath>{target});
  EXPECT_EQ(table->indexPathForSelectedRow(), std::optional<IndexPath>(target));
  EXPECT_EQ(table->contentOffset().y, offset);  // a tap does not scroll
  // The row is shaded where nothing is written (right of its text).
  const auto after = pixelAt(*shot(*window), 300, static_cast<int>(onScreen.y));
  EXPECT_GT(before.r, 240);
  EXPECT_LT(after.r, before.r - 10);
  EXPECT_EQ(after.r, after.g);
}

// A tap on a list still moving after a fling stops it and selects nothing; the next tap selects.
TEST_F(UILists, ATapThatStopsAFlingSelectsNoRow) {
  auto rows = std::make_shared<Rows>(std::vector<long>{200});
  auto table = TableView::create(makeRect(0, 0, 375, 667));
  table->setDataSource(rows);
  table->setDelegate(rows);
  window->addSubview(table);
  table->reloadData();
  drag({180, 600}, {180, 200}, 5, Lift::AtOnce);
  advance(0.1);
  ASSERT_TRUE(table->isDecelerating());
  fingers.tap({180, 300});
  const double stopped = table->contentOffset().y;
  advance(1);
  EXPECT_EQ(table->contentOffset().y, stopped);
  EXPECT_TRUE(rows->picked.empty());
  EXPECT_FALSE(table->indexPathForSelectedRow());
  advance(1);  // not a double tap
  fingers.tap({180, 300});
  EXPECT_EQ(rows->picked.size(), 1u);

  // Nor does the tap that stops the list the table sits in.
  auto outer = ScrollView::create(makeRect(0, 0, 375, 667));
  outer->setContentSize({375, 4000});
  window->addSubview(outer);
  table->setFrame(makeRect(0, 1500, 375, 667));
  outer->addSubview(table);
  outer->setContentOffset({0, 1000});
  drag({180, 450}, {180, 250}, 5, Lift::AtOnce);  // above the table
  ASSERT_TRUE(outer->isDecelerating());
  advance(0.05);
  const double tableTop = 1500 - outer->contentOffset().y;
  ASSERT_LT(tableTop, 600);
  fingers.tap({180, std::max(tableTop, 0.0) + 30});
  EXPECT_EQ(rows->picked.size(), 1u);
  EXPECT_FALSE(outer->isDecelerating());
}

// Rows deleted at the end of a list scrolled to its end leave no gap below the last one; under a
// holding finger the list stays put until it is let go.
TEST_F(UILists, RowsDeletedAtTheEndWhileShownLeaveNoGap) {
  auto rows = std::make_shared<Rows>(std::vector<long>{40});
  auto table = TableView::create(makeRect(0, 0, 375, 667));
  table->setDataSource(rows);
  window->addSubview(table);
  table->reloadData();
  table->setContentOffset(table->maximumContentOffset());
  auto lastRowBottom = [&] {
    table->layoutIfNeeded();
    double bottom = 0;
    for (const auto& cell : table->visibleCells()) bottom = std::max(bottom, maxY(cell->frame()));
    return bottom - table->contentOffset().y;
  };
  rows->lengths = {39};
  table->reloadData();
  EXPECT_EQ(table->contentOffset().y, 39 * 44 - 667);
  EXPECT_EQ(lastRowBottom(), 667);
  rows->lengths = {3};  // all but a screenful gone: back to the top
  table->reloadData();
  EXPECT_EQ(table->contentOffset().y, 0);
  table->layoutIfNeeded();
  EXPECT_EQ(table->visibleCells().size(), 3u);

  rows->lengths = {40};
  table->reloadData();
  table->setContentOffset(table->maximumContentOffset());
  drag({180, 300}, {180, 250}, 10, Lift::Never);
  const double held = table->contentOffset().y;
  rows->lengths = {30};
  table->reloadData();
  EXPECT_EQ(table->contentOffset().y, held);
  fingers.end();
  advance(3);
  EXPECT_EQ(table->contentOffset().y, 30 * 44 - 667);
}

// Items of a fixed size (or the delegate's), odd ones blue and even ones green.
class Items : public CollectionViewDataSource, public CollectionViewDelegateFlowLayout {
 public:
  long numberOfSectionsInCollectionView(CollectionView&) override { return sections; }
  long numberOfItemsInSection(CollectionView&, long) override { return items; }
  std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(CollectionView& cv,
                                                             const IndexPath& p) override {
    auto cell = cv.dequeueReusableCellWithReuseIdentifier("item", p);
    cell->contentView()->setBackgroundColor(p.row % 2 ? Color::blue() : Color::green());
    return cell;
  }
  void didSelectItemAtIndexPath(CollectionView&, const IndexPath& p) override {
    picked.push_back(p);
  }
  void willDisplayCell(CollectionView&, CollectionViewCell&, const IndexPath&) override {
    ++displayed;
  }
  std::optional<Size> sizeForItemAtIndexPath(CollectionView&, const IndexPath& p) override {
    return sizer ? std::optional(sizer(p)) : std::nullopt;
  }
  std::optional<double> minimumLineSpacingForSectionAtIndex(CollectionView&, long) override {
    return lineSpacing;
  }
  long sections = 1;
  long items = 7;
  std::function<Size(const IndexPath&)> sizer;
  std::optional<double> lineSpacing;
  std::vector<IndexPath> picked;
  int displayed = 0;
};

std::shared_ptr<CollectionView> makeGrid(const std::shared_ptr<CollectionViewFlowLayout>& layout,
                                         const std::shared_ptr<Items>& items, const Rect& frame) {
  auto cv = CollectionView::create(frame, layout);
  cv->setDataSource(items);
  cv->setDelegate(items);
  cv->registerCell("item", [] { return CollectionViewCell::create(); });
  return cv;
}

// Square items edge to edge, no spacing.
std::shared_ptr<CollectionViewFlowLayout> tightLayout() {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {100, 100};
  layout->minimumLineSpacing = 0;
  layout->minimumInteritemSpacing = 0;
  return layout;
}

// Tables and collections given a top inset before they are sized or loaded rest at it once laid
// out, and stay within their edges as reloads change their length.
TEST_F(UILists, ListsRestWithinTheirInsetsAfterLayoutAndReload) {
  auto rows = std::make_shared<Rows>(std::vector<long>{3});
  auto table = TableView::create();
  table->setContentInset({20, 0, 44, 0});
  table->setDataSource(rows);
  window->addSubview(table);
  table->setFrame(makeRect(0, 0, 375, 667));
  table->layoutIfNeeded();
  EXPECT_EQ(table->contentOffset().y, -20);
  rows->lengths = {60};
  table->reloadData();
  table->setContentOffset(table->maximumContentOffset());
  rows->lengths = {2};
  table->reloadData();
  table->layoutIfNeeded();
  EXPECT_EQ(table->contentOffset().y, -20);
  EXPECT_EQ(table->visibleCells().size(), 2u);

  auto items = std::make_shared<Items>();
  auto grid = makeGrid(tightLayout(), items, {});
  grid->setContentInset({5, 0, 44, 0});
  window->addSubview(grid);
  grid->setFrame(makeRect(0, 0, 375, 667));
  grid->layoutIfNeeded();
  EXPECT_EQ(grid->contentOffset().y, -5);
  items->items = 300;
  grid->reloadData();
  grid->layoutIfNeeded();
  EXPECT_EQ(grid->contentOffset().y, -5);
  grid->setContentOffset(grid->maximumContentOffset());
  items->items = 4;
  grid->reloadData();
  grid->layoutIfNeeded();
  EXPECT_EQ(grid->contentOffset().y, -5);
}

// A row or item outside the list, chosen in code, is not selected: nothing to report later.
TEST_F(UILists, RowsAndItemsOutsideTheListAreNeverSelected) {
  auto rows = std::make_shared<Rows>(std::vector<long>{3});
  auto table = TableView::create(makeRect(0, 0, 320, 480));
  table->setDataSource(rows);
  table->reloadData();
  auto grid = makeGrid(tightLayout(), std::make_shared<Items>(), makeRect(0, 0, 300, 500));
  grid->reloadData();
  for (const IndexPath outside : {IndexPath{0, -1}, IndexPath{0, 3}, IndexPath{-1, 0}}) {
    table->selectRowAtIndexPath(outside, false, TableViewScrollPosition::None);
    EXPECT_FALSE(table->indexPathForSelectedRow()) << outside.section << "." << outside.row;
    grid->selectItemAtIndexPath(outside, false, CollectionViewScrollPositionNone);
    EXPECT_TRUE(grid->indexPathsForSelectedItems().empty())
        << outside.section << "." << outside.row;
  }
}

TEST_F(UILists, FlowLayoutFillsLinesEdgeToEdgeInEitherDirection) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {100, 80};
  layout->sectionInset = {10, 10, 10, 10};
  layout->minimumLineSpacing = 5;
  layout->headerReferenceSize = {0, 30};
  auto items = std::make_shared<Items>();
  items->sections = 2;
  auto cv = makeGrid(layout, items, makeRect(0, 0, 340, 600));
  cv->reloadData();
  // Room 320 across: three items a line, spread to both edges (gap 10).
  auto frame = [&](long s, long i) {
    return layout->layoutAttributesForItemAtIndexPath({s, i})->frame;
  };
  EXPECT_EQ(frame(0, 0), makeRect(10, 40, 100, 80));
  EXPECT_EQ(frame(0, 2), makeRect(230, 40, 100, 80));
  EXPECT_EQ(frame(0, 3), makeRect(10, 125, 100, 80));
  EXPECT_EQ(frame(0, 6), makeRect(120, 210, 100, 80));  // a line of one sits in the middle
  const double sectionLength = 30 + 10 + 3 * 80 + 2 * 5 + 10;
  EXPECT_EQ(frame(1, 0).origin.y, sectionLength + 40);
  EXPECT_EQ(cv->contentSize(), (Size{340, 2 * sectionLength}));
  EXPECT_EQ(cv->indexPathForItemAtPoint({240, 50}), (IndexPath{0, 2}));
  EXPECT_FALSE(cv->indexPathForItemAtPoint({115, 50}).has_value());  // between items

  layout->scrollDirection = CollectionViewScrollDirection::Horizontal;
  layout->headerReferenceSize = {0, 0};
  cv->setFrame(makeRect(0, 0, 300, 190));
  cv->reloadData();
  // Columns of two (room 170 down), filled top to bottom.
  EXPECT_EQ(frame(0, 0), makeRect(10, 10, 100, 80));
  EXPECT_EQ(frame(0, 1), makeRect(10, 100, 100, 80));
  EXPECT_EQ(frame(0, 2), makeRect(115, 10, 100, 80));
  EXPECT_EQ(cv->contentSize().height, 190);
}

TEST_F(UILists, CollectionKeepsOnlyTheItemsInViewOverThreeThousand) {
  auto items = std::make_shared<Items>();
  items->items = 3000;
  auto cv = makeGrid(tightLayout(), items, makeRect(0, 0, 300, 500));
  window->addSubview(cv);
  cv->layoutIfNeeded();
  EXPECT_EQ(cv->visibleCells().size(), 15u);
  for (double y = 0; y < 100000 - 500; y += 500) {
    cv->setContentOffset({0, y});
    cv->layoutIfNeeded();
  }
  EXPECT_LE(cv->cellCount(), 36u);
  cv->scrollToItemAtIndexPath({0, 2999}, CollectionViewScrollPositionBottom, false);
  EXPECT_EQ(cv->contentOffset().y, 100000 - 500);
}

TEST_F(UILists, ATappedTileIsReportedAndADragAcrossTilesSelectsNone) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {80, 80};
  layout->minimumLineSpacing = 12;
  layout->minimumInteritemSpacing = 8;
  layout->sectionInset = {16, 16, 16, 16};
  auto items = std::make_shared<Items>();
  items->items = 23;
  auto grid = makeGrid(layout, items, makeRect(0, 0, 375, 667));
  window->addSubview(grid);
  grid->reloadData();
  advance(0.1);
  auto cell = grid->cellForItemAtIndexPath({0, 5});  // second row, second column
  ASSERT_TRUE(cell);
  const Point centre = cell->convertPointTo({40, 40}, nullptr);
  EXPECT_GT(pixelAt(*shot(*window), int(centre.x), int(centre.y)).b, 200);  // odd tiles are blue
  fingers.tap(centre);
  EXPECT_EQ(items->picked, (std::vector<IndexPath>{{0, 5}}));
  EXPECT_EQ(grid->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 5}}));
  drag(centre, {centre.x, centre.y - 150}, 12);  // a scroll, not a choice
  advance(2);
  EXPECT_EQ(items->picked.size(), 1u);
}

TEST_F(UILists, NonFiniteOffsetsInsetsAndSizesAreRefused) {
  auto layout = tightLayout();
  auto items = std::make_shared<Items>();
  items->items = 2000;
  auto cv = makeGrid(layout, items, makeRect(0, 0, 300, 500));
  window->addSubview(cv);
  cv->setContentOffset({0, 1000});
  cv->layoutIfNeeded();
  const int shown = items->displayed;
  ASSERT_EQ(cv->visibleCells().size(), 15u);
  auto log = std::make_unique<ui_test::CapturedLog>();
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  for (const Point bad : {Point{0, nan}, Point{nan, 0}, Point{0, inf}, Point{-inf, 0}}) {
    cv->setContentOffset(bad);
    cv->setContentOffset(bad, true);
    advance(1);
    cv->layoutIfNeeded();
    EXPECT_EQ(cv->contentOffset(), (Point{0, 1000}));
  }
  EXPECT_EQ(items->displayed, shown);  // not one cell more was built
  EXPECT_EQ(cv->visibleCells().size(), 15u);
  cv->setContentInset({1, 2, 3, 4});
  cv->setContentInset({nan, 0, 0, 0});
  cv->setContentInset({0, 0, inf, 0});
  EXPECT_EQ(cv->contentInset(), (EdgeInsets{1, 2, 3, 4}));
  const Size size = cv->contentSize();
  cv->setContentSize({inf, 10});
  cv->setContentSize({10, nan});
  EXPECT_EQ(cv->contentSize(), size);
  EXPECT_EQ(log->lines.size(), 12u);
  EXPECT_EQ(log->count("non-finite content offset refused"), 8);
  EXPECT_EQ(log->count("non-finite content inset refused"), 2);
  EXPECT_EQ(log->count("non-finite content size refused"), 2);
  log.reset();
  // Bounds moved from outside with a NaN origin show nothing rather than everything.
  Rect moved = cv->bounds();
  moved.origin.y = nan;
  cv->setBounds(moved);
  cv->layoutIfNeeded();
  EXPECT_EQ(items->displayed, shown);
  EXPECT_LE(cv->visibleCells().size(), 15u);
  // A delegate's non-finite size counts as no answer: the layout's own item size.
  items->sizer = [&](const IndexPath& p) { return p.row % 2 ? Size{nan, 50} : Size{50, inf}; };
  cv->setBounds(makeRect(0, 0, 300, 500));
  cv->reloadData();
  EXPECT_EQ(layout->layoutAttributesForItemAtIndexPath({0, 1})->frame.size, (Size{100, 100}));
  EXPECT_EQ(cv->contentSize(), (Size{300, 100 * 667}));
}

TEST_F(UILists, FlowLayoutFindsTheItemsInARectAsAScanWould) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->headerReferenceSize = {20, 20};
  layout->sectionInset = {7, 3, 7, 3};
  auto items = std::make_shared<Items>();
  items->sections = 3;
  items->items = 400;
  // Uneven sizes: lines of different counts and thicknesses, items centred within them.
  items->sizer = [](const IndexPath& p) {
    return Size{30.0 + static_cast<double>((p.row * 37) % 70),
                20.0 + static_cast<double>((p.row * 53 + p.section) % 90)};
  };
  auto cv = makeGrid(layout, items, makeRect(0, 0, 320, 480));
  auto byScan = [&](const Rect& rect) {
    std::set<IndexPath> found;
    for (long s = 0; s < 3; ++s) {
      for (long i = 0; i < 400; ++i) {
        const auto* a = layout->layoutAttributesForItemAtIndexPath({s, i});
        if (a && intersects(a->frame, rect)) found.insert(a->indexPath);
      }
    }
    return found;
  };
  // Overlapping lines (negative spacing) are out of order along the axis, and still found.
  for (const bool vertical : {true, false}) {
    for (const double spacing : {4.0, 0.0, -60.0}) {
      layout->scrollDirection = vertical ? CollectionViewScrollDirection::Vertical
                                         : CollectionViewScrollDirection::Horizontal;
      items->lineSpacing = spacing;
      cv->reloadData();
      const Size content = layout->collectionViewContentSize();
      for (double at = -50; at < (vertical ? content.height : content.width) + 50; at += 97.5) {
        for (const Rect rect : {vertical ? makeRect(0, at, 320, 480) : makeRect(at, 0, 320, 480),
                                vertical ? makeRect(40, at, 90, 1) : makeRect(at, 40, 1, 90),
                                vertical ? makeRect(0, at, 320, -120) : makeRect(at, 0, -120, 480),
                                vertical ? makeRect(0, at, 320, 0) : makeRect(at, 0, 0, 480)}) {
          std::set<IndexPath> found;
          for (const auto* a : layout->layoutAttributesForElementsInRect(rect)) {
            if (a->isCell()) {
              EXPECT_TRUE(found.insert(a->indexPath).second);
            }
          }
          ASSERT_EQ(found, byScan(rect))
              << "spacing " << spacing << " rect " << rect.origin.x << "," << rect.origin.y << " "
              << rect.size.width << "x" << rect.size.height;
        }
      }
    }
  }
}

}  // namespace
}  // namespace platform
