// The pull-down header over a list under a bar: when it starts, what it moves and gives back,
// and what it shows.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/layout/LayoutConstraint.h"
#include "refresh_test_support.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {
namespace {

using platform::Point;
using Log = std::vector<std::string>;

// A list under a 64-point bar: top inset 64, resting at offset -64, a normal header on top.
class HeaderTest : public refresh_test::RefreshTest {
 protected:
  HeaderTest() {
    table->setContentInset({64, 0, 0, 0});
    table->setContentOffset({0, -64});
    header = RFRefreshNormalHeader::headerWithRefreshingBlock([this] { log.push_back("block"); });
    setRf_header(*table, header);
    window->layoutIfNeeded();
  }

  // Pulls from rest until the content stands at `target` (past the top edge).
  void pullTo(double target) {
    dragBy({180, 200}, 40, 4);
    moveFingerTo(fingerYForOffset(*table, target, -64));
  }
  // Begins a refresh in code and lets it settle in; ends one and lets it go.
  void refresh() {
    header->beginRefreshing();
    drain();
    advance(0.3);
  }
  void end() {
    header->endRefreshing();
    drain();
    advance(1);
  }

  std::shared_ptr<platform::TableView> table =
      addTable(std::make_shared<refresh_test::Rows>(std::vector<long>{30}), 667);
  std::shared_ptr<RFRefreshNormalHeader> header;
  Log log;
};

TEST_F(HeaderTest, PullingStartsPastItsHeightBeyondTheInsetAndEndsAtExactlyThatLine) {
  EXPECT_EQ(header->frame(), platform::makeRect(0, -54, 375, 54));
  EXPECT_TRUE(table->alwaysBounceVertical());
  std::vector<std::pair<double, RFRefreshState>> seen;
  auto watch = table->contentOffsetObservers().subscribe(
      [&](Point, Point now) { seen.emplace_back(now.y, header->state()); });
  dragBy({180, 200}, 160, 16);  // a finger drag: the content follows by rubber-banding
  ASSERT_FALSE(seen.empty());
  for (const auto& [offset, state] : seen) {
    EXPECT_EQ(state, offset < -118 ? RFRefreshStatePulling : RFRefreshStateIdle) << offset;
  }
  ASSERT_LT(seen.back().first, -118);
  EXPECT_DOUBLE_EQ(header->pullingPercent(), (-64 - seen.back().first) / 54);
  EXPECT_EQ(header->stateLabel()->text(), "Let go to refresh");

  // Back up to the line: a hair below it stays Pulling, a hair above is Idle again. (Rubber-banded
  // offsets are not exact enough to land on the line itself.)
  moveFingerTo(fingerYForOffset(*table, -118 - 1e-7, -64));
  ASSERT_LT(table->contentOffset().y, -118);
  EXPECT_EQ(header->state(), RFRefreshStatePulling);
  moveFingerTo(fingerYForOffset(*table, -118 + 1e-7, -64));
  ASSERT_GE(table->contentOffset().y, -118);
  ASSERT_LT(table->contentOffset().y, -118 + 1e-6);
  EXPECT_EQ(header->state(), RFRefreshStateIdle);
  EXPECT_NEAR(header->pullingPercent(), 1.0, 1e-8);

  // Let go short of the line: it springs back without refreshing.
  holdAndLift();
  advance(2);
  EXPECT_EQ(header->state(), RFRefreshStateIdle);
  EXPECT_EQ(table->contentOffset().y, -64);
  EXPECT_EQ(table->contentInset().top, 64);
  EXPECT_NEAR(header->pullingPercent(), 0, 1e-9);  // followed the spring back down
  EXPECT_TRUE(log.empty());
}

TEST_F(HeaderTest, ReleasingWhilePullingRefreshesAfterAMainQueueTurnAndCallsBackInOrder) {
  struct Target {
    void refresh(RFRefreshComponent&) { log->push_back("action"); }
    Log* log;
  };
  auto target = std::make_shared<Target>(Target{&log});
  header->setRefreshingTarget(target, &Target::refresh);
  header->setBeginRefreshingCompletionBlock([this] { log.push_back("completion"); });
  pullTo(-150);
  ASSERT_EQ(header->state(), RFRefreshStatePulling);
  // The inset as the state turned Refreshing: the header moves nothing inside that change.
  std::optional<double> insetAtStart;
  auto watch = table->contentOffsetObservers().subscribe([&](Point, Point) {
    if (header->state() == RFRefreshStateRefreshing && !insetAtStart) {
      insetAtStart = table->contentInset().top;
    }
  });
  holdAndLift();
  advance(platform::ScrollView::kFrameInterval);  // the first movement after the release
  EXPECT_EQ(header->state(), RFRefreshStateRefreshing);
  EXPECT_EQ(insetAtStart, 64);
  EXPECT_EQ(table->contentInset().top, 118);
  EXPECT_EQ(table->contentOffset().y, -118);
  EXPECT_EQ(header->insetTDelta(), -54);
  EXPECT_EQ(header->stateLabel()->text(), "Refreshing…");
  EXPECT_TRUE(header->arrowView()->isHidden());
  EXPECT_TRUE(header->loadingView()->isAnimating());
  advance(0.2);
  EXPECT_TRUE(log.empty());
  advance(0.1);
  EXPECT_EQ(log, (Log{"block", "action", "completion"}));

  // A gone target is skipped.
  target.reset();
  log.clear();
  end();
  refresh();
  EXPECT_EQ(log, (Log{"block", "completion"}));
}

TEST_F(HeaderTest, WhileRefreshingTheInsetFollowsTheOffsetBetweenTheInsetAndTheHeader) {
  refresh();
  ASSERT_EQ(table->contentInset().top, 118);
  std::vector<std::pair<double, double>> seen;  // offset, inset
  auto watch = table->contentOffsetObservers().subscribe(
      [&](Point, Point now) { seen.emplace_back(now.y, table->contentInset().top); });
  dragBy({180, 400}, -120, 12);  // content up, past the list's top
  holdAndLift();
  dragBy({180, 200}, 300, 12);  // and far down
  holdAndLift();
  bool sawMiddle = false, sawCap = false, sawFloor = false;
  for (const auto& [offset, inset] : seen) {
    EXPECT_EQ(inset, std::min(std::max(-offset, 64.0), 118.0)) << offset;
    sawMiddle |= inset > 64 && inset < 118;
    sawFloor |= inset == 64;
    sawCap |= inset == 118 && offset < -118;
  }
  EXPECT_TRUE(sawMiddle && sawFloor && sawCap);
}

TEST_F(HeaderTest, EndingRestoresTheInsetStoresTheDateAndShowsIt) {
  EXPECT_EQ(header->lastUpdatedTimeLabel()->text(), "Last refreshed: not yet");
  int ended = 0;
  refresh();
  header->endRefreshingWithCompletionBlock([&] { ++ended; });
  EXPECT_EQ(header->state(), RFRefreshStateRefreshing);  // on the next main-queue turn
  drain();
  EXPECT_EQ(header->state(), RFRefreshStateIdle);
  EXPECT_EQ(table->contentInset().top, 64);
  EXPECT_EQ(table->contentOffset().y, -64);  // slides back inside the restored edge
  const auto stored =
      platform::UserDefaults::standard().dateForKey("RFRefreshHeaderLastUpdatedTimeKey");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->timeIntervalSince1970(), refresh_test::kFixedNow + 0.3);
  EXPECT_EQ(header->lastUpdatedTime(), stored);
  EXPECT_EQ(header->lastUpdatedTimeLabel()->text(), "Last refreshed: today 10:30");
  EXPECT_EQ(header->stateLabel()->text(), "Pull down to refresh");
  EXPECT_EQ(ended, 0);
  advance(0.4);
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(header->pullingPercent(), 0.0);
}

