#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/ui/Label.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/PageControl.h"
#include "platform/ui/scroll/PickerView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui_support.h"

namespace platform {
namespace {

// Sections of given lengths; rows 60 high in section 1 when asked.
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

class UILists : public ui_test::UITest {
 protected:
  UILists() { window->makeKeyAndVisible(); }
  std::shared_ptr<Window> window = Window::create(makeRect(0, 0, 375, 667));
  TouchDriver fingers{window};
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
  EXPECT_LE(table->cellCount(), 2 * onScreen);
  EXPECT_LE(rows->made, static_cast<int>(2 * onScreen));
  auto last = table->indexPathsForVisibleRows().back();
  EXPECT_GE(last.row, 9980);
  auto cell = table->cellForRowAtIndexPath(last);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->textLabel()->text(), "0." + std::to_string(last.row));
  EXPECT_FALSE(cell->isHidden());
}

TEST_F(UILists, ReloadRecountsRunsHooksAndATapSelects) {
  auto rows = std::make_shared<Rows>(std::vector<long>{3});
  auto table = TableView::create(makeRect(0, 0, 320, 480));
  window->addSubview(table);
  table->setDataSource(rows);
  table->setDelegate(rows);
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
  table->layoutIfNeeded();
  fingers.tap({100, 44 * 2 + 10});
  ASSERT_EQ(rows->picked.size(), 1u);
  EXPECT_EQ(rows->picked[0], (IndexPath{0, 2}));
  EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 2}));
  EXPECT_TRUE(table->cellForRowAtIndexPath({0, 2})->isSelected());
  table->scrollToRowAtIndexPath({0, 4}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table->contentOffset().y, 0);  // 220 fits: nowhere to scroll
}

