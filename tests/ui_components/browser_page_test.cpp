#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/Button.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/browser/PPImagePickerSelectView.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhotoScrollView.h"
#include "ui/components/browser/PPPhotoRect.h"

namespace sprout {
namespace {

using platform::makeRect;
using platform::media_test::photo;
using platform::media_test::ScopedPhotoHome;
using Item = PPPhotoPickerBrowserPhoto;

class PageOwner : public PPPhotoPickerPhotoScrollViewDelegate {
 public:
  void pickerPhotoScrollViewDidSingleClick(PPPhotoPickerBrowserPhotoScrollView&) override {
    ++clicks;
  }
  void pickerPhotoScrollViewDidLongPressed(PPPhotoPickerBrowserPhotoScrollView&) override {
    ++presses;
  }
  int clicks = 0, presses = 0;
};

class BrowserPage : public components_test::ComponentsTest {
 protected:
  BrowserPage() {
    page->setFrame(kScreen);
    page->setPhotoScrollViewDelegate(owner);
    window->addSubview(page);
  }

  ScopedPhotoHome home;
  std::shared_ptr<PPPhotoPickerBrowserPhotoScrollView> page =
      PPPhotoPickerBrowserPhotoScrollView::create();
  std::shared_ptr<PageOwner> owner = std::make_shared<PageOwner>();
};

TEST_F(BrowserPage, PicturesFitTheScreenNeverMoreThanThreeTimesAndLongStripsAreSuperBig) {
  const auto big = PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImage(photo(3000, 2000));
  EXPECT_EQ(big.origin.y, 177);
  EXPECT_EQ(big.size.width, 320);
  EXPECT_NEAR(big.size.height, 213.33, 0.01);
  EXPECT_EQ(PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImage(photo(100, 50)),
            makeRect(10, 209, 300, 150));
  EXPECT_EQ(PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImage(nullptr), platform::Rect{});
  EXPECT_EQ(PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImageView(nullptr),
            platform::Rect{});
  const std::tuple<int, int, bool> strips[] = {
      {1000, 300, true}, {1000, 100, false}, {1000, 400, false}, {200, 700, true}};
  for (const auto& [w, h, superBig] : strips) {
    EXPECT_EQ(PPPhotoPickerBrowserPhotoScrollView::isSuperBigImage(photo(w, h).get()), superBig)
        << w << " x " << h;
  }
}

TEST_F(BrowserPage, ItemsTakeTheSourceTheyAreMadeFrom) {
  auto image = photo(40, 30);
  auto fromImage = Item::photoAnyImageObjWith(image);
  EXPECT_EQ(fromImage->photoImage(), image);
  EXPECT_EQ(fromImage->thumbImage(), image);  // no record: the full picture stands in
  auto fromURL = Item::photoAnyImageObjWith(*platform::URL::parse("https://example.org/a.jpg"));
  EXPECT_TRUE(fromURL->photoURL());
  EXPECT_EQ(fromURL->photoImage(), nullptr);
  EXPECT_EQ(Item::photoAnyImageObjWith(std::string("/no/such/file"))->photoPath(), "/no/such/file");
  auto none = Item::photoAnyImageObjWith(std::monostate{});
  EXPECT_FALSE(none->photoURL() || none->asset() || none->photoImage());
}

TEST_F(BrowserPage, ZoomLimitsFollowThePictureSize) {
  page->setPhoto(Item::photoAnyImageObjWith(photo(100, 80)));
  EXPECT_TRUE(page->isLoadingDone());
  EXPECT_EQ(page->minScale(), 1);
  EXPECT_EQ(page->maxScale(), 2);
  page->layoutIfNeeded();
  EXPECT_EQ(page->photoImageView()->frame(), makeRect(110, 244, 100, 80));  // centred

  page->setPhoto(Item::photoAnyImageObjWith(photo(3000, 2000)));
  EXPECT_NEAR(page->minScale(), 320.0 / 3000, 1e-9);
  EXPECT_NEAR(page->maxScale(), 2 * 320.0 / 3000, 1e-9);
  EXPECT_NEAR(page->zoomScale(), page->minScale(), 1e-9);
  EXPECT_EQ(page->zoomScaleFromInit(), page->minScale());

  page->setPhoto(Item::photoAnyImageObjWith(photo(300, 3000)));  // a tall strip fills the width
  EXPECT_NEAR(page->minScale(), 320.0 / 300, 1e-9);
  page->setPhoto(Item::photoAnyImageObjWith(photo(1000, 300)));  // a wide strip
  EXPECT_NEAR(page->maxScale(), 568.0 / 300, 1e-9);
  EXPECT_NEAR(page->minScale(), 0.32, 1e-9);
  EXPECT_EQ(page->photoImageView()->contentMode(), platform::ViewContentMode::ScaleAspectFill);
}

TEST_F(BrowserPage, TheLoadOriginButtonSitsAboveTheBottomByTheStatusBar) {
  auto container = platform::View::create(kScreen);
  window->addSubview(container);
  container->addSubview(page);
  auto item = Item::photoAnyImageObjWith(photo(64, 48));
  auto button = platform::Button::create();
  item->setLoadOriginButton(button);
  page->setPhoto(item);
  EXPECT_EQ(button->superview(), container);
  EXPECT_EQ(button->tag(), PPPhotoPickerBrowserPhotoScrollView::kLoadOriginButtonTag);
  EXPECT_EQ(button->frame(), makeRect(86, 568 - 20 - 42, 148, 32));
  platform::ApplicationWindows::shared().setStatusBarHidden(true);
  auto again = Item::photoAnyImageObjWith(photo(64, 48));
  auto second = platform::Button::create();
  again->setLoadOriginButton(second);
  page->setPhoto(again);
  EXPECT_EQ(button->superview(), nullptr);  // the old one leaves
  EXPECT_EQ(second->frame(), makeRect(86, 568 - 42, 148, 32));
  platform::ApplicationWindows::shared().setStatusBarHidden(false);
}

TEST_F(BrowserPage, DoubleTapsZoomInAndOutAroundThePicture) {
  page->setPhoto(Item::photoAnyImageObjWith(photo(640, 480)));
  page->layoutIfNeeded();
  doubleTap({160, 40});  // beside the picture: on the tap view
  EXPECT_TRUE(page->isBigScale());
  EXPECT_NEAR(page->zoomScale(), page->maxScale(), 1e-6);
  doubleTap({160, 284});
  EXPECT_FALSE(page->isBigScale());
  EXPECT_NEAR(page->zoomScale(), page->minScale(), 1e-6);
  EXPECT_EQ(owner->clicks, 0);
  EXPECT_EQ(page->zoomRectForScale(2, {100, 100}), makeRect(20, -42, 160, 284));
}

TEST_F(BrowserPage, SingleTapsAndLongPressesReachTheBrowserOrTheCallback) {
  page->setPhoto(Item::photoAnyImageObjWith(photo(640, 480)));
  page->layoutIfNeeded();
  finger.tap({160, 284});  // on the picture
  advance(1);
  finger.tap({160, 40});  // beside it
  advance(1);
  EXPECT_EQ(owner->clicks, 2);
  int called = 0;
  page->setCallback([&](std::shared_ptr<void> arg) { called += arg ? 10 : 1; });
  finger.tap({160, 284});
  advance(1);
  EXPECT_EQ(called, 1);
  EXPECT_EQ(owner->clicks, 2);
  finger.begin({160, 284});
  advance(1);
  finger.end();
  EXPECT_EQ(owner->presses, 1);
}

TEST_F(BrowserPage, FilesLibraryURLsAndTheFinishNotification) {
  const std::string album = home.album(platform::kSavedPhotosAlbumName);
  platform::media_test::writePhoto(album + "/1.jpg", 200, 150);
  page->setPhoto(Item::photoAnyImageObjWith(album + "/1.jpg"));
  ASSERT_TRUE(page->photoImageView()->image());
  EXPECT_EQ(page->contentSize().width, 200);
  page->setPhoto(Item::photoAnyImageObjWith(std::string("/no/such/file")));
  EXPECT_EQ(page->photoImageView()->image(), nullptr);  // an empty page

  auto asset = platform::AssetsLibrary::listGroups().at(0)->assetAtFileIndex(0);
  page->setPhoto(Item::photoAnyImageObjWith(asset->url()));
  runUntil([&] { return page->isLoadingDone(); });
  ASSERT_TRUE(page->photoImageView()->image());
  EXPECT_EQ(page->photoImageView()->image()->size().width, 200);

  auto item = Item::photoAnyImageObjWith(std::monostate{});
  page->setPhoto(item);
  item->setPhotoImage(photo(50, 40));
  item->notifyImageDidStartLoad();
  item->notifyImageDidFinishLoad();
  runUntil([&] { return page->photoImageView()->image() == item->photoImage(); });
  EXPECT_FALSE(item->isLoading());
}

TEST_F(BrowserPage, AWebPictureThatFailsShowsTheBrokenPictureAndStopsZooming) {
  // Nothing listens on port 9 of the loopback: the load fails at once.
  page->setPhoto(Item::photoAnyImageObjWith(*platform::URL::parse("http://127.0.0.1:9/p.jpg")));
  ASSERT_TRUE(page->progressView());
  EXPECT_FALSE(page->progressView()->isHidden());
  EXPECT_NEAR(page->progressView()->progress(), 0.01, 1e-9);
  runUntil([&] { return page->isLoadingDone() && !page->progressView(); });
  EXPECT_EQ(page->photoImageView()->image(),
            platform::imageNamed(*platform::Bundle::main(), "icon_pic_break.png"));
  const double before = page->zoomScale();
  doubleTap(page->photoImageView()->center());
  EXPECT_EQ(page->zoomScale(), before);
  EXPECT_FALSE(page->isBigScale());

  // With a thumbnail the picture shows at once and no ring appears.
  auto withThumb = Item::photoAnyImageObjWith(*platform::URL::parse("http://127.0.0.1:9/q.jpg"));
  withThumb->setThumbImage(photo(64, 48));
  auto other = PPPhotoPickerBrowserPhotoScrollView::create();
  other->setFrame(kScreen);
  other->setPhoto(withThumb);
  EXPECT_EQ(other->photoImageView()->image(), withThumb->thumbImage());
  EXPECT_TRUE(other->progressView()->isHidden());
  runUntil([&] { return other->isLoadingDone(); });
}

TEST_F(BrowserPage, BackOnTheLeftTickOnTheRightWiredByTheBrowser) {
  auto bar = PPImagePickerSelectView::create();
  window->addSubview(bar);
  EXPECT_EQ(bar->frame(), platform::makeRect(0, 0, 320, 64));
  EXPECT_EQ(bar->backBtn()->frame(), platform::makeRect(0, 20, 60, 50));
  EXPECT_EQ(bar->selectBtn()->frame(), platform::makeRect(265, 20, 40, 40));
  EXPECT_TRUE(bar->backBtn()->imageForState(platform::ControlStateNormal));
  EXPECT_NE(bar->selectBtn()->imageForState(platform::ControlStateNormal),
            bar->selectBtn()->imageForState(platform::ControlStateSelected));
  int back = 0, select = 0;
  bar->addTarget([&](platform::Control&) { ++back; }, [&](platform::Control&) { ++select; },
                 platform::ControlEventTouchUpInside);
  finger.tap({20, 40});
  finger.tap({285, 40});
  finger.tap({285, 40});
  EXPECT_EQ(back, 1);
  EXPECT_EQ(select, 2);
}

}  // namespace
}  // namespace sprout
