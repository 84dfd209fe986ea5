// What every refresh component shares: watching its scroll view, the header and footer slots,
// deferred callbacks and the reload hook.
#include <string>
#include <vector>

#include "refresh_test_support.h"
#include "ui/support/refresh/RFRefreshComponent.h"
#include "ui/support/refresh/RFRefreshFooter.h"
#include "ui/support/refresh/RFRefreshHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace sprout {
namespace {

// Counts what reaches the hooks.
class Counting : public RFRefreshComponent {
 public:
  int offsets = 0, sizes = 0, pans = 0;

 protected:
  using RFRefreshComponent::RFRefreshComponent;
  void scrollViewContentOffsetDidChange(const std::optional<RFOffsetChange>&) override {
    ++offsets;
  }
  void scrollViewContentSizeDidChange(const std::optional<RFSizeChange>&) override { ++sizes; }
  void scrollViewPanStateDidChange(const std::optional<RFPanStateChange>&) override { ++pans; }
};

class ComponentTest : public refresh_test::RefreshTest {
 protected:
  ComponentTest() {
    scroll->setContentSize({375, 2000});
    window->addSubview(scroll);
    scroll->addSubview(component);
  }
  void dragAndLift() {
    dragBy({100, 400}, -100, 5);
    holdAndLift();
    advance(1);
  }
  std::shared_ptr<platform::ScrollView> scroll =
      platform::ScrollView::create(platform::makeRect(0, 0, 375, 667));
  std::shared_ptr<Counting> component = platform::Object::make<Counting>(platform::Rect{});
};

TEST_F(ComponentTest, AttachingTakesTheWidthAndInsetAndWatchesUntilItLeaves) {
  EXPECT_EQ(component->frame().size.width, 375);
  EXPECT_EQ(component->pan(), scroll->panGestureRecognizer());
  dragAndLift();
  EXPECT_GT(component->offsets, 0);
  EXPECT_GE(component->pans, 3);  // began, ended, back to possible
  scroll->setContentSize({375, 2100});
  EXPECT_EQ(component->sizes, 1);

  component->setHidden(true);  // sizes still, offsets and pans no more
  const int offsets = component->offsets, pans = component->pans;
  dragAndLift();
  scroll->setContentSize({375, 2200});
  EXPECT_EQ(component->offsets, offsets);
  EXPECT_EQ(component->pans, pans);
  EXPECT_EQ(component->sizes, 2);

  component->setHidden(false);
  component->setUserInteractionEnabled(false);  // nothing at all
  dragAndLift();
  scroll->setContentSize({375, 2300});
  EXPECT_EQ(component->offsets, offsets);
  EXPECT_EQ(component->sizes, 2);

  component->setUserInteractionEnabled(true);
  component->removeFromSuperview();
  EXPECT_EQ(component->pan(), nullptr);
  scroll->setContentSize({375, 2400});
  EXPECT_EQ(component->sizes, 2);
}

TEST_F(ComponentTest, ReplacingTheHeaderOrFooterIsAnnouncedAndTheScrollViewHoldsThemWeakly) {
  using Header = std::shared_ptr<RFRefreshHeader>;
  using Footer = std::shared_ptr<RFRefreshFooter>;
  std::vector<std::pair<Header, Header>> headers;
  std::vector<std::pair<Footer, Footer>> footers;
  // What an observer sees: the slot already holds the new one, which is the first subview.
  bool newOneInPlace = true;
  auto watchHeaders = rf_headerObservers(*scroll).subscribe([&](Header old, Header now) {
    headers.emplace_back(old, now);
    newOneInPlace = newOneInPlace && rf_header(*scroll) == now &&
                    (!now || scroll->subviews().front() == now) && (!old || !old->superview());
  });
  auto watchFooters = rf_footerObservers(*scroll).subscribe(
      [&](Footer old, Footer now) { footers.emplace_back(old, now); });

  std::weak_ptr<RFRefreshHeader> firstGone;
  {
    auto first = RFRefreshHeader::headerWithRefreshingBlock([] {});
    firstGone = first;
    setRf_header(*scroll, first);
    setRf_header(*scroll, first);  // the same one again: nothing to tell
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0], std::make_pair(Header(), first));
    EXPECT_EQ(first->scrollView(), scroll);
    auto second = RFRefreshHeader::headerWithRefreshingBlock([] {});
    setRf_header(*scroll, second);
    ASSERT_EQ(headers.size(), 2u);
    // The old one is announced though the tree that owned it has let it go, and watches no more.
    EXPECT_EQ(headers[1], std::make_pair(first, second));
    EXPECT_EQ(first->pan(), nullptr);
    EXPECT_EQ(header(*scroll), second);  // the second name reaches the same slot
    setHeader(*scroll, nullptr);
    ASSERT_EQ(headers.size(), 3u);
    EXPECT_EQ(headers[2], std::make_pair(second, Header()));
    headers.clear();
  }
  EXPECT_TRUE(firstGone.expired());  // neither observers nor the slot hold it afterwards
  EXPECT_TRUE(newOneInPlace);
  EXPECT_TRUE(footers.empty());  // each key has its own observers

  auto footer = RFRefreshFooter::footerWithRefreshingBlock([] {});
  setRf_footer(*scroll, footer);
  watchFooters.reset();  // stops listening
  EXPECT_EQ(sprout::footer(*scroll), footer);
  setFooter(*scroll, nullptr);
  ASSERT_EQ(footers.size(), 1u);
  EXPECT_EQ(footers[0], std::make_pair(Footer(), footer));
  EXPECT_TRUE(headers.empty());

  // Another scroll view's slots are its own.
  auto other = platform::ScrollView::create(platform::makeRect(0, 0, 100, 100));
  setRf_header(*other, RFRefreshHeader::headerWithRefreshingBlock([] {}));
  EXPECT_TRUE(headers.empty());

  // A header that leaves its scroll view and goes away empties the slot.
  watchHeaders.reset();
  auto last = RFRefreshHeader::headerWithRefreshingBlock([] {});
  setRf_header(*scroll, last);
  last->removeFromSuperview();
  last.reset();
  EXPECT_EQ(rf_header(*scroll), nullptr);
}

