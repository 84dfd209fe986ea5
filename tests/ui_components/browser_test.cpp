// The photo browser: its toolbar, ticks and limits, and the screen as a person uses it, swiping,
// zooming and tapping the bars away.
#include "platform/foundation/Log.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/controllers/AlertController.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/browser/PPPhotoPickerBrowserViewController.h"
#include "ui/components/browser/PPPhotoPickerCustomToolBarView.h"

namespace sprout {
namespace {

using Browser = PPPhotoPickerBrowserViewController;
using components_test::near255;
using platform::Color;

class Owner : public PPPhotoPickerBrowserViewControllerDelegate,
              public PPPhotoPickerBrowserViewControllerDataSource,
              public PPPhotoPickerCustomToolBarViewDelegate {
 public:
  long photoBrowserNumberOfItemsInSection(Browser&, unsigned long) override {
    return static_cast<long>(items.size());
  }
  std::shared_ptr<PPPhotoPickerBrowserPhoto> photoBrowserPhotoAtIndexPath(
      Browser&, const platform::IndexPath& path) override {
    return items[static_cast<std::size_t>(path.item())];
  }
  void photoBrowserWillExit(Browser&) override { ++exits; }
  void photoBrowserDidCurrentPage(Browser&, unsigned long page) override { pages.push_back(page); }
  void photoBrowserSendBtnTouched(Browser&, bool original) override { sends.push_back(original); }
  void customToolBarIsOriginalBtnTouched() override { ++originals; }
  void customToolBarSendBtnTouched() override { ++toolbarSends; }

  std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>> items;
  std::vector<unsigned long> pages;
  std::vector<bool> sends;
  int exits = 0, originals = 0, toolbarSends = 0;
};

// Ten pictures of the screen's shape at twice its size, each its own colour, so a picture fills
// the page at the fitting zoom and the bars lie over it; or ten photos of an album.
class PhotoBrowser : public components_test::ComponentsTest {
 protected:
  PhotoBrowser() {
    for (int i = 0; i < 10; ++i) {
      colors.push_back(Color::rgba(0.1 * i, 0.8 - 0.05 * i, 0.9 - 0.08 * i, 1));
      owner->items.push_back(PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
          components_test::solidPicture(640, 1136, colors.back())));
    }
    platform::AlertController::clearPresentations();
    Browser::setBarAlpha(1);
  }
  void useAlbum() {
    components_test::writeAlbum(home, "Class", 10, 64, 48,
                                [](int i) { return 0x203040 + i * 0x100000; });
    records = components_test::allRecords();
    owner->items.clear();
    for (const auto& r : records)
      owner->items.push_back(PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(r));
  }
  std::shared_ptr<Browser> open(long item, long maxCount = 9, long showType = 0) {
    auto browser = Browser::create();
    browser->setShowType(showType);
    browser->setDelegate(owner);
    browser->setDataSource(owner);
    browser->setMaxCount(maxCount);
    browser->setCurrentIndexPath({0, item});
    root->presentViewController(browser, false);
    loop.runPending();
    return browser;
  }
  void close(Browser& b) {
    b.dismissViewControllerAnimated(false);
    loop.runPending();
  }
  double pagerX(Browser& b) { return b.collectionView()->contentOffset().x; }
  std::string label(Browser& b) { return b.pageLabel()->text(); }
  // What the middle of the screen shows is the picture of page `page`.
  ::testing::AssertionResult shows(long page) {
    return near255(seen({160, 300}), colors[static_cast<std::size_t>(page)], 2);
  }

