// Pickers and page controls: wheels spun by a finger, their titles and row views, dots stepped
// by taps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/scroll/PageControl.h"
#include "platform/ui/scroll/PickerView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using ui_test::differingPixels;
using ui_test::renderTree;

class UIPickers : public ui_test::OnWindow {
 protected:
  UIPickers() : OnWindow(makeRect(0, 0, 375, 667)) {}
};

// Two wheels, 140 and 60 wide; the first's even rows carry attributed titles.
class Wheels : public PickerViewDataSource, public PickerViewDelegate {
 public:
  long numberOfComponentsInPickerView(PickerView&) override { return 2; }
  long numberOfRowsInComponent(PickerView&, long c) override { return c == 0 ? 100 : 24; }
  std::optional<std::string> titleForRow(PickerView&, long row, long c) override {
    return std::to_string(c) + ":" + std::to_string(row);
  }
  std::optional<AttributedString> attributedTitleForRow(PickerView&, long row, long c) override {
    if (c != 0 || row % 2) return std::nullopt;
    AttributedString title("今天 " + std::to_string(row),
                           TextAttributes{std::nullopt, Color::red()});
    title.setAlignment(TextAlignment::Right);
    return title;
  }
  std::optional<double> widthForComponent(PickerView&, long c) override {
    return c == 0 ? 140.0 : 60.0;
  }
  void didSelectRow(PickerView&, long row, long c) override { picked.emplace_back(row, c); }
  std::vector<std::pair<long, long>> picked;
};

TEST_F(UIPickers, ASpunWheelSettlesOnARowAndLooksAsIfChosenInCode) {
  auto wheels = std::make_shared<Wheels>();
  auto picker = PickerView::create(makeRect(0, 200, 375, 216));
  picker->setDataSource(wheels);
  picker->setDelegate(wheels);
  window->addSubview(picker);
  advance(0.1);
  auto onScreen = [&](long c) {
    return picker->tableForComponent(c)->convertRectTo(picker->tableForComponent(c)->bounds(),
                                                       nullptr);
  };
  const double x = midX(onScreen(1)), y = midY(onScreen(1));
  const double row = PickerView::kDefaultRowHeight;
  // Three rows up on the second wheel, then one row back on the first (which stays at 0).
  drag({x, y + 40}, {x, y + 40 - 3 * row}, 12);
  advance(2);
  EXPECT_EQ(picker->selectedRowInComponent(1), 3);
  drag({midX(onScreen(0)), y}, {midX(onScreen(0)), y + row}, 12);
  advance(2);
  EXPECT_EQ(picker->selectedRowInComponent(0), 0);
  EXPECT_EQ(wheels->picked, (std::vector<std::pair<long, long>>{{3, 1}, {0, 0}}));

  // A fling runs on and still comes to rest on a whole row.
  drag({x, y + 60}, {x, y - 40}, 4, Lift::AtOnce);
  advance(5);
  const long flung = picker->selectedRowInComponent(1);
  EXPECT_GT(flung, 5);
  ASSERT_EQ(wheels->picked.size(), 3u);
  EXPECT_EQ(wheels->picked.back(), std::make_pair(flung, 1L));

  // Chosen in code the row is selected at once and never reported, and it looks the same.
  auto twin = PickerView::create(makeRect(0, 200, 375, 216));
  twin->setDataSource(wheels);
  twin->setDelegate(wheels);
  auto other = Window::create(makeRect(0, 0, 375, 667));
  other->addSubview(twin);
  twin->layoutIfNeeded();
  twin->selectRow(flung, 1, true);
  EXPECT_EQ(twin->selectedRowInComponent(1), flung);  // before the scroll has moved
  advance(1);
  EXPECT_EQ(wheels->picked.size(), 3u);
  EXPECT_EQ(twin->tableForComponent(1)->contentOffset().y, flung * row - (216 - row) / 2);
  EXPECT_EQ(differingPixels(*renderTree(*picker), *renderTree(*twin)), 0);

  // Stopped mid-spin by a tap, it comes to rest on a whole row and reports it.
  drag({x, y + 60}, {x, y - 40}, 4, Lift::AtOnce);
  advance(0.1);
  ASSERT_TRUE(picker->tableForComponent(1)->isDecelerating());
  fingers.tap({x, y});
  advance(1);
  const long caught = picker->selectedRowInComponent(1);
  EXPECT_GT(caught, flung);
  EXPECT_EQ(picker->tableForComponent(1)->contentOffset().y, caught * row - (216 - row) / 2);
  ASSERT_EQ(wheels->picked.size(), 4u);
  EXPECT_EQ(wheels->picked.back(), std::make_pair(caught, 1L));
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

TEST_F(UIPickers, PickerRowsShowAttributedTitlesOrTheDelegatesViewsAndReuseThemClean) {
  auto wheels = std::make_shared<ViewWheels>();
  auto picker = PickerView::create(makeRect(0, 0, 320, 216));
  window->addSubview(picker);
  picker->setDataSource(wheels);
  picker->setDelegate(wheels);
  picker->layoutIfNeeded();
  EXPECT_EQ(picker->rowSizeForComponent(0), (Size{140, PickerView::kDefaultRowHeight}));
  auto cell = [&](long row) {
    return picker->tableForComponent(0)->cellForRowAtIndexPath({0, row});
  };
  auto colourOf = [&](long row) {
    return cell(row)->textLabel()->attributedText().attributesAt(0).foregroundColor.value_or(
        Color::clear());
  };
  auto alignmentOf = [&](long row) {
    auto label = cell(row)->textLabel();
    return label->attributedText().alignment().value_or(label->textAlignment());
  };
  EXPECT_EQ(picker->viewForRow(2, 0), cell(2));
  EXPECT_EQ(cell(2)->textLabel()->text(), "今天 2");
  EXPECT_EQ(colourOf(2), Color::red());
  EXPECT_EQ(alignmentOf(2), TextAlignment::Right);
  // The title spans the row: narrow wheels have no room for a table cell's margins.
  EXPECT_EQ(cell(2)->textLabel()->frame(), cell(2)->contentView()->bounds());
  EXPECT_EQ(cell(1)->textLabel()->text(), "0:1");
  EXPECT_EQ(colourOf(1), Color::black());
  EXPECT_EQ(alignmentOf(1), TextAlignment::Center);
  picker->selectRow(31, 0, false);  // far enough that every row's cell is reused
  picker->layoutIfNeeded();
  EXPECT_EQ(colourOf(31), Color::black());
  EXPECT_EQ(alignmentOf(31), TextAlignment::Center);

  ASSERT_NE(picker->viewForRow(2, 1), nullptr);
  EXPECT_EQ(picker->viewForRow(2, 1)->tag(), 2);
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

TEST_F(UIPickers, PageControlStepsByHalvesAndSizesItsDots) {
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
