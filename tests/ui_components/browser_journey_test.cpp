// The photo browser as a person uses it: fingers and the clock only.
#include "platform/ui/PanGestureRecognizer.h"
#include "tests/ui_components/components_support.h"
#include "tests/ui_components/journey_support.h"
#include "ui/components/browser/PPPhotoPickerBrowserViewController.h"

namespace sprout {
namespace {

using Browser = PPPhotoPickerBrowserViewController;
using components_test::Finger;
using platform::Color;

class Opener : public PPPhotoPickerBrowserViewControllerDelegate,
               public PPPhotoPickerBrowserViewControllerDataSource {
 public:
  long photoBrowserNumberOfItemsInSection(Browser&, unsigned long) override {
    return static_cast<long>(items.size());
  }
  std::shared_ptr<PPPhotoPickerBrowserPhoto> photoBrowserPhotoAtIndexPath(
      Browser&, const platform::IndexPath& path) override {
    return items[static_cast<std::size_t>(path.item())];
  }
  void photoBrowserDidCurrentPage(Browser&, unsigned long page) override { pages.push_back(page); }

  std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>> items;
  std::vector<unsigned long> pages;
};

// Ten pictures of the screen's shape at twice its size, each its own colour, so a picture
// fills the page at the fitting zoom and the bars lie over it.
class BrowserJourney : public components_test::ComponentsTest {
 protected:
  BrowserJourney() {
    for (int i = 0; i < 10; ++i) {
      colors.push_back(Color::rgba(0.1 * i, 0.8 - 0.05 * i, 0.9 - 0.08 * i, 1));
      opener->items.push_back(PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
          components_test::solidPicture(640, 1136, colors.back())));
    }
    Browser::setBarAlpha(1);
  }
  std::shared_ptr<Browser> open(long item, long showType = 0) {
    auto browser = Browser::create();
    browser->setShowType(showType);
    browser->setDelegate(opener);
    browser->setDataSource(opener);
    browser->setCurrentIndexPath({0, item});
    root->presentViewController(browser, false);
    loop.runPending();
    return browser;
  }
  double pagerX(Browser& b) { return b.collectionView()->contentOffset().x; }
  // What the middle of the screen shows is the picture of page `page`.
  ::testing::AssertionResult shows(long page) {
    return components_test::near255(finger.seen({160, 300}), colors[static_cast<std::size_t>(page)],
                                    2);
  }

  std::shared_ptr<Opener> opener = std::make_shared<Opener>();
  std::vector<Color> colors;
  Finger finger{window};
};

TEST_F(BrowserJourney, SwipesTurnOnePageEachWayAndLandOnWholePages) {
  auto b = open(0);
  ASSERT_TRUE(shows(0));
  finger.drag({250, 300}, {-120, 0}, 4);  // a quick swipe to the left
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340);
  EXPECT_EQ(b->currentPage(), 1);
  EXPECT_EQ(opener->pages, std::vector<unsigned long>{1});
  EXPECT_EQ(b->pageLabel()->text(), "2 / 10");
  EXPECT_TRUE(shows(1));
  finger.drag({250, 300}, {-120, 0}, 4);
  advance(1);
  finger.drag({70, 300}, {120, 0}, 4);  // and back
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340);
  EXPECT_EQ(b->currentPage(), 1);
  EXPECT_EQ(opener->pages, (std::vector<unsigned long>{1, 2, 1}));
  EXPECT_TRUE(shows(1));
  // The page itself never moved under the fingers: it fits the screen.
  EXPECT_EQ(b->cellScrollView()->contentOffset(), platform::Point(0, 0));
}

TEST_F(BrowserJourney, ADragReleasedTowardsTheNextPageLandsOnIt) {
  auto b = open(3);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1020);
  finger.drag({250, 300}, {-100, 0}, 6);  // under half a page, still moving when lifted
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1360);
  EXPECT_EQ(b->currentPage(), 4);
  EXPECT_EQ(opener->pages, std::vector<unsigned long>{4});
  EXPECT_TRUE(shows(4));
  // Dragged most of the way and held still: it settles on the nearer page.
  finger.drag({250, 300}, {-230, 0}, 20, false);
  finger.holdAndLift();
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1700);
  EXPECT_EQ(b->currentPage(), 5);
  // Dragged a little and held still: back where it was.
  finger.drag({250, 300}, {-60, 0}, 10, false);
  finger.holdAndLift();
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 1700);
  EXPECT_EQ(b->currentPage(), 5);
  EXPECT_TRUE(shows(5));
}

