// The footers that load more: the automatic one that starts at a threshold or on a tap, and the
// spring-back one that is pulled past its height.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "refresh_test_support.h"
#include "ui/support/refresh/RFRefreshAutoNormalFooter.h"
#include "ui/support/refresh/RFRefreshBackNormalFooter.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {
namespace {

using platform::Point;

class FooterTest : public refresh_test::ScrollRefreshTest {
 protected:
  // The offset at which the state first became `state` while a drag ran.
  std::optional<double> offsetWhenEntering(RFRefreshComponent& c, RFRefreshState state) {
    return entered_[&c][state];
  }
  void watch(RFRefreshComponent& c) {
    subscriptions_.push_back(
        scroll->contentOffsetObservers().subscribe([this, &c](Point, Point now) {
          auto& slot = entered_[&c][c.state()];
          if (!slot) slot = now.y;
        }));
  }
  // A footer of type T on the scroll view, logging "more" for each refresh.
  template <class T>
  std::shared_ptr<T> attach() {
    auto footer = T::footerWithRefreshingBlock([this] { log.push_back("more"); });
    setRf_footer(*scroll, footer);
    return footer;
  }
  // Drags the content up by `dy` (finger up) from the middle of the view, and keeps the finger.
  void pushUp(double dy, int steps = 20) { dragBy({180, 500}, -dy, steps); }

  std::vector<std::string> log;

 private:
  std::map<RFRefreshComponent*, std::map<RFRefreshState, std::optional<double>>> entered_;
  std::vector<platform::Subscription> subscriptions_;
};

TEST_F(FooterTest, AnAutomaticFooterStartsAtItsThresholdOnlyWhileTheContentMovesUp) {
  auto footer = attach<RFRefreshAutoNormalFooter>();
  EXPECT_EQ(footer->frame(), platform::makeRect(0, 1000, 375, 44));
  EXPECT_EQ(scroll->contentInset().bottom, 44);
  EXPECT_EQ(footer->stateLabel()->text(), "Tap or scroll on to load more");
  watch(*footer);

  // Down past the threshold first (automatic start off), then back the other way: nothing.
  footer->setAutomaticallyRefresh(false);
  pushUp(520);
  ASSERT_GT(scroll->contentOffset().y, 444);
  footer->setAutomaticallyRefresh(true);
  moveFingerTo(finger_.y + 60);
  EXPECT_LT(scroll->contentOffset().y, 444);
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
  holdAndLift();  // released short of the end
  advance(2);
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);

  // Moving up it starts at the first offset at or past 444.
  setRf_offsetY(*scroll, 0);
  std::optional<double> startedAt;
  auto timing = scroll->contentOffsetObservers().subscribe([&](Point, Point) {
    if (footer->state() == RFRefreshStateRefreshing && !startedAt) startedAt = clock.now();
  });
  pushUp(600, 30);
  ASSERT_EQ(footer->state(), RFRefreshStateRefreshing);
  EXPECT_GE(*offsetWhenEntering(*footer, RFRefreshStateRefreshing), 444);
  EXPECT_LT(*offsetWhenEntering(*footer, RFRefreshStateRefreshing), 444 + 600.0 / 30 + 1);
  EXPECT_EQ(footer->stateLabel()->text(), "Loading more…");
  EXPECT_TRUE(footer->loadingView()->isAnimating());
  fingers.end();
  ASSERT_TRUE(startedAt);
  advance(*startedAt + 0.49 - clock.now());
  EXPECT_TRUE(log.empty());
  advance(0.02);
  EXPECT_EQ(log, std::vector<std::string>{"more"});
  footer->endRefreshing();
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
  EXPECT_FALSE(footer->loadingView()->isAnimating());
}

TEST_F(FooterTest, AHalfTriggerStartsHalfAFooterEarlier) {
  auto footer = RFRefreshAutoNormalFooter::footerWithRefreshingBlock(nullptr);
  footer->setTriggerAutomaticallyRefreshPercent(0.5);
  setRf_footer(*scroll, footer);
  watch(*footer);
  pushUp(600, 60);
  ASSERT_TRUE(offsetWhenEntering(*footer, RFRefreshStateRefreshing));
  EXPECT_GE(*offsetWhenEntering(*footer, RFRefreshStateRefreshing), 422);
  EXPECT_LT(*offsetWhenEntering(*footer, RFRefreshStateRefreshing), 433);
  holdAndLift();
}

