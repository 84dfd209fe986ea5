// The banner carousel: its endless strip, timer, cells and the banners it loads, as a person
// sees and swipes it.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "images/WIImageCache.h"
#include "images/WIImageManager.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/ui/scroll/PageControl.h"
#include "tests/support/net_test_server.h"
#include "tests/ui_support/ui_support_test.h"
#include "ui/support/carousel/BCBannerPath.h"
#include "ui/support/carousel/BCCarouselView.h"
#include "ui/support/carousel/BCCollectionViewCell.h"
#include "ui/support/carousel/DPPageControl.h"

namespace sprout {
namespace {

using platform::Color;
using platform::makeRect;
using ui_test::solidImage;

const Color kBanners[] = {Color::rgba(0.9, 0.2, 0.2), Color::rgba(0.2, 0.8, 0.3),
                          Color::rgba(0.2, 0.3, 0.9)};

class Listener : public BCCarouselViewDelegate {
 public:
  Listener(std::vector<std::string>* log, bool takesScrolls) : log_(log), takes_(takesScrolls) {}
  bool carouselViewDidSelectItemAtIndex(BCCarouselView&, long index) override {
    log_->push_back("delegate tap " + std::to_string(index));
    return true;
  }
  bool carouselViewDidScrollToIndex(BCCarouselView&, long index) override {
    if (takes_) log_->push_back("delegate scroll " + std::to_string(index));
    return takes_;
  }

 private:
  std::vector<std::string>* log_;
  bool takes_;
};

// A full-width 180-point carousel of the given banners in a 375 x 667 window; the run loop's
// timers do not outlive the test.
class Carousel : public ui_test::ScreenTest {
 protected:
  Carousel() : ScreenTest({375, 667}) { window->makeKeyAndVisible(); }
  ~Carousel() override { loop.invalidateAllTimers(); }