  platform::media_test::ScopedPhotoHome home;
  std::vector<std::shared_ptr<PPPhotoAssets>> records;
  std::shared_ptr<Owner> owner = std::make_shared<Owner>();
  std::vector<Color> colors;
};

TEST_F(PhotoBrowser, ToolbarShowsTheCountTheSwitchAndForwardsTaps) {
  auto bar = PPPhotoPickerCustomToolBarView::create(platform::makeRect(0, 524, 320, 44), 0);
  bar->setDelegate(owner);
  EXPECT_EQ(bar->sendBtn()->title(), "发送 (0)");
  EXPECT_FALSE(bar->sendBtn()->isEnabled());
  bar->updateToolbarWithOriginal(true, 0, 2);
  EXPECT_EQ(bar->sendBtn()->title(), "发送 (2)");
  EXPECT_TRUE(bar->sendBtn()->isEnabled());
  auto sw = std::dynamic_pointer_cast<platform::Button>(bar->isOriginalBtn()->customView());
  ASSERT_TRUE(sw);
  EXPECT_EQ(sw->titleForState(platform::ControlStateNormal), "原图(null)");
  bar->setGetSizeBlock([] { return std::string("(0.50K)"); });
  bar->updateToolbarWithOriginal(true, 0, 2);
  bar->setGetSizeBlock(nullptr);
  bar->updateToolbarWithOriginal(true, 0, 2);  // keeps the last size text
  sw = std::dynamic_pointer_cast<platform::Button>(bar->isOriginalBtn()->customView());
  EXPECT_EQ(sw->titleForState(platform::ControlStateNormal), "原图(0.50K)");
  EXPECT_EQ(bar->toolbar()->items().size(), 3u);
  sw->sendActionsForControlEvents(platform::ControlEventTouchUpInside);
  bar->sendBtn()->sendAction();
  EXPECT_EQ(owner->originals, 1);
  EXPECT_EQ(owner->toolbarSends, 1);
  EXPECT_EQ(bar->makeView(), bar->makeView());

  const std::pair<long long, const char*> sizes[] = {{512, "0.50K"},
                                                     {1024, "1.00K"},
                                                     {5000000, "4.77M"},
                                                     {1048576, "1.00M"},
                                                     {2147483648LL, "2.00G"}};
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(Browser::getFileSizeByBt(bytes), text);
}

TEST_F(PhotoBrowser, OpensOnTheAskedPageClampedToTheLastAndEmptyWithNoItems) {
  useAlbum();
  auto b = open(3);
  EXPECT_EQ(b->currentPage(), 3);
  EXPECT_EQ(label(*b), "4 / 10");
  EXPECT_DOUBLE_EQ(pagerX(*b), 3 * 340);
  EXPECT_EQ(b->cellScrollView()->photo(), owner->items[3]);
  close(*b);
  auto last = open(12);
  EXPECT_EQ(last->currentPage(), 9);
  EXPECT_EQ(label(*last), "10 / 10");
  // The size block reads the current photo's file.
  last->setIsOriginal(true);
  last->updateBrowserToolbar();
  auto sw = std::dynamic_pointer_cast<platform::Button>(
      last->browserToolbar()->isOriginalBtn()->customView());
  EXPECT_EQ(sw->titleForState(platform::ControlStateNormal)->rfind("原图(", 0), 0u);
  EXPECT_NE(sw->titleForState(platform::ControlStateNormal)->find("K)"), std::string::npos);
  close(*last);

  owner->items.clear();
  auto empty = open(0);
  EXPECT_EQ(empty->currentPage(), -1);
  EXPECT_EQ(label(*empty), "0 / 0");
  EXPECT_EQ(empty->currentItem(), nullptr);
  empty->selectedButtonTapped();
  EXPECT_TRUE(empty->selectedAssets().empty());
  EXPECT_TRUE(platform::AlertController::presentations().empty());
}

TEST_F(PhotoBrowser, TicksFollowTheURLAndRespectTheLimit) {
  useAlbum();
  auto b = open(2, 1);
  auto tick = b->imagePickerSelectView()->selectBtn();
  // A different record object for the same photo shows ticked and unticks.
  b->setSelectedAssets({PPPhotoAssets::create(records[2]->asset())});
  b->updateSelectBtn();
  EXPECT_TRUE(tick->isSelected());
  finger.tap(components_test::centreOf(*tick));
  EXPECT_TRUE(b->selectedAssets().empty());
  EXPECT_FALSE(tick->isSelected());
  finger.tap(components_test::centreOf(*tick));
  ASSERT_EQ(b->selectedAssets().size(), 1u);
  EXPECT_EQ(b->browserToolbar()->sendBtn()->title(), "发送 (1)");
  // At the limit another photo cannot be ticked.
  b->setSelectedAssets({records[5]});
  b->updateSelectBtn();
  b->selectedButtonTapped();
  ASSERT_EQ(platform::AlertController::presentations().size(), 1u);
  const auto& alert = platform::AlertController::presentations()[0];
  EXPECT_EQ(alert.title, "提示");
  EXPECT_EQ(alert.message, "最多只能选择1张图片");
  EXPECT_EQ(b->selectedAssets().size(), 1u);
}

TEST_F(PhotoBrowser, ATickTappedWhileASwipeSettlesTicksThePageItLandsOn) {
  useAlbum();
  auto b = open(0);
  auto tick = b->imagePickerSelectView()->selectBtn();
  finger.tap(components_test::centreOf(*tick));
  drag({250, 300}, {-120, 0}, 4);
  advance(kFrame);  // still gliding towards the next page
  ASSERT_LT(pagerX(*b), 340);
  finger.tap(components_test::centreOf(*tick));
  advance(1);
  ASSERT_EQ(b->selectedAssets().size(), 2u);
  EXPECT_EQ(b->selectedAssets()[1]->assetURL(), records[1]->assetURL());
  EXPECT_TRUE(tick->isSelected());
}

TEST_F(PhotoBrowser, ANegativeLimitMeansNineAndZeroAllowsNone) {
  useAlbum();
  auto b = open(0, -1);
  b->setSelectedAssets({records.begin() + 1, records.begin() + 10});
  b->updateSelectBtn();
  b->selectedButtonTapped();
  EXPECT_EQ(platform::AlertController::presentations().at(0).message, "最多只能选择9张图片");
  EXPECT_EQ(b->selectedAssets().size(), 9u);
  b->setSelectedAssets({});
  b->setMaxCount(0);
  b->updateSelectBtn();
  b->selectedButtonTapped();
  EXPECT_TRUE(b->selectedAssets().empty());
}

TEST_F(PhotoBrowser, BackAndSendDismissTellTheDelegateAndGiveBackTheStatusBar) {
  auto& app = platform::ApplicationWindows::shared();
  EXPECT_FALSE(app.isStatusBarHidden());
  auto b = open(0);
  EXPECT_TRUE(app.isStatusBarHidden());  // full screen while it is up
  b->customToolBarIsOriginalBtnTouched();
  b->customToolBarSendBtnTouched();
  loop.runPending();
  EXPECT_EQ(owner->sends, std::vector<bool>{true});
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_FALSE(app.isStatusBarHidden());
  auto c = open(0);
  finger.tap(components_test::centreOf(*c->imagePickerSelectView()->backBtn()));
  advance(1);
  EXPECT_EQ(owner->exits, 1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_FALSE(app.isStatusBarHidden());
}

TEST_F(PhotoBrowser, ScrollingNamesThePageAndWidensAPagerNarrowerThanTheScreen) {
  auto b = open(0);
  auto pager = b->collectionView();
  EXPECT_EQ(pager->frame().size.width, 340);  // a page and its gap
  pager->setContentOffset({2 * 340 + 160, 0});
  EXPECT_EQ(label(*b), "3 / 10");  // rounds at half a page
  pager->setContentOffset({2 * 340 + 180, 0});
  EXPECT_EQ(label(*b), "4 / 10");
  pager->setFrame(platform::makeRect(0, 0, 200, 568));
  pager->setContentOffset({0, 0});
  EXPECT_EQ(pager->frame().size.width, 320);
}

TEST_F(PhotoBrowser, ATurnPreloadsTheNeighbourAndOnlyNeighboursKeepTheirFullPictures) {
  useAlbum();
  auto b = open(4);
  drag({250, 300}, {-120, 0}, 4);
  advance(1);
  EXPECT_EQ(b->currentPage(), 5);
  EXPECT_TRUE(runUntil([&] { return owner->items[6]->hasPhotoImage(); }));
  for (const auto& item : owner->items) item->photoImage();  // as if every page had been seen
  drag({70, 300}, {120, 0}, 4);
  advance(1);
  EXPECT_EQ(owner->pages, (std::vector<unsigned long>{5, 4}));
  for (std::size_t i = 0; i < owner->items.size(); ++i) {
    EXPECT_EQ(owner->items[i]->hasPhotoImage(), i >= 3 && i <= 5) << i;
  }
}

// --- swipes, zooms and taps

TEST_F(PhotoBrowser, SwipesTurnOnePageEachWayAndLandOnWholePages) {
  auto b = open(0);
  ASSERT_TRUE(shows(0));
  drag({250, 300}, {-120, 0}, 4);  // a quick swipe to the left
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340);
  EXPECT_EQ(b->currentPage(), 1);
  EXPECT_EQ(owner->pages, std::vector<unsigned long>{1});
  EXPECT_EQ(label(*b), "2 / 10");
  EXPECT_TRUE(shows(1));
  drag({250, 300}, {-120, 0}, 4);
  advance(1);
  drag({70, 300}, {120, 0}, 4);  // and back
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340);
  EXPECT_EQ(b->currentPage(), 1);
  EXPECT_EQ(owner->pages, (std::vector<unsigned long>{1, 2, 1}));
  EXPECT_TRUE(shows(1));
  // The page itself never moved under the fingers: it fits the screen.
  EXPECT_EQ(b->cellScrollView()->contentOffset(), platform::Point(0, 0));
}