TEST_F(FooterTest, ShortContentStartsOnlyWhenTheFingerLifts) {
  scroll->setContentSize({375, 300});
  auto footer = attach<RFRefreshAutoNormalFooter>();
  EXPECT_EQ(footer->frame().origin.y, 300);
  pushUp(80);
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
  holdAndLift();
  EXPECT_EQ(footer->state(), RFRefreshStateRefreshing);
  // Pulled down instead: no start.
  footer->endRefreshing();
  advance(2);
  dragBy({180, 200}, 80);
  holdAndLift();
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
}

TEST_F(FooterTest, TheDelayedCallbackIsOffOnceTheRefreshEndedOrTheFooterHid) {
  auto footer = attach<RFRefreshAutoNormalFooter>();
  footer->beginRefreshing();
  footer->endRefreshing();
  advance(1);
  footer->beginRefreshing();
  footer->endRefreshingWithNoMoreData();
  advance(1);
  footer->resetNoMoreData();
  footer->beginRefreshing();
  footer->setHidden(true);
  advance(1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);  // hiding ends the refresh
}

TEST_F(FooterTest, NoMoreDataStopsStartsUntilReset) {
  auto footer = attach<RFRefreshAutoNormalFooter>();
  footer->endRefreshingWithNoMoreData();
  pushUp(600);  // into sight: dragging starts nothing, and tapping does nothing either
  holdAndLift();
  advance(2);
  window->layoutIfNeeded();
  const Point label = footer->convertPointTo({187, 22}, nullptr);
  fingers.tap(label);
  EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);
  footer->resetNoMoreData();
  advance(0.5);
  fingers.tap(label);
  EXPECT_EQ(footer->state(), RFRefreshStateRefreshing);
}

TEST_F(FooterTest, WithTheRefreshingTitleHiddenTheSpinnerIsCentredAndTheLabelEmpty) {
  auto footer = RFRefreshAutoNormalFooter::footerWithRefreshingBlock(nullptr);
  footer->setRefreshingTitleHidden(true);
  setRf_footer(*scroll, footer);
  footer->beginRefreshing();
  window->layoutIfNeeded();
  EXPECT_EQ(footer->stateLabel()->text(), "");
  EXPECT_EQ(footer->loadingView()->center(), (Point{187.5, 22}));
  footer->setRefreshingTitleHidden(false);
  footer->endRefreshing();
  footer->setNeedsLayout();
  window->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(footer->loadingView()->center().x,
                   187.5 - rf_textWith(*footer->stateLabel()) * 0.5 - 25);
}

TEST_F(FooterTest, AutomaticHidingFollowsReloadsAndInsetsBalance) {
  auto rows = std::make_shared<refresh_test::Rows>(std::vector<long>{10});
  auto table = addTable(rows);
  table->setContentInset({0, 0, 10, 0});
  auto footer = RFRefreshAutoNormalFooter::footerWithRefreshingBlock(nullptr);
  footer->setAutomaticallyHidden(true);
  setRf_footer(*table, footer);
  EXPECT_EQ(table->contentInset().bottom, 54);
  rows->counts = {0};
  table->reloadData();
  EXPECT_TRUE(footer->isHidden());
  EXPECT_EQ(table->contentInset().bottom, 10);
  rows->counts = {3, 2};
  table->reloadData();
  EXPECT_FALSE(footer->isHidden());
  EXPECT_EQ(table->contentInset().bottom, 54);
  EXPECT_EQ(footer->frame().origin.y, table->contentSize().height);

  // A height changed meanwhile: leaving gives back what was added, not the new height.
  setRf_h(*footer, 60);
  setRf_footer(*table, nullptr);
  EXPECT_EQ(table->contentInset().bottom, 10);
  EXPECT_FALSE(rf_reloadDataBlock(*table));
  rows->counts = {0};
  table->reloadData();  // the removed footer is left alone
  EXPECT_FALSE(footer->isHidden());
}

