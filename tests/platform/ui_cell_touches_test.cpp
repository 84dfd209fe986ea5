// What a finger inside a list's cell reaches: the cell's own views first, selection last.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

// Every cell, of a table or a collection, holds the same three things in its 100 x 100 top left
// corner: a badge with a tap (60, 0, 40, 40), a button (0, 60, 40, 40), and a picture that
// knows single from double taps (0, 0, 40, 40). Everything it hears goes to one log.
struct CellContents {
  std::vector<std::string> log;

  void fill(View& content, const std::string& name) {
    auto badge = View::create(makeRect(60, 0, 40, 40));
    badge->addGestureRecognizer(
        TapGestureRecognizer::create([this, name](GestureRecognizer&) { note("badge " + name); }));
    content.addSubview(badge);
    auto button = Button::create(makeRect(0, 60, 40, 40));
    button->addTarget([this, name](Control&) { note("button " + name); },
                      ControlEventTouchUpInside);
    content.addSubview(button);
    auto picture = View::create(makeRect(0, 0, 40, 40));
    auto twice =
        TapGestureRecognizer::create([this, name](GestureRecognizer&) { note("double " + name); });
    twice->setNumberOfTapsRequired(2);
    auto once =
        TapGestureRecognizer::create([this, name](GestureRecognizer&) { note("single " + name); });
    once->requireGestureRecognizerToFail(twice);
    picture->addGestureRecognizer(twice);
    picture->addGestureRecognizer(once);
    content.addSubview(picture);
  }
  void note(std::string what) { log.push_back(std::move(what)); }
};

class Grid : public CollectionViewDataSource, public CollectionViewDelegateFlowLayout {
 public:
  long numberOfItemsInSection(CollectionView&, long) override { return 6; }
  std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(CollectionView& cv,
                                                             const IndexPath& p) override {
    auto cell = cv.dequeueReusableCellWithReuseIdentifier("cell", p);
    boundsWhenConfigured.push_back(cell->bounds());
    if (cell->contentView()->subviews().empty()) {
      contents.fill(*cell->contentView(), std::to_string(p.row));
    }
    return cell;
  }
  std::shared_ptr<CollectionReusableView> viewForSupplementaryElementOfKind(
      CollectionView& cv, const std::string& kind, const IndexPath& p) override {
    auto footer = cv.dequeueReusableSupplementaryView(kind, "footer", p);
    footerBoundsWhenConfigured.push_back(footer->bounds());
    return footer;
  }
  void didSelectItemAtIndexPath(CollectionView&, const IndexPath& p) override {
    contents.note("select " + std::to_string(p.row));
  }
  std::optional<Size> referenceSizeForFooterInSection(CollectionView&, long) override {
    return Size{320, 30};
  }

  CellContents contents;
  std::vector<Rect> boundsWhenConfigured;
  std::vector<Rect> footerBoundsWhenConfigured;
};

class Rows : public TableViewDataSource, public TableViewDelegate {
 public:
  long numberOfRowsInSection(TableView&, long) override { return 4; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& t, const IndexPath& p) override {
    auto cell = t.dequeueReusableCellWithIdentifier("row");
    if (!cell) {
      cell = TableViewCell::create(TableViewCellStyle::Default, "row");
      contents.fill(*cell->contentView(), std::to_string(p.row));
    }
    return cell;
  }
  std::optional<double> heightForRowAtIndexPath(TableView&, const IndexPath&) override {
    return 120.0;
  }
  void didSelectRowAtIndexPath(TableView&, const IndexPath& p) override {
    contents.note("select " + std::to_string(p.row));
  }

  CellContents contents;
};

class UICellTouches : public ui_test::OnWindow {
 protected:
  // A tap, and the time for a second one to have come.
  void tap(Point p) {
    fingers.tap(p);
    advance(TapGestureRecognizer::kMaximumTapInterval + 0.05);
  }
  void doubleTap(Point p) {
    fingers.tap(p);
    advance(0.1);
    tap(p);
  }
};

// Cells of 100 x 100 on a 320-wide list: items 0, 1, 2 in the first row, 110 apart.
std::shared_ptr<CollectionView> makeGrid(const std::shared_ptr<Grid>& grid) {
  auto layout = std::make_shared<CollectionViewFlowLayout>();
  layout->itemSize = {100, 100};
  layout->minimumInteritemSpacing = 10;
  layout->minimumLineSpacing = 10;
  auto cv = CollectionView::create(makeRect(0, 0, 320, 480), layout);
  cv->registerCell("cell", [] { return CollectionViewCell::create(); });
  cv->registerSupplementaryView(kCollectionElementKindSectionFooter, "footer",
                                [] { return CollectionReusableView::create(); });
  cv->setDataSource(grid);
  cv->setDelegate(grid);
  return cv;
}

TEST_F(UICellTouches, ACollectionSelectsOnlyWhatNothingInsideTheCellTook) {
  auto grid = std::make_shared<Grid>();
  auto cv = makeGrid(grid);
  window->addSubview(cv);
  cv->layoutIfNeeded();
  // Cells and footers come dequeued at the size of their element, so content laid out then keeps
  // its place once the cell shows.
  ASSERT_FALSE(grid->boundsWhenConfigured.empty());
  for (const Rect& b : grid->boundsWhenConfigured) EXPECT_EQ(b, makeRect(0, 0, 100, 100));
  EXPECT_EQ(grid->footerBoundsWhenConfigured, std::vector<Rect>{makeRect(0, 0, 320, 30)});
  auto cell = cv->cellForItemAtIndexPath({0, 4});
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->frame(), makeRect(110, 110, 100, 100));
  EXPECT_EQ(cell->contentView()->subviews()[0]->frame(), makeRect(60, 0, 40, 40));

  auto& log = grid->contents.log;
  tap({80, 20});         // item 0's badge
  tap({20, 80});         // its button
  tap({130, 20});        // item 1's picture, once
  doubleTap({130, 20});  // and twice
  EXPECT_EQ(log, (std::vector<std::string>{"badge 0", "button 0", "single 1", "double 1"}));
  EXPECT_TRUE(cv->indexPathsForSelectedItems().empty());
  tap({270, 50});  // item 2 where nothing of its own lies
  tap({50, 170});  // item 3 likewise
  EXPECT_EQ(std::vector<std::string>(log.begin() + 4, log.end()),
            (std::vector<std::string>{"select 2", "select 3"}));
  EXPECT_EQ(cv->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 3}}));
  // A button dragged off and released outside still keeps the touch from selection.
  fingers.begin({20, 170});
  fingers.move({100, 170});
  fingers.end();
  advance(1);
  EXPECT_EQ(log.size(), 6u);
}

TEST_F(UICellTouches, ATableFollowsTheSameRule) {
  auto rows = std::make_shared<Rows>();
  auto table = TableView::create(makeRect(0, 0, 320, 480));
  table->setDataSource(rows);
  table->setDelegate(rows);
  window->addSubview(table);
  table->layoutIfNeeded();
  auto& log = rows->contents.log;
  tap({80, 120 + 20});
  tap({20, 120 + 80});
  tap({20, 120 + 20});
  tap({200, 120 + 60});
  EXPECT_EQ(log, (std::vector<std::string>{"badge 1", "button 1", "single 1", "select 1"}));
  EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 1}));
}

}  // namespace
}  // namespace platform