TEST_F(HeaderTest, AHeaderReplacedMidRefreshGivesTheTopInsetBack) {
  refresh();
  EXPECT_EQ(table->contentInset().top, 64 + 54);
  auto next = RFRefreshNormalHeader::headerWithRefreshingBlock(nullptr);
  setRf_header(*table, next);
  EXPECT_EQ(table->contentInset().top, 64);
  EXPECT_EQ(next->scrollViewOriginalInset().top, 64);
  end();  // ends off the table: nothing more to give back
  EXPECT_EQ(header->state(), RFRefreshStateIdle);
  EXPECT_EQ(table->contentInset().top, 64);
  // Put back and refreshed again, it owes only what this refresh added.
  setRf_header(*table, header);
  refresh();
  end();
  EXPECT_EQ(table->contentInset().top, 64);
}

TEST_F(HeaderTest, LastUpdatedTextsForTodayThisYearAnotherYearAndABlock) {
  const std::pair<double, std::string> cases[] = {
      {-10 * 60, "Last refreshed: today 10:20"},
      {-11 * 3600, "Last refreshed: 01-14 23:30"},  // 23:30 the day before
      {-15 * 86400, "Last refreshed: 2026-12-31 10:30"}};
  for (const auto& [sinceNow, text] : cases) {
    platform::UserDefaults::standard().setDate(
        "otherKey", platform::Date::fromTimeIntervalSince1970(refresh_test::kFixedNow + sinceNow));
    header->setLastUpdatedTimeKey("otherKey");
    EXPECT_EQ(header->lastUpdatedTimeLabel()->text(), text);
  }
  header->setLastUpdatedTimeText([](std::optional<platform::Date> d) {
    return d ? std::string("some time") : std::string("never");
  });
  header->setLastUpdatedTimeKey("missing");
  EXPECT_EQ(header->lastUpdatedTimeLabel()->text(), "never");
}