TEST_F(FooterTest, MovedIntoAPlainViewAFooterGivesItsInsetBack) {
  auto footer = attach<RFRefreshAutoNormalFooter>();
  EXPECT_EQ(scroll->contentInset().bottom, 44);
  auto plain = platform::View::create(platform::makeRect(0, 0, 100, 100));
  plain->addSubview(footer);
  EXPECT_EQ(scroll->contentInset().bottom, 0);
  EXPECT_EQ(footer->scrollView(), nullptr);
  EXPECT_EQ(footer->pan(), nullptr);  // no longer watching
}

TEST_F(FooterTest, ASpringBackFooterPullsPastItsHeightAndGivesTheInsetBack) {
  auto footer = attach<RFRefreshBackNormalFooter>();
  EXPECT_EQ(footer->heightForContentBreakView(), 400);
  EXPECT_EQ(footer->frame(), platform::makeRect(0, 1000, 375, 44));
  EXPECT_EQ(scroll->contentInset().bottom, 0);
  watch(*footer);
  pushUp(700, 30);
  ASSERT_EQ(footer->state(), RFRefreshStatePulling);
  EXPECT_GT(*offsetWhenEntering(*footer, RFRefreshStatePulling), 444);
  EXPECT_EQ(footer->stateLabel()->text(), "Let go to load more");
  holdAndLift();
  advance(platform::ScrollView::kFrameInterval);
  EXPECT_EQ(footer->state(), RFRefreshStateRefreshing);
  EXPECT_EQ(scroll->contentInset().bottom, 44);
  EXPECT_EQ(scroll->contentOffset().y, 444);
  EXPECT_EQ(footer->lastBottomDelta(), 44);
  advance(0.3);
  EXPECT_EQ(log, std::vector<std::string>{"more"});
  EXPECT_EQ(scroll->contentOffset().y, 444);  // the spring-back was stopped

  footer->endRefreshing();
  EXPECT_EQ(footer->state(), RFRefreshStateRefreshing);
  drain();
  EXPECT_EQ(scroll->contentInset().bottom, 0);
  EXPECT_EQ(scroll->contentOffset().y, 400);  // nothing new: back to the end
  EXPECT_EQ(footer->stateLabel()->text(), "Pull up to load more");
}

TEST_F(FooterTest, NewRowsKeepTheSpringBackFooterWhereItWas) {
  auto rows = std::make_shared<refresh_test::Rows>(std::vector<long>{20});
  auto table = addTable(rows);
  table->setRowHeight(50);
  table->reloadData();
  auto footer = RFRefreshBackNormalFooter::footerWithRefreshingBlock(nullptr);
  setRf_footer(*table, footer);
  footer->beginRefreshing();
  EXPECT_EQ(footer->lastRefreshCount(), 20);
  EXPECT_EQ(table->contentOffset().y, 444);
  rows->counts = {30};
  table->reloadData();
  EXPECT_EQ(footer->frame().origin.y, 1500);
  footer->endRefreshing();
  drain();
  advance(1);
  EXPECT_EQ(table->contentInset().bottom, 0);
  EXPECT_EQ(table->contentOffset().y, 444);
}

TEST_F(FooterTest, ShortContentAndNoMoreDataForTheSpringBackFooter) {
  scroll->setContentSize({375, 300});
  auto footer = attach<RFRefreshBackNormalFooter>();
  EXPECT_EQ(footer->heightForContentBreakView(), -300);
  EXPECT_EQ(footer->happenOffsetY(), 0);
  EXPECT_EQ(footer->frame().origin.y, 600);
  footer->beginRefreshing();
  EXPECT_EQ(scroll->contentInset().bottom, 344);
  EXPECT_EQ(scroll->contentOffset().y, 44);
  footer->endRefreshingWithNoMoreData();
  drain();
  advance(1);
  EXPECT_EQ(scroll->contentInset().bottom, 0);
  EXPECT_EQ(footer->stateLabel()->text(), "That is all for now");
  EXPECT_TRUE(footer->arrowView()->isHidden());
  footer->setAutomaticallyChangeAlpha(true);
  pushUp(300);
  EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);
  EXPECT_GT(footer->pullingPercent(), 1);
  EXPECT_EQ(footer->alpha(), footer->pullingPercent());
  holdAndLift();
  advance(2);
  EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);
}