TEST_F(BrowserJourney, AZoomedInPageScrollsToItsEdgeBeforeThePagerTurns) {
  auto b = open(0);
  auto page = b->cellScrollView();
  finger.tap({160, 284});
  advance(0.1);
  finger.tap({160, 284});  // a double tap zooms in
  advance(1);
  ASSERT_GT(page->zoomScale(), page->minScale());
  ASSERT_GT(page->contentSize().width, 320);
  const double edge = page->contentSize().width - 320;
  const double startX = page->contentOffset().x;
  ASSERT_LT(startX, edge);
  finger.drag({250, 300}, {-60, 0}, 10, false);
  finger.holdAndLift();
  advance(1);
  // The content follows the finger once it has moved past the pan's threshold.
  EXPECT_GT(page->contentOffset().x,
            startX + 60 - 2 * platform::PanGestureRecognizer::kStartThreshold);
  EXPECT_LE(page->contentOffset().x, startX + 60);
  EXPECT_DOUBLE_EQ(pagerX(*b), 0);
  while (page->contentOffset().x < edge) {
    const double before = page->contentOffset().x;
    finger.drag({300, 300}, {-280, 0}, 20, false);
    finger.holdAndLift();
    advance(1);
    ASSERT_GT(page->contentOffset().x, before);
    ASSERT_DOUBLE_EQ(pagerX(*b), 0);
  }
  // At its edge the page lets the next swipe turn the pager.
  finger.drag({250, 300}, {-120, 0}, 4);
  advance(1);
  EXPECT_DOUBLE_EQ(pagerX(*b), 340);
  EXPECT_EQ(b->currentPage(), 1);
  EXPECT_TRUE(shows(1));
}

TEST_F(BrowserJourney, SingleTapsTakeTheBarsAwayAndBringThemBack) {
  auto b = open(2);
  auto bar = b->imagePickerSelectView();
  ASSERT_TRUE(bar);
  const Color under = finger.seen({160, 10});  // the picture seen through the top bar
  EXPECT_FALSE(components_test::near255(under, colors[2], 10));
  finger.tap({160, 300});
  advance(0.35 + 0.15);  // the tap is single once a second could no longer come; then mid-fade
  EXPECT_GT(bar->layer()->presentationLayer()->opacity(), 0.05);
  advance(0.3);
  EXPECT_DOUBLE_EQ(bar->alpha(), 0);
  EXPECT_DOUBLE_EQ(b->browserToolbar()->alpha(), 0);
  EXPECT_TRUE(components_test::near255(finger.seen({160, 10}), colors[2], 2));
  EXPECT_DOUBLE_EQ(pagerX(*b), 680);  // a tap turns no page
  finger.tap({160, 300});
  advance(1);
  EXPECT_DOUBLE_EQ(bar->alpha(), 1);
  EXPECT_DOUBLE_EQ(b->browserToolbar()->alpha(), 1);
  EXPECT_TRUE(components_test::near255(finger.seen({160, 10}), under, 2));
  // Hidden again and closed by its opener: the next browser starts hidden.
  finger.tap({160, 300});
  advance(1);
  b->dismissViewControllerAnimated(false);
  loop.runPending();
  auto next = open(0);
  EXPECT_DOUBLE_EQ(next->imagePickerSelectView()->alpha(), 0);
  EXPECT_TRUE(components_test::near255(finger.seen({160, 10}), colors[0], 2));
  finger.tap({160, 300});
  advance(1);
  EXPECT_DOUBLE_EQ(next->imagePickerSelectView()->alpha(), 1);
}

TEST_F(BrowserJourney, ASingleTapClosesTheBareViewerButADoubleTapZooms) {
  auto b = open(1, 1);
  EXPECT_FALSE(b->imagePickerSelectView());
  finger.tap({160, 300});
  advance(0.1);
  finger.tap({160, 300});
  advance(1);
  EXPECT_EQ(root->presentedViewController(), b);
  EXPECT_GT(b->cellScrollView()->zoomScale(), b->cellScrollView()->minScale());
  finger.tap({160, 300});
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

}  // namespace
}  // namespace sprout