TEST_F(PhotoBrowser, ADragReleasedTowardsTheNextPageLandsOnItAndAHeldOneOnTheNearer) {
  auto b = open(3);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1020);
  drag({250, 300}, {-100, 0}, 6);  // under half a page, still moving when lifted
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1360);
  EXPECT_EQ(b->currentPage(), 4);
  EXPECT_EQ(owner->pages, std::vector<unsigned long>{4});
  EXPECT_TRUE(shows(4));
  // Dragged most of the way and held still: it settles on the nearer page.
  drag({250, 300}, {-230, 0}, 20, false);
  holdAndLift();
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1700);
  EXPECT_EQ(b->currentPage(), 5);
  // Dragged a little and held still: back where it was.
  drag({250, 300}, {-60, 0}, 10, false);
  holdAndLift();
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1700);
  EXPECT_EQ(b->currentPage(), 5);
  EXPECT_TRUE(shows(5));
}

TEST_F(PhotoBrowser, AZoomedInPageScrollsToItsEdgeBeforeThePagerTurns) {
  auto b = open(0);
  auto page = b->cellScrollView();
  doubleTap({160, 284});
  ASSERT_GT(page->zoomScale(), page->minScale());
  ASSERT_GT(page->contentSize().width, 320);
  const double edge = page->contentSize().width - 320;
  const double startX = page->contentOffset().x;
  ASSERT_LT(startX, edge);
  drag({250, 300}, {-60, 0}, 10, false);
  holdAndLift();
  advance(1);
  // The content follows the finger once it has moved past the pan's threshold.
  EXPECT_GT(page->contentOffset().x,
            startX + 60 - 2 * platform::PanGestureRecognizer::kStartThreshold);
  EXPECT_LE(page->contentOffset().x, startX + 60);
  EXPECT_DOUBLE_EQ(pagerX(*b), 0);
  while (page->contentOffset().x < edge) {
    const double before = page->contentOffset().x;
    drag({300, 300}, {-280, 0}, 20, false);
    holdAndLift();
    advance(1);
    ASSERT_GT(page->contentOffset().x, before);
    ASSERT_DOUBLE_EQ(pagerX(*b), 0);
  }
  // At its edge the page lets the next swipe turn the pager.
  drag({250, 300}, {-120, 0}, 4);
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340);
  EXPECT_EQ(b->currentPage(), 1);
  EXPECT_TRUE(shows(1));
}