// Items of a fixed size in sections with insets and headers.
class Items : public CollectionViewDataSource, public CollectionViewDelegateFlowLayout {
 public:
  long numberOfSectionsInCollectionView(CollectionView&) override { return sections; }
  long numberOfItemsInSection(CollectionView&, long) override { return items; }
  std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(CollectionView& cv,
                                                             const IndexPath& p) override {
    return cv.dequeueReusableCellWithReuseIdentifier("item", p);
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

TEST_F(UILists, FlowLayoutFillsLinesEdgeToEdgeInEitherDirection) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {100, 80};
  layout->sectionInset = {10, 10, 10, 10};
  layout->minimumLineSpacing = 5;
  layout->headerReferenceSize = {0, 30};
  auto items = std::make_shared<Items>();
  items->sections = 2;
  auto cv = CollectionView::create(makeRect(0, 0, 340, 600), layout);
  cv->setDataSource(items);
  cv->setDelegate(items);
  cv->registerCell("item", [] { return CollectionViewCell::create(); });
  cv->reloadData();
  // Room 320 across: three items a line, spread to both edges (gap 10).
  auto frame = [&](long s, long i) {
    return layout->layoutAttributesForItemAtIndexPath({s, i})->frame;
  };
  EXPECT_EQ(frame(0, 0), makeRect(10, 40, 100, 80));
  EXPECT_EQ(frame(0, 2), makeRect(230, 40, 100, 80));
  EXPECT_EQ(frame(0, 3), makeRect(10, 125, 100, 80));
  // A line of one item sits in the middle.
  EXPECT_EQ(frame(0, 6), makeRect(120, 210, 100, 80));
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

TEST_F(UILists, CollectionShowsOnlyItemsInViewAndSelectsOnTap) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {100, 100};
  layout->minimumLineSpacing = 0;
  layout->minimumInteritemSpacing = 0;
  auto items = std::make_shared<Items>();
  items->items = 3000;
  auto cv = CollectionView::create(makeRect(0, 0, 300, 500), layout);
  window->addSubview(cv);
  cv->setDataSource(items);
  cv->setDelegate(items);
  cv->registerCell("item", [] { return CollectionViewCell::create(); });
  cv->layoutIfNeeded();
  EXPECT_EQ(cv->visibleCells().size(), 15u);
  for (double y = 0; y < 100000 - 500; y += 500) {
    cv->setContentOffset({0, y});
    cv->layoutIfNeeded();
  }
  EXPECT_LE(cv->cellCount(), 36u);
  cv->setContentOffset({0, 0});
  cv->layoutIfNeeded();
  fingers.tap({150, 250});
  ASSERT_EQ(items->picked.size(), 1u);
  EXPECT_EQ(items->picked[0], (IndexPath{0, 7}));
  cv->scrollToItemAtIndexPath({0, 2999}, CollectionViewScrollPositionBottom, false);
  EXPECT_EQ(cv->contentOffset().y, 100000 - 500);
}

TEST_F(UILists, NonFiniteOffsetsInsetsAndSizesAreRefused) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {100, 100};
  layout->minimumLineSpacing = 0;
  layout->minimumInteritemSpacing = 0;
  auto items = std::make_shared<Items>();
  items->items = 2000;
  auto cv = CollectionView::create(makeRect(0, 0, 300, 500), layout);
  window->addSubview(cv);
  cv->setDataSource(items);
  cv->setDelegate(items);
  cv->registerCell("item", [] { return CollectionViewCell::create(); });
  cv->setContentOffset({0, 1000});
  cv->layoutIfNeeded();
  const int shown = items->displayed;
  ASSERT_EQ(cv->visibleCells().size(), 15u);
  std::vector<std::string> warnings;
  setLogSink([&](LogLevel, std::string_view, std::string_view message) {
    warnings.emplace_back(message);
  });
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
  setLogSink(nullptr);
  ASSERT_EQ(warnings.size(), 12u);
  EXPECT_EQ(warnings[0], "non-finite content offset refused");
  EXPECT_EQ(warnings[8], "non-finite content inset refused");
  EXPECT_EQ(warnings[11], "non-finite content size refused");
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

// Every cell meeting `rect`, by looking at each one.
std::set<IndexPath> cellsByScan(const CollectionViewFlowLayout& layout, long sections, long items,
                                const Rect& rect) {
  std::set<IndexPath> found;
  for (long s = 0; s < sections; ++s) {
    for (long i = 0; i < items; ++i) {
      const auto* a = layout.layoutAttributesForItemAtIndexPath({s, i});
      if (a && intersects(a->frame, rect)) found.insert(a->indexPath);
    }
  }
  return found;
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
  auto cv = CollectionView::create(makeRect(0, 0, 320, 480), layout);
  cv->setDataSource(items);
  cv->setDelegate(items);
  cv->registerCell("item", [] { return CollectionViewCell::create(); });
  // Overlapping lines (negative spacing) are out of order along the axis, and still found.
  for (const auto direction :
       {CollectionViewScrollDirection::Vertical, CollectionViewScrollDirection::Horizontal}) {
    for (const double spacing : {4.0, 0.0, -60.0}) {
      layout->scrollDirection = direction;
      items->lineSpacing = spacing;
      cv->reloadData();
      const Size content = layout->collectionViewContentSize();
      const double length =
          direction == CollectionViewScrollDirection::Vertical ? content.height : content.width;
      for (double at = -50; at < length + 50; at += 97.5) {
        const bool vertical = direction == CollectionViewScrollDirection::Vertical;
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
          ASSERT_EQ(found, cellsByScan(*layout, 3, 400, rect))
              << "spacing " << spacing << " rect " << rect.origin.x << "," << rect.origin.y << " "
              << rect.size.width << "x" << rect.size.height;
        }
      }
    }
  }
}

class Wheels : public PickerViewDataSource, public PickerViewDelegate {
 public:
  long numberOfComponentsInPickerView(PickerView&) override { return 2; }
  long numberOfRowsInComponent(PickerView&, long c) override { return c == 0 ? 100 : 24; }
  std::optional<std::string> titleForRow(PickerView&, long row, long c) override {
    return std::to_string(c) + ":" + std::to_string(row);
  }
  std::optional<double> widthForComponent(PickerView&, long c) override {
    return c == 0 ? 140.0 : 60.0;
  }
  void didSelectRow(PickerView&, long row, long c) override { picked.emplace_back(row, c); }
  std::vector<std::pair<long, long>> picked;
};