// Rows that arrive while the header refreshes (its inset above the content) must not leave the
// footer resting in sight under short content once the header is done.
TEST_F(FooterTest, UnderShortContentTheSpringBackFooterFollowsTheHeadersInset) {
  scroll->setContentSize({375, 0});
  auto header = RFRefreshNormalHeader::headerWithRefreshingBlock(nullptr);
  setRf_header(*scroll, header);
  auto footer = attach<RFRefreshBackNormalFooter>();
  EXPECT_EQ(footer->frame().origin.y, 600);
  header->beginRefreshing();
  advance(1);
  ASSERT_GT(scroll->contentInset().top, 0);
  scroll->setContentSize({375, 300});  // the rows arrive
  EXPECT_EQ(footer->frame().origin.y, 600 - scroll->contentInset().top);
  header->endRefreshing();
  drain();
  advance(1);
  ASSERT_EQ(scroll->contentInset().top, 0);
  EXPECT_EQ(footer->frame().origin.y, 600);  // below the visible area again
  // Pulled up, it still starts where it should.
  pushUp(200);
  holdAndLift();
  advance(0.1);
  EXPECT_EQ(footer->state(), RFRefreshStateRefreshing);
}

TEST_F(FooterTest, TheSpringBackArrowTurnsTheOtherWayFromTheHeadersAndHidesWithNoMoreData) {
  auto footer = attach<RFRefreshBackNormalFooter>();
  window->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(footer->arrowView()->center().x,
                   187.5 - rf_textWith(*footer->stateLabel()) * 0.5 - 25);
  EXPECT_EQ(footer->arrowView()->tintColor(), footer->stateLabel()->textColor());
  pushUp(700, 30);
  ASSERT_EQ(footer->state(), RFRefreshStatePulling);
  advance(0.3);
  EXPECT_TRUE(footer->arrowView()->transform().isIdentity());
  EXPECT_FALSE(footer->arrowView()->isHidden());
  // Back down, a little at a time, until short of the line.
  for (double y = -200; footer->state() == RFRefreshStatePulling && y < 500; y += 5) {
    advance(platform::ScrollView::kFrameInterval);
    moveFingerTo(y);
  }
  ASSERT_EQ(footer->state(), RFRefreshStateIdle);
  advance(0.3);
  const auto t = footer->arrowView()->transform();
  EXPECT_DOUBLE_EQ(std::atan2(t.b, t.a), RFRefreshBackNormalFooter::kArrowRotation);
  holdAndLift();
  advance(1);
  footer->beginRefreshing();
  advance(1);
  EXPECT_TRUE(footer->arrowView()->isHidden());
  EXPECT_TRUE(footer->loadingView()->isAnimating());
  footer->endRefreshingWithNoMoreData();
  drain();
  advance(1);
  EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);
  EXPECT_TRUE(footer->arrowView()->isHidden());
  EXPECT_FALSE(footer->loadingView()->isAnimating());
  EXPECT_EQ(footer->loadingView()->alpha(), 1.0);
}

TEST_F(FooterTest, TheSpringBackEndCompletionLeavesALaterRefreshAlone) {
  auto footer = attach<RFRefreshBackNormalFooter>();
  footer->beginRefreshing();
  advance(0.3);
  footer->endRefreshing();
  drain();
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
  footer->beginRefreshing();  // before the 0.4 s end completes
  advance(1);
  EXPECT_TRUE(footer->arrowView()->isHidden());
  EXPECT_TRUE(footer->loadingView()->isAnimating());
  EXPECT_EQ(footer->loadingView()->alpha(), 1.0);  // the new refresh's spinner is seen
}

TEST_F(FooterTest, ASpringBackFooterTakenOffItsScrollViewStillEndsItsRefresh) {
  auto footer = attach<RFRefreshBackNormalFooter>();
  footer->beginRefreshing();
  advance(0.3);
  EXPECT_EQ(scroll->contentInset().bottom, 44);
  setRf_footer(*scroll, nullptr);
  EXPECT_EQ(scroll->contentInset().bottom, 0);
  bool ended = false;
  footer->endRefreshingWithCompletionBlock([&] { ended = true; });
  drain();
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
  advance(0.5);
  EXPECT_TRUE(ended);
  EXPECT_EQ(footer->pullingPercent(), 0);
  EXPECT_EQ(scroll->contentInset().bottom, 0);
}

}  // namespace
}  // namespace sprout
