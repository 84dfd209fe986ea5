#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/controllers/AlertController.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/browser/PPPhotoPickerBrowserViewController.h"
#include "ui/components/browser/PPPhotoPickerCustomToolBarView.h"

namespace sprout {
namespace {

using platform::media_test::ScopedPhotoHome;
using Browser = PPPhotoPickerBrowserViewController;

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
  void photoBrowserSendBtnTouched(Browser& b, bool original) override {
    sends.push_back(original);
    stillPresented = b.presentingViewController() != nullptr;
  }
  void customToolBarIsOriginalBtnTouched() override { ++originals; }
  void customToolBarSendBtnTouched() override { ++toolbarSends; }

  std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>> items;
  std::vector<unsigned long> pages;
  std::vector<bool> sends;
  bool stillPresented = true;
  int exits = 0, originals = 0, toolbarSends = 0;
};

class BrowserScreen : public components_test::ComponentsTest {
 protected:
  BrowserScreen() {
    const std::string album = home.album("Class");
    for (int i = 0; i < 10; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/P%02d.jpg", i);
      platform::media_test::writePhoto(album + name, 64, 48, 0x203040 + i * 0x100000);
    }
    for (const auto& group : platform::AssetsLibrary::listGroups()) {
      group->enumerateAssets([&](const std::shared_ptr<platform::Asset>& a, std::size_t, bool&) {
        if (a) records.push_back(PPPhotoAssets::create(a));
      });
    }
    for (const auto& r : records)
      owner->items.push_back(PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(r));
    platform::AlertController::clearPresentations();
    Browser::setBarAlpha(1);
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
  std::string label(Browser& b) { return b.pageLabel()->text(); }

  ScopedPhotoHome home;
  std::vector<std::shared_ptr<PPPhotoAssets>> records;
  std::shared_ptr<Owner> owner = std::make_shared<Owner>();
};

TEST_F(BrowserScreen, ToolbarShowsTheCountTheSwitchAndForwardsTaps) {
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
}

TEST_F(BrowserScreen, SizeTextsUseBinaryUnits) {
  EXPECT_EQ(Browser::getFileSizeByBt(512), "0.50K");
  EXPECT_EQ(Browser::getFileSizeByBt(1024), "1.00K");
  EXPECT_EQ(Browser::getFileSizeByBt(5000000), "4.77M");
  EXPECT_EQ(Browser::getFileSizeByBt(1048576), "1.00M");
  EXPECT_EQ(Browser::getFileSizeByBt(2147483648LL), "2.00G");
}

TEST_F(BrowserScreen, OpensOnTheAskedPageClampedToTheLast) {
  auto b = open(3);
  EXPECT_EQ(b->currentPage(), 3);
  EXPECT_EQ(label(*b), "4 / 10");
  EXPECT_DOUBLE_EQ(b->collectionView()->contentOffset().x, 3 * 340);
  EXPECT_EQ(b->cellScrollView()->photo(), owner->items[3]);
  b->dismissViewControllerAnimated(false);
  loop.runPending();
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
}

TEST_F(BrowserScreen, WithNoItemsThereIsNoCurrentItemAndNothingToTick) {
  owner->items.clear();
  auto b = open(0);
  EXPECT_EQ(b->currentPage(), -1);
  EXPECT_EQ(label(*b), "0 / 0");
  EXPECT_EQ(b->currentItem(), nullptr);
  b->selectedButtonTapped();
  EXPECT_TRUE(b->selectedAssets().empty());
  EXPECT_TRUE(platform::AlertController::presentations().empty());
}

TEST_F(BrowserScreen, TicksFollowTheURLAndRespectTheLimit) {
  auto b = open(2, 1);
  auto tick = b->imagePickerSelectView()->selectBtn();
  // A different record object for the same photo shows ticked and unticks.
  b->setSelectedAssets({PPPhotoAssets::create(records[2]->asset())});
  b->updateSelectBtn();
  EXPECT_TRUE(tick->isSelected());
  b->selectedButtonTapped();
  EXPECT_TRUE(b->selectedAssets().empty());
  EXPECT_FALSE(tick->isSelected());
  b->selectedButtonTapped();
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

TEST_F(BrowserScreen, ANegativeLimitMeansNineAndZeroAllowsNone) {
  auto b = open(0, -1);
  std::vector<std::shared_ptr<PPPhotoAssets>> nine(records.begin() + 1, records.begin() + 10);
  b->setSelectedAssets(nine);
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

TEST_F(BrowserScreen, SingleTapsToggleTheSharedBarAlphaAndCloseTheBareViewer) {
  auto b = open(0);
  b->pickerPhotoScrollViewDidSingleClick(*b->cellScrollView());
  advance(0.5);
  EXPECT_DOUBLE_EQ(b->imagePickerSelectView()->alpha(), 0);
  EXPECT_DOUBLE_EQ(b->browserToolbar()->alpha(), 0);
  b->dismissViewControllerAnimated(false);
  loop.runPending();
  auto again = open(0);
  EXPECT_DOUBLE_EQ(again->imagePickerSelectView()->alpha(), 0);
  again->pickerPhotoScrollViewDidSingleClick(*again->cellScrollView());
  advance(0.5);
  EXPECT_DOUBLE_EQ(again->imagePickerSelectView()->alpha(), 1);
  again->dismissViewControllerAnimated(false);
  loop.runPending();
  // A long press is only noted.
  std::vector<std::string> logged;
  platform::setLogSink(
      [&](platform::LogLevel, std::string_view, std::string_view m) { logged.emplace_back(m); });
  again->pickerPhotoScrollViewDidLongPressed(*again->cellScrollView());
  platform::setLogSink(nullptr);
  EXPECT_EQ(logged, std::vector<std::string>{"long pressed"});
  EXPECT_EQ(again->presentedViewController(), nullptr);
  auto bare = open(1, 9, 1);
  EXPECT_EQ(bare->imagePickerSelectView(), nullptr);
  EXPECT_EQ(bare->browserToolbar(), nullptr);
  bare->pickerPhotoScrollViewDidSingleClick(*bare->cellScrollView());
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(BrowserScreen, BackAndSendDismissAndTellTheDelegate) {
  auto& app = platform::ApplicationWindows::shared();
  EXPECT_FALSE(app.isStatusBarHidden());
  auto b = open(0);
  EXPECT_TRUE(app.isStatusBarHidden());  // full screen while it is up
  b->customToolBarIsOriginalBtnTouched();
  EXPECT_TRUE(b->isOriginal());
  b->customToolBarSendBtnTouched();
  loop.runPending();
  EXPECT_EQ(owner->sends, std::vector<bool>{true});
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_FALSE(app.isStatusBarHidden());
  auto c = open(0);
  c->back();
  advance(1);
  EXPECT_EQ(owner->exits, 1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_FALSE(app.isStatusBarHidden());
}

TEST_F(BrowserScreen, ScrollingNamesThePageAndWidensAPagerNarrowerThanTheScreen) {
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

TEST_F(BrowserScreen, ADragSetsThePageFromItsTargetAndPreloadsTheNeighbourOnTheMainThread) {
  auto b = open(4);
  auto pager = b->collectionView();
  const double w = pager->frame().size.width;
  // Still mid-way at release; the target decides.
  pager->setContentOffset({4 * w + 30, 0});
  platform::Point target{5 * w, 0};
  b->scrollViewWillEndDragging(*pager, {0, 0}, &target);
  EXPECT_EQ(b->currentPage(), 5);
  EXPECT_TRUE(runUntil([&] { return owner->items[6]->hasPhotoImage(); }));
  for (const auto& item : owner->items) item->photoImage();  // as if every page had been seen
  pager->setContentOffset(target);
  b->scrollViewDidEndDecelerating(*pager);
  EXPECT_EQ(owner->pages, std::vector<unsigned long>{5});
  // Only the current page and its neighbours keep their full-screen pictures.
  for (std::size_t i = 0; i < owner->items.size(); ++i) {
    EXPECT_EQ(owner->items[i]->hasPhotoImage(), i >= 4 && i <= 6) << i;
  }
  // A drag that ends where it began changes nothing.
  platform::Point same{5 * w, 0};
  b->scrollViewWillEndDragging(*pager, {0, 0}, &same);
  EXPECT_EQ(b->currentPage(), 5);
}

}  // namespace
}  // namespace sprout