TEST_F(HeaderTest, LabelsShareTheHeightAndTheArrowSitsLeftOfTheWidestText) {
  EXPECT_EQ(header->stateLabel()->frame(), platform::makeRect(0, 0, 375, 27));
  EXPECT_EQ(header->lastUpdatedTimeLabel()->frame(), platform::makeRect(0, 27, 375, 27));
  const double widest =
      std::max(rf_textWith(*header->stateLabel()), rf_textWith(*header->lastUpdatedTimeLabel()));
  EXPECT_DOUBLE_EQ(header->arrowView()->center().x, 187.5 - widest * 0.5 - 25);
  EXPECT_EQ(header->arrowView()->center().y, 27);
  EXPECT_EQ(header->arrowView()->tintColor(), header->stateLabel()->textColor());
  EXPECT_EQ(header->arrowView()->bounds().size, rf_arrowImage()->size());

  header->lastUpdatedTimeLabel()->setHidden(true);
  header->setNeedsLayout();
  window->layoutIfNeeded();
  EXPECT_EQ(header->stateLabel()->frame(), platform::makeRect(0, 0, 375, 54));
  EXPECT_DOUBLE_EQ(header->arrowView()->center().x,
                   187.5 - rf_textWith(*header->stateLabel()) * 0.5 - 25);

  // A label with constraints of its own is left to them; the other is still laid out.
  header->lastUpdatedTimeLabel()->setHidden(false);
  auto label = header->stateLabel();
  label->setFrame(platform::makeRect(5, 5, 100, 20));
  platform::LayoutConstraint::create(label, platform::LayoutAttributeWidth,
                                     platform::LayoutRelationEqual, nullptr,
                                     platform::LayoutAttributeNotAnAttribute, 1, 100)
      ->setActive(true);
  header->setNeedsLayout();
  window->layoutIfNeeded();
  EXPECT_EQ(label->frame(), platform::makeRect(5, 5, 100, 20));
  EXPECT_EQ(header->lastUpdatedTimeLabel()->frame(), platform::makeRect(0, 27, 375, 27));

  auto old = header->loadingView();
  header->setActivityIndicatorViewStyle(platform::ActivityIndicatorViewStyle::WhiteLarge);
  EXPECT_EQ(old->superview(), nullptr);
  EXPECT_EQ(header->loadingView()->activityIndicatorViewStyle(),
            platform::ActivityIndicatorViewStyle::WhiteLarge);
}

TEST_F(HeaderTest, TheArrowTurnsJustShortOfAHalfTurnWhenPulling) {
  pullTo(-130);
  advance(0.3);
  const auto t = header->arrowView()->transform();
  EXPECT_DOUBLE_EQ(std::atan2(t.b, t.a), 0.000001 - M_PI);
  moveFingerTo(fingerYForOffset(*table, -100, -64));
  advance(0.3);
  EXPECT_TRUE(header->arrowView()->transform().isIdentity());
  holdAndLift();
}

TEST_F(HeaderTest, TheSpinnerFadesAfterARefreshAndARefreshBegunMeanwhileKeepsIt) {
  pullTo(-150);
  holdAndLift();
  advance(1);
  ASSERT_EQ(header->state(), RFRefreshStateRefreshing);
  header->endRefreshing();
  drain();
  ASSERT_EQ(header->state(), RFRefreshStateIdle);
  EXPECT_TRUE(header->arrowView()->transform().isIdentity());
  EXPECT_TRUE(header->arrowView()->isHidden());  // until the spinner has faded
  advance(1);
  EXPECT_FALSE(header->loadingView()->isAnimating());
  EXPECT_EQ(header->loadingView()->alpha(), 1.0);
  EXPECT_FALSE(header->arrowView()->isHidden());

  header->beginRefreshing();
  advance(1);
  header->endRefreshing();
  drain();
  header->beginRefreshing();  // before the fade of the last one ends
  advance(1);
  EXPECT_EQ(header->state(), RFRefreshStateRefreshing);
  EXPECT_TRUE(header->loadingView()->isAnimating());
  EXPECT_EQ(header->loadingView()->alpha(), 1.0);
  EXPECT_TRUE(header->arrowView()->isHidden());
}