TEST_F(UILists, PickerSelectsAtOnceInCodeAndReportsOnlyTheUsersChoices) {
  auto wheels = std::make_shared<Wheels>();
  auto picker = PickerView::create(makeRect(0, 100, 320, 216));
  window->addSubview(picker);
  picker->setDataSource(wheels);
  picker->setDelegate(wheels);
  picker->layoutIfNeeded();
  ASSERT_EQ(picker->numberOfComponents(), 2);
  EXPECT_EQ(picker->rowSizeForComponent(0), (Size{140, PickerView::kDefaultRowHeight}));
  EXPECT_EQ(picker->selectedRowInComponent(0), 0);
  picker->selectRow(50, 0, true);
  EXPECT_EQ(picker->selectedRowInComponent(0), 50);  // before the scroll has moved
  advance(1);
  EXPECT_TRUE(wheels->picked.empty());
  auto table = picker->tableForComponent(0);
  EXPECT_EQ(table->contentOffset().y, 50 * 32 - (216 - 32) / 2.0);
  // The user drags the wheel up by about three rows and lets go: it settles on a whole row.
  const double x = table->frame().origin.x + 70;
  fingers.begin({x, 250});
  for (int i = 1; i <= 10; ++i) {
    advance(1.0 / 60);
    fingers.move({x, 250 - 10.0 * i});
  }
  advance(0.3);
  fingers.end();
  advance(5);
  ASSERT_EQ(wheels->picked.size(), 1u);
  const long row = wheels->picked[0].first;
  EXPECT_GT(row, 50);
  EXPECT_LT(row, 55);
  EXPECT_EQ(picker->selectedRowInComponent(0), row);
  EXPECT_EQ(table->contentOffset().y, row * 32 - (216 - 32) / 2.0);
}

// The second wheel shows views of its own, tagged with their row.
class ViewWheels : public Wheels {
 public:
  std::shared_ptr<View> viewForRow(PickerView&, long row, long c,
                                   const std::shared_ptr<View>& reusing) override {
    if (c != 1) return nullptr;
    reused += reusing != nullptr;
    auto view = reusing ? reusing : View::create();
    view->setTag(row);
    return view;
  }
  int reused = 0;
};

TEST_F(UILists, PickerRowsShowTheDelegatesViewsAndHandThemBackForReuse) {
  auto wheels = std::make_shared<ViewWheels>();
  auto picker = PickerView::create(makeRect(0, 100, 320, 216));
  window->addSubview(picker);
  picker->setDataSource(wheels);
  picker->setDelegate(wheels);
  picker->layoutIfNeeded();
  ASSERT_NE(picker->viewForRow(2, 1), nullptr);
  EXPECT_EQ(picker->viewForRow(2, 1)->tag(), 2);
  EXPECT_NE(dynamic_cast<TableViewCell*>(picker->viewForRow(2, 0).get()), nullptr);
  EXPECT_EQ(wheels->reused, 0);
  picker->selectRow(20, 1, false);
  picker->tableForComponent(1)->layoutIfNeeded();
  EXPECT_GT(wheels->reused, 0);
  auto shown = picker->viewForRow(20, 1);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->tag(), 20);
  EXPECT_NE(shown->superview(), nullptr);
  EXPECT_EQ(picker->viewForRow(2, 1), nullptr);  // off screen now
}

TEST_F(UILists, PageControlStepsByHalvesAndSizesItsDots) {
  auto pages = PageControl::create(makeRect(0, 0, 200, 37));
  window->addSubview(pages);
  pages->setNumberOfPages(5);
  pages->setCurrentPage(9);
  EXPECT_EQ(pages->currentPage(), 4);
  int changes = 0;
  pages->addTarget([&](Control&) { ++changes; }, ControlEventValueChanged);
  fingers.tap({20, 18});
  EXPECT_EQ(pages->currentPage(), 3);
  fingers.tap({180, 18});
  fingers.tap({180, 18});
  EXPECT_EQ(pages->currentPage(), 4);  // already at the last page the second time
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(PageControl::sizeForNumberOfPages(5), (Size{5 * 7 + 4 * 9, 37}));
  EXPECT_EQ(PageControl::sizeForNumberOfPages(0).width, 0);
}

}  // namespace
}  // namespace platform