TEST_F(PhotoBrowser, SingleTapsTakeTheBarsAwayAndBringThemBackForEveryBrowser) {
  auto b = open(2);
  auto bar = b->imagePickerSelectView();
  ASSERT_TRUE(bar);
  const Color under = seen({160, 10});  // the picture seen through the top bar
  EXPECT_FALSE(near255(under, colors[2], 10));
  finger.tap({160, 300});
  advance(0.35 + 0.15);  // the tap is single once a second could no longer come; then mid-fade
  EXPECT_GT(bar->layer()->presentationLayer()->opacity(), 0.05);
  advance(0.3);
  EXPECT_DOUBLE_EQ(bar->alpha(), 0);
  EXPECT_DOUBLE_EQ(b->browserToolbar()->alpha(), 0);
  EXPECT_TRUE(near255(seen({160, 10}), colors[2], 2));
  EXPECT_DOUBLE_EQ(pagerX(*b), 680);  // a tap turns no page
  finger.tap({160, 300});
  advance(1);
  EXPECT_DOUBLE_EQ(bar->alpha(), 1);
  EXPECT_DOUBLE_EQ(b->browserToolbar()->alpha(), 1);
  EXPECT_TRUE(near255(seen({160, 10}), under, 2));
  // Hidden again and closed by its opener: the next browser starts hidden.
  finger.tap({160, 300});
  advance(1);
  close(*b);
  auto next = open(0);
  EXPECT_DOUBLE_EQ(next->imagePickerSelectView()->alpha(), 0);
  EXPECT_TRUE(near255(seen({160, 10}), colors[0], 2));
  finger.tap({160, 300});
  advance(1);
  EXPECT_DOUBLE_EQ(next->imagePickerSelectView()->alpha(), 1);
  // A long press is only noted.
  std::vector<std::string> logged;
  platform::setLogSink(
      [&](platform::LogLevel, std::string_view, std::string_view m) { logged.emplace_back(m); });
  finger.begin({160, 300});
  advance(1);
  finger.end();
  platform::setLogSink(nullptr);
  EXPECT_EQ(logged, std::vector<std::string>{"long pressed"});
  EXPECT_EQ(next->presentedViewController(), nullptr);
  EXPECT_DOUBLE_EQ(next->imagePickerSelectView()->alpha(), 1);
}