TEST_F(ComponentTest, StateChangesAskForLayoutOnlyOnTheNextTurnAndCallbacksNeverRunInline) {
  component->layoutIfNeeded();
  std::vector<std::string> log;
  component->setRefreshingBlock([&] { log.push_back("block"); });
  component->setState(RFRefreshStateRefreshing);
  EXPECT_FALSE(component->needsLayout());
  drain();
  EXPECT_FALSE(component->needsLayout());  // the pass ran in that turn
  component->beginRefreshingWithCompletionBlock([&] { log.push_back("completion"); });
  EXPECT_TRUE(log.empty());
  component->endRefreshing();  // the base ends at once
  EXPECT_EQ(component->state(), RFRefreshStateIdle);
}

TEST_F(ComponentTest, ADeferredCallbackOfAGoneComponentDoesNothing) {
  int called = 0;
  auto loose = platform::Object::make<Counting>(platform::Rect{});
  loose->setRefreshingBlock([&] { ++called; });
  loose->beginRefreshing();
  loose->setState(RFRefreshStateRefreshing);
  loose.reset();
  drain();
  advance(1);
  EXPECT_EQ(called, 0);
}

TEST_F(ComponentTest, TotalDataCountAndTheReloadHook) {
  auto rows = std::make_shared<refresh_test::Rows>(std::vector<long>{3, 0, 2});
  auto table = addTable(rows);
  EXPECT_EQ(rf_totalDataCount(*table), 5);
  EXPECT_EQ(rf_totalDataCount(*scroll), 0);
  rows->counts.clear();
  table->reloadData();
  EXPECT_EQ(rf_totalDataCount(*table), 0);

  std::vector<long> totals;
  setRf_reloadDataBlock(*table, [&](long total) { totals.push_back(total); });
  rows->counts = {4, 1};
  table->reloadData();
  addTable(rows)->reloadData();  // has no block
  EXPECT_EQ(totals, std::vector<long>{5});
  setRf_reloadDataBlock(*table, nullptr);
  table->reloadData();
  EXPECT_EQ(totals, std::vector<long>{5});

  // A block may let itself go while it runs; the next one set is heard again.
  int runs = 0;
  setRf_reloadDataBlock(*table, [&](long) {
    ++runs;
    setRf_reloadDataBlock(*table, nullptr);
  });
  table->reloadData();
  table->reloadData();
  EXPECT_EQ(runs, 1);
  setRf_reloadDataBlock(*table, [&](long total) { totals.push_back(total); });
  table->reloadData();
  EXPECT_EQ(totals, (std::vector<long>{5, 5}));
}

}  // namespace
}  // namespace sprout