TEST_F(HeaderTest, OffItsWindowEveryHeaderWaitsForItsOwnFirstDrawAndStillRestoresTheInset) {
  header->removeFromSuperview();
  auto loose = platform::TableView::create(platform::makeRect(0, 0, 375, 667));
  loose->setContentInset({20, 0, 0, 0});
  setRf_header(*loose, header);
  header->beginRefreshing();
  EXPECT_EQ(header->state(), RFRefreshStateWillRefresh);
  EXPECT_TRUE(header->isRefreshing());
  ui_test::render(*loose);
  EXPECT_EQ(header->state(), RFRefreshStateRefreshing);
  header->beginRefreshing();  // off the window while refreshing: stays Refreshing
  EXPECT_EQ(header->state(), RFRefreshStateRefreshing);
  drain();
  EXPECT_EQ(loose->contentInset().top, 74);
  advance(0.3);
  EXPECT_EQ(log, Log{"block"});
  header->endRefreshing();
  drain();
  EXPECT_EQ(loose->contentInset().top, 20);
  EXPECT_TRUE(header->lastUpdatedTime());

  // The draw hook runs for every instance, not only the first of its class to draw.
  auto another = RFRefreshNormalHeader::headerWithRefreshingBlock([] {});
  auto other = platform::TableView::create(platform::makeRect(0, 0, 375, 667));
  setRf_header(*other, another);
  another->beginRefreshing();
  ui_test::render(*other);
  EXPECT_EQ(another->state(), RFRefreshStateRefreshing);
}

TEST_F(HeaderTest, AlphaFollowsThePullOnlyWhenAskedAndNotWhileRefreshing) {
  header->setPullingPercent(0.3);
  EXPECT_EQ(header->alpha(), 1.0);
  header->setAutomaticallyChangeAlpha(true);
  EXPECT_DOUBLE_EQ(header->alpha(), 0.3);
  header->setPullingPercent(0.6);
  EXPECT_DOUBLE_EQ(header->alpha(), 0.6);
  header->beginRefreshing();
  header->setPullingPercent(0.2);
  header->setAutomaticallyChangeAlpha(false);
  EXPECT_EQ(header->alpha(), 1.0);
  header->setAutomaticallyChangeAlpha(true);
  EXPECT_EQ(header->alpha(), 1.0);
}

TEST_F(HeaderTest, AHeaderWithoutHeightNeverComputesNotANumber) {
  setRf_h(*header, 0);
  pullTo(-150);
  EXPECT_EQ(header->pullingPercent(), 1.0);
  EXPECT_EQ(header->state(), RFRefreshStatePulling);
  holdAndLift();
}

TEST_F(HeaderTest, TextsFollowTheFirstPreferredLanguage) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"en-GB"}, "Pull down to refresh"},
      {{"zh-Hans-CN"}, "下拉刷新"},
      {{"zh-HK"}, "下拉重新整理"},
      {{"zh-Hant-TW", "en"}, "下拉重新整理"},
      {{"fr-FR", "zh-Hans"}, "Pull down to refresh"},
      {{}, "Pull down to refresh"}};
  for (const auto& [languages, idle] : cases) {
    setLanguages(languages);
    auto h = RFRefreshNormalHeader::headerWithRefreshingBlock(nullptr);
    EXPECT_EQ(h->stateLabel()->text(), idle) << (languages.empty() ? "none" : languages[0]);
  }
}

TEST_F(HeaderTest, TheAppsOwnTextForAKeyWinsInEveryLanguage) {
  // A main bundle of the app's own: the refresh bundle beside one text of its own.
  const std::filesystem::path app = std::filesystem::path(home_) / "app-resources";
  std::filesystem::create_directories(app);
  std::filesystem::create_directory_symlink(
      std::filesystem::path(SPROUT_SOURCE_DIR) / "resources/RFRefresh.bundle",
      app / "RFRefresh.bundle");
  std::ofstream(app / "Localizable.strings") << "\"RFRefreshHeaderIdleText\" = \"往下拉\";\n";
  const char* saved = std::getenv("SPROUT_RESOURCES");
  const std::string restore = saved ? saved : "";
  ::setenv("SPROUT_RESOURCES", app.c_str(), 1);
  const std::pair<const char*, const char*> cases[] = {
      {"en-GB", "Let go to refresh"}, {"zh-Hans-CN", "松手就刷新"}, {"zh-HK", "放手就重新整理"}};
  for (const auto& [language, pulling] : cases) {
    setLanguages({language});
    auto h = RFRefreshNormalHeader::headerWithRefreshingBlock(nullptr);
    EXPECT_EQ(h->stateLabel()->text(), "往下拉") << language;
    EXPECT_EQ(h->stateTitles().at(RFRefreshStatePulling), pulling);
  }
  if (saved) {
    ::setenv("SPROUT_RESOURCES", restore.c_str(), 1);
  } else {
    ::unsetenv("SPROUT_RESOURCES");
  }
}

}  // namespace
}  // namespace sprout