TEST_F(PhotoBrowser, ASingleTapClosesTheBareViewerButADoubleTapZooms) {
  auto b = open(1, 9, 1);
  EXPECT_FALSE(b->imagePickerSelectView());
  EXPECT_FALSE(b->browserToolbar());
  doubleTap({160, 300});
  EXPECT_EQ(root->presentedViewController(), b);
  EXPECT_GT(b->cellScrollView()->zoomScale(), b->cellScrollView()->minScale());
  finger.tap({160, 300});
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PhotoBrowser, APinchZoomsAPictureLargerThanThePageAroundTheFingersWithinItsLimits) {
  auto b = open(0);
  auto page = b->cellScrollView();
  ASSERT_DOUBLE_EQ(page->zoomScale(), 0.5);  // the 640 x 1136 picture fits at half size
  pinch({80, 142}, 40, 80);
  advance(1);
  EXPECT_DOUBLE_EQ(page->zoomScale(), 1);
  // The picture's point under the fingers stays under them.
  EXPECT_NEAR(page->contentOffset().x, 80, 1e-6);
  EXPECT_NEAR(page->contentOffset().y, 142, 1e-6);
  pinch({160, 284}, 40, 200);  // past the largest zoom
  advance(1);
  EXPECT_DOUBLE_EQ(page->zoomScale(), 1);
  pinch({160, 284}, 200, 20);  // and back past the fitting one
  advance(1);
  EXPECT_DOUBLE_EQ(page->zoomScale(), 0.5);
  EXPECT_NEAR(page->contentOffset().x, 0, 1e-6);
  EXPECT_DOUBLE_EQ(pagerX(*b), 0);
  EXPECT_TRUE(shows(0));
}