  std::shared_ptr<BCCarouselView> make(std::vector<BCCarouselView::ImagePath> paths,
                                       bool endless = true) {
    auto view = BCCarouselView::carouselViewWithFrame(makeRect(0, 0, 375, 180), paths, endless);
    window->addSubview(view);
    view->layoutIfNeeded();
    return view;
  }
  std::shared_ptr<BCCarouselView> make(int images) {
    std::vector<BCCarouselView::ImagePath> paths;
    for (int i = 0; i < images; ++i)
      paths.emplace_back(solidImage({40, 20}, Color::white(i / 4.0)));
    return make(paths);
  }
  static long item(const BCCarouselView& view) {
    return std::lround(view.mainView()->contentOffset().x / 375);
  }
  std::shared_ptr<BCCollectionViewCell> cellAt(const BCCarouselView& view, long i) {
    return std::static_pointer_cast<BCCollectionViewCell>(
        view.mainView()->cellForItemAtIndexPath({0, i}));
  }
  // The page the indicator marks, the whole banner in the strip and the white dot agree.
  void expectBanner(const BCCarouselView& view, int banner) {
    SCOPED_TRACE(banner);
    auto dots = std::dynamic_pointer_cast<platform::PageControl>(view.pageControl());
    ASSERT_TRUE(dots);
    EXPECT_EQ(dots->currentPage(), banner);
    EXPECT_DOUBLE_EQ(std::fmod(view.mainView()->contentOffset().x, 375), 0);
    auto image = ui_test::render(*window);
    EXPECT_TRUE(ui_test::near(ui_test::pixelAt(*image, 187, 60), kBanners[banner]));
    EXPECT_TRUE(ui_test::near(ui_test::pixelAt(*image, 20, 60), kBanners[banner]));
    // Three 7-point dots 16 apart in the 36 x 10 indicator at (169.5, 160).
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(ui_test::near(ui_test::pixelAt(*image, 171 + 16 * i, 165), Color::whiteColor()),
                i == banner)
          << i;
    }
  }
  void swipe(double dx) { fingers.fling({187 - dx / 2, 90}, {187 + dx / 2, 90}, 6); }
};

TEST_F(Carousel, ASwipeTurnsOneBannerTheDotsFollowAndTheTimerTakesOverAgain) {
  std::vector<BCCarouselView::ImagePath> paths;
  for (const auto& c : kBanners) paths.emplace_back(solidImage({375, 180}, c));
  auto view = make(paths);
  advance(0.5);
  expectBanner(*view, 0);
  swipe(-200);  // towards the next banner
  advance(0.8);
  expectBanner(*view, 1);
  swipe(200);  // and back
  advance(0.8);
  expectBanner(*view, 0);
  swipe(200);  // back past the first: the loop shows the last
  advance(0.8);
  expectBanner(*view, 2);

  // Two seconds after the last lift the timer turns on by itself, every two seconds.
  advance(1.0);
  expectBanner(*view, 2);
  advance(0.9);
  expectBanner(*view, 0);
  advance(2.0);
  expectBanner(*view, 1);

  // A finger resting on the strip holds it; the turns start again two seconds after it lifts.
  fingers.begin({100, 90});
  advance(0.05);
  fingers.move({90, 90});
  advance(5);
  fingers.move({100, 90});
  advance(0.3);
  fingers.end();
  advance(0.8);
  expectBanner(*view, 1);
  advance(1.6);
  expectBanner(*view, 2);
}

TEST_F(Carousel, TheEndlessLoopTicksToTheLastItemAndJumpsBackToTheMiddleUnreported) {
  auto view = make(3);
  EXPECT_EQ(view->totalItemsCount(), 300);
  EXPECT_EQ(item(*view), 150);
  std::vector<long> reported;
  view->setItemDidScrollOperationBlock([&](long k) { reported.push_back(k); });
  advance(0.5);  // from here on each step ends with the tick's scroll finished
  for (int tick = 0; tick < 149; ++tick) advance(2.0);
  EXPECT_EQ(item(*view), 299);
  ASSERT_EQ(reported.size(), 149u);
  EXPECT_EQ(reported.back(), 2);  // item 299 shows image 2
  advance(2.0);
  EXPECT_EQ(item(*view), 150);
  EXPECT_EQ(reported.size(), 149u);  // the jump is not an animated scroll
  EXPECT_EQ(std::static_pointer_cast<platform::PageControl>(view->pageControl())->currentPage(), 0);
}

TEST_F(Carousel, WithoutTheLoopTheStripStopsAtTheLastImageAndKeepsAValidOffset) {
  auto view = make(3);
  advance(2.5);  // item 151: image 1
  view->setInfiniteLoop(false);
  EXPECT_EQ(view->totalItemsCount(), 3);
  EXPECT_EQ(view->currentIndex(), 1);
  for (int tick = 0; tick < 4; ++tick) advance(2.0);
  EXPECT_EQ(view->currentIndex(), 2);
  // A shorter list starts again from the first banner.
  view->setImagePathsGroup({solidImage({4, 4}, Color::red()), solidImage({4, 4}, Color::red())});
  EXPECT_EQ(view->mainView()->contentOffset().x, 0);
}

TEST_F(Carousel, ScrollEndsGoToTheDelegateBeforeTheBlockAndTapsToBoth) {
  auto view = make(3);
  std::vector<std::string> log;
  view->setDelegate(std::make_shared<Listener>(&log, false));
  view->setItemDidScrollOperationBlock(
      [&](long k) { log.push_back("block scroll " + std::to_string(k)); });
  view->setClickItemOperationBlock(
      [&](long k) { log.push_back("block tap " + std::to_string(k)); });
  advance(2.5);
  auto taking = std::make_shared<Listener>(&log, true);
  view->setDelegate(taking);
  advance(2.0);
  fingers.tap({100, 90});
  EXPECT_EQ(log, (std::vector<std::string>{"block scroll 1", "delegate scroll 2", "delegate tap 2",
                                           "block tap 2"}));
}

TEST_F(Carousel, ARealDragPausesTheTimerWhichResumesTwoSecondsAfterTheLift) {
  auto view = make(3);
  advance(1.0);
  fingers.drag({300, 90}, {200, 90}, 10);
  EXPECT_EQ(view->timer(), nullptr);
  advance(3.0);  // held: nothing turns
  fingers.end();
  ASSERT_NE(view->timer(), nullptr);
  advance(1.9);
  EXPECT_EQ(item(*view), 150);  // sprang back to the page it left
  advance(0.5);
  EXPECT_EQ(item(*view), 151);
}

TEST_F(Carousel, OneImageIsStaticWithoutAnIndicator) {
  auto view = make(1);
  EXPECT_FALSE(view->mainView()->isScrollEnabled());
  EXPECT_EQ(view->pageControl(), nullptr);
  advance(5);
  EXPECT_EQ(item(*view), 50);
}

TEST_F(Carousel, IndicatorsArePlacedAsTheirStyleAndAlimentSayAndOneTimerRuns) {
  auto view = make(3);
  EXPECT_EQ(view->pageControl()->frame(), makeRect(169.5, 160, 36, 10));
  view->setPageControlAliment(0);
  view->setNeedsLayout();
  view->layoutIfNeeded();
  EXPECT_EQ(view->pageControl()->frame(), makeRect(329, 160, 36, 10));
  // A dot image switches to the dot control, sized by its dots.
  view->setPageDotImage(solidImage({6, 6}, Color::gray()));
  ASSERT_NE(std::dynamic_pointer_cast<DPPageControl>(view->pageControl()), nullptr);
  view->setNeedsLayout();
  view->layoutIfNeeded();
  EXPECT_EQ(view->pageControl()->frame(), makeRect(319, 160, 46, 10));
  // Only one timer ever runs, however often it is restarted.
  const auto timers = loop.timerCount();
  view->setAutoScroll(true);
  view->setAutoScrollTimeInterval(2.0);
  EXPECT_EQ(loop.timerCount(), timers);
}

TEST_F(Carousel, AReusedCellLosesATitleItsNewBannerDoesNotHave) {
  auto view = make(3);
  view->setTitlesGroup({"园所通知"});
  view->mainView()->reloadData();
  view->layoutIfNeeded();
  ASSERT_NE(cellAt(*view, 150), nullptr);
  EXPECT_EQ(cellAt(*view, 150)->titleLabel()->text(), "   园所通知");
  EXPECT_FALSE(cellAt(*view, 150)->titleLabel()->isHidden());
  advance(4.5);
  ASSERT_NE(cellAt(*view, 152), nullptr);  // the cell that showed item 150, reused
  EXPECT_TRUE(cellAt(*view, 152)->titleLabel()->isHidden());
  EXPECT_EQ(cellAt(*view, 152)->titleLabel()->text(), "");
  EXPECT_EQ(cellAt(*view, 152)->titleLabel()->frame(), makeRect(0, 150, 375, 30));
}

TEST_F(Carousel, TheTimerHoldsTheCarouselWeakly) {
  std::weak_ptr<BCCarouselView> weak;
  {
    auto view = make(3);
    weak = view;
    view->removeFromSuperview();
    view->setAutoScroll(true);  // a timer running again, off screen
  }
  EXPECT_TRUE(weak.expired());
  advance(4.0);
}

TEST_F(Carousel, BannerStringsAreRemoteOnlyForWebSchemesAndFilesOnlyInsideTheApp) {
  EXPECT_TRUE(bc_isRemoteBanner("http://127.0.0.1/a.png"));
  EXPECT_TRUE(bc_isRemoteBanner("HTTPS://example.invalid/a.png"));
  EXPECT_FALSE(bc_isRemoteBanner("httpfoo"));
  EXPECT_FALSE(bc_isRemoteBanner("ftp://host/a.png"));
  const std::string documents = platform::FileManager::documentsDirectory();
  std::ofstream(documents + "/banner.png") << "x";
  EXPECT_TRUE(bc_bannerFilePath(documents + "/banner.png").has_value());
  for (const std::string& outside : {documents + "/../../../etc/passwd", std::string("/etc/passwd"),
                                     documents + "/missing.png", std::string("banner.png")}) {
    EXPECT_FALSE(bc_bannerFilePath(outside).has_value()) << outside;
  }
}

TEST_F(Carousel, RemoteBannersLoadFromTheServerAndTheListKeepsStringsAndURLs) {
  auto server = nettest::TestHTTPServer::start();
  const auto png = platform::encodePNG(*solidImage({30, 12}, Color::red()));
  ASSERT_TRUE(png.has_value());
  const std::string body(reinterpret_cast<const char*>(png->data()), png->size());
  server->serve("/b0.png", body, "image/png");
  server->serve("/b1.png", body, "image/png");
  auto view = BCCarouselView::carouselViewWithFrame(
      makeRect(0, 0, 375, 180),
      {std::any(server->url("/b0.png")), std::any(*platform::URL::parse(server->url("/b1.png"))),
       std::any(42)});
  ASSERT_EQ(view->imagePathsGroup().size(), 2u);  // the number is dropped
  window->addSubview(view);
  view->layoutIfNeeded();
  auto cell = cellAt(*view, 100);
  ASSERT_NE(cell, nullptr);
  ASSERT_TRUE(loop.runUntil([&] { return cell->imageView()->image() != nullptr; }, 10.0));
  EXPECT_EQ(cell->imageView()->image()->size(), (platform::Size{30, 12}));
  EXPECT_EQ(server->requestCount("/b0.png"), 1u);
}

TEST_F(Carousel, AVerticalStripReCentresOnlyWhileItsOwnAxisIsAtTheStart) {
  auto view = BCCarouselView::carouselViewWithFrame(
      makeRect(0, 0, 375, 180),
      std::vector<BCCarouselView::ImagePath>{solidImage({4, 4}, Color::red()),
                                             solidImage({4, 4}, Color::red())});
  view->setScrollDirection(platform::CollectionViewScrollDirection::Vertical);
  window->addSubview(view);
  view->layoutIfNeeded();
  EXPECT_EQ(view->mainView()->contentOffset(), (platform::Point{0, 100 * 180}));
  advance(2.5);
  EXPECT_EQ(view->currentIndex(), 101);
  view->setNeedsLayout();
  view->layoutIfNeeded();  // x is 0 as always: no jump back to the middle
  EXPECT_EQ(view->currentIndex(), 101);
}

TEST_F(Carousel, NamedBannersAndFilesInTheAppShowAndOtherStringsStayEmpty) {
  const std::string file = platform::FileManager::documentsDirectory() + "/banner.png";
  const auto png = platform::encodePNG(*solidImage({8, 6}, Color::red()));
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
  auto view =
      make({std::string("like_heart"), file, std::string("/etc/hostname"), std::string("")}, false);
  auto imageAt = [&](long i) {
    view->mainView()->scrollToItemAtIndexPath({0, i}, platform::CollectionViewScrollPositionNone,
                                              false);
    view->layoutIfNeeded();
    auto cell = cellAt(*view, i);
    return cell ? cell->imageView()->image() : nullptr;
  };
  ASSERT_NE(imageAt(0), nullptr);
  EXPECT_EQ(imageAt(1)->size(), (platform::Size{8, 6}));
  EXPECT_EQ(imageAt(2), nullptr);
  EXPECT_EQ(imageAt(3), nullptr);
}

TEST_F(Carousel, TextOnlyCellsShowTheirTitlesOverAClearStripAndKeepTheirFirstLooks) {
  auto view = BCCarouselView::create(makeRect(0, 0, 375, 40));
  view->setOnlyDisplayText(true);
  view->setTitlesGroup({"通知一", "通知二"});
  EXPECT_EQ(view->backgroundColor(), Color::clear());
  EXPECT_EQ(view->pageControl(), nullptr);
  window->addSubview(view);
  view->layoutIfNeeded();
  auto cell = cellAt(*view, 100);
  ASSERT_NE(cell, nullptr);
  cell->layoutIfNeeded();
  EXPECT_EQ(cell->titleLabel()->frame(), makeRect(0, 0, 375, 40));
  EXPECT_EQ(cell->titleLabel()->text(), "   通知一");
  EXPECT_EQ(cell->imageView()->image(), nullptr);
  view->setTitleLabelTextColor(Color::red());  // cells already shown keep their colour
  advance(2.5);
  EXPECT_EQ(cell->titleLabel()->textColor(), Color::whiteColor());
}

TEST_F(Carousel, ClearingTheCacheEmptiesTheSharedManagersDisk) {
  const auto& cache = WIImageManager::sharedManager()->imageCache();
  const std::string key = "http://127.0.0.1/banner-to-forget.png";
  cache->storeImageDataToDisk(platform::encodePNG(*solidImage({4, 4}, Color::red())), key);
  ASSERT_TRUE(loop.runUntil([&] { return cache->diskImageExistsWithKey(key); }, 10));
  make(2)->clearCache();
  EXPECT_TRUE(loop.runUntil([&] { return !cache->diskImageExistsWithKey(key); }, 10));
  EXPECT_EQ(cache->getDiskCount(), 0u);
}

}  // namespace
}  // namespace sprout