TEST_F(PhotoBrowser, ADoubleTapZoomsInOnThePointTappedAndBesideAWidePictureOnItsMiddle) {
  owner->items[1] = PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
      components_test::solidPicture(3000, 2000, colors[1]));
  auto b = open(0);
  auto page = b->cellScrollView();
  doubleTap({250, 450});  // low on the right
  ASSERT_DOUBLE_EQ(page->zoomScale(), 1);
  EXPECT_EQ(page->contentOffset(), platform::Point(320, 568));  // the lower right quarter
  doubleTap({160, 284});
  EXPECT_DOUBLE_EQ(page->zoomScale(), 0.5);
  doubleTap({60, 100});
  EXPECT_EQ(page->contentOffset(), platform::Point(0, 0));
  doubleTap({160, 284});

  drag({250, 300}, {-120, 0}, 4);
  advance(1);
  page = b->cellScrollView();
  ASSERT_EQ(page->photo(), owner->items[1]);
  doubleTap({160, 120});  // above the picture, on the black
  EXPECT_NEAR(page->zoomScale(), 2 * 320.0 / 3000, 1e-9);
  EXPECT_NEAR(page->contentOffset().x, (page->contentSize().width - 320) / 2, 1e-6);
}

TEST_F(PhotoBrowser, APinchThatCatchesASwipeLeavesThePageItSettlesOnCurrent) {
  auto b = open(0);
  drag({250, 300}, {-120, 0}, 4);
  advance(kFrame);
  ASSERT_LT(pagerX(*b), 170);  // not yet half-way to the next page
  pinch({160, 284}, 40, 120);
  advance(2);
  const long shown = std::lround(pagerX(*b) / 340);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340.0 * static_cast<double>(shown));
  EXPECT_TRUE(shows(shown));
  EXPECT_EQ(b->currentPage(), shown);
  EXPECT_EQ(label(*b), std::to_string(shown + 1) + " / 10");
  ASSERT_FALSE(owner->pages.empty());
  EXPECT_EQ(owner->pages.back(), static_cast<unsigned long>(shown));
}

TEST_F(PhotoBrowser, TheNextDoubleTapZoomsOutAfterAPinchInAndInOnceThePictureIsPlacedAgain) {
  auto b = open(0);
  auto page = b->cellScrollView();
  pinch({160, 284}, 40, 200);
  advance(1);
  ASSERT_DOUBLE_EQ(page->zoomScale(), 1);
  doubleTap({160, 284});
  EXPECT_DOUBLE_EQ(page->zoomScale(), 0.5);
  doubleTap({160, 284});
  ASSERT_DOUBLE_EQ(page->zoomScale(), 1);
  pinch({160, 284}, 200, 20);  // pinched back to fit
  advance(1);
  doubleTap({160, 284});
  EXPECT_DOUBLE_EQ(page->zoomScale(), 1);
  // The picture arriving again while zoomed in shows it whole; a double tap then zooms in.
  owner->items[0]->notifyImageDidFinishLoad();
  advance(0.1);
  ASSERT_DOUBLE_EQ(page->zoomScale(), 0.5);
  doubleTap({160, 284});
  EXPECT_DOUBLE_EQ(page->zoomScale(), 1);
}

TEST_F(PhotoBrowser, ADoubleTapOnAPanoramaBringsTheTappedPointToTheMiddle) {
  owner->items[0] = PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
      components_test::solidPicture(3000, 600, colors[0]));
  auto b = open(0);
  auto page = b->cellScrollView();
  ASSERT_EQ(page->photoImageView()->frame(), platform::makeRect(0, 252, 320, 64));
  doubleTap({200, 284});
  ASSERT_EQ(page->photoImageView()->frame().size, platform::Size(2840, 568));
  EXPECT_NEAR(page->contentOffset().x, 200 * 2840.0 / 320 - 160, 1e-6);
  doubleTap({160, 284});
  EXPECT_EQ(page->photoImageView()->frame(), platform::makeRect(0, 252, 320, 64));
  doubleTap({10, 284});  // near its start: the page shows the start
  EXPECT_EQ(page->contentOffset().x, 0);
}

}  // namespace
}  // namespace sprout
