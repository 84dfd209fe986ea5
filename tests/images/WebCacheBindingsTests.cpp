#include <gtest/gtest.h>

#include "images/ButtonWebCache.h"
#include "images/ImageViewHighlightedWebCache.h"
#include "images/ImageViewWebCache.h"
#include "images/ViewWebCacheOperation.h"
#include "images/WebCacheDeprecated.h"
#include "tests/images/ImageServerFixture.h"

namespace sprout::test {
namespace {

using platform::ImageView;

int pixelWidth(const ImagePtr& image) { return image ? image->bitmap()->width() : 0; }

// Pictures of different widths tell the loads apart; the slow one (50 wide) waits for gate_. The
// shared manager serves every test, so each test's server port keeps its URLs apart.
class WebCacheBindingsTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    for (int width : {10, 20, 30, 40}) {
      server_->serve("/w" + std::to_string(width) + ".png", pngBody(width, kOpaqueBlue),
                     "image/png");
    }
    serveGated("/slow.png", pngBody(50));
  }
  void TearDown() override {
    ServerTest::TearDown();
    server_.reset();
  }

  // Loads the slow picture once more and waits for it: anything the earlier load of it would
  // still deliver is through the same pipeline by then.
  void fence() {
    Deliveries done;
    auto other = ImageView::create();
    wi_setImageWithURL(other, url("/slow.png"), done.viewBlock());
    ASSERT_TRUE(done.waitFor(1));
  }

  ImagePtr placeholder_ = solidImage(4, 4, kOpaqueGreen, false);
};

TEST_F(WebCacheBindingsTest, ImageViewShowsPlaceholderThenTheImage) {
  auto view = ImageView::create({{0, 0}, {100, 100}});
  Deliveries done, again;
  wi_setImageWithURL(view, url("/w10.png"), placeholder_, {}, nullptr, done.viewBlock());
  EXPECT_EQ(view->image(), placeholder_);
  EXPECT_EQ(wi_imageURL(*view), url("/w10.png"));
  ASSERT_TRUE(done.waitFor(1));
  EXPECT_EQ(pixelWidth(view->image()), 10);
  EXPECT_EQ(done.at(0).cacheType, WIImageCacheTypeNone);
  EXPECT_EQ(done.at(0).url, url("/w10.png"));
  EXPECT_FALSE(done.at(0).error);

  // The second time it is a memory hit, answered before the call returns.
  wi_setImageWithURL(view, url("/w10.png"), again.viewBlock());
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again.at(0).cacheType, WIImageCacheTypeMemory);
  EXPECT_EQ(done.size(), 1u);
}

TEST_F(WebCacheBindingsTest, AReusedOrLostViewNeverShowsAnEarlierSlowerImage) {
  auto view = ImageView::create();
  Deliveries first, second, lost;
  wi_setImageWithURL(view, url("/slow.png"), first.viewBlock());
  // The request leaves once the main loop has heard the disk miss.
  ASSERT_TRUE(runMainUntil([&] { return gate_.arrivals() > 0; }));
  wi_setImageWithURL(view, url("/w20.png"), second.viewBlock());
  ASSERT_TRUE(second.waitFor(1));
  {  // A view gone before its image arrives is not touched.
    auto gone = ImageView::create();
    wi_setImageWithURL(gone, url("/slow.png"), lost.viewBlock());
    ASSERT_TRUE(runMainUntil([&] { return gate_.arrivals() > 1; }));
  }
  gate_.open();
  fence();
  EXPECT_EQ(first.size() + lost.size(), 0u);
  EXPECT_EQ(pixelWidth(view->image()), 20);
}

// A list cell shows a thumbnail, then the full picture its completion asks for. Scrolled away and
// back, the thumbnail is a memory hit answered inside the call: the full picture it asks for
// there must still load, whether for an image, a highlighted image or a button.
TEST_F(WebCacheBindingsTest, ALoadStartedFromAMemoryHitsCompletionKeepsItsSlot) {
  auto view = ImageView::create();
  auto button = platform::Button::create();
  int full = 0;
  auto thumbnailThenFull = [&] {
    wi_setImageWithURL(
        view, url("/w10.png"),
        [&](const ImagePtr&, const OptionalError&, WIImageCacheType, const OptionalURL&) {
          wi_setImageWithURL(view, url("/w20.png"), placeholder_,
                             [&](const ImagePtr& image, const OptionalError&, WIImageCacheType,
                                 const OptionalURL&) {
                               if (image) ++full;
                             });
        });
    wi_setHighlightedImageWithURL(
        view, url("/w10.png"),
        [&](const ImagePtr&, const OptionalError&, WIImageCacheType, const OptionalURL&) {
          wi_setHighlightedImageWithURL(view, url("/w30.png"),
                                        [&](const ImagePtr& image, const OptionalError&,
                                            WIImageCacheType, const OptionalURL&) {
                                          if (image) ++full;
                                        });
        });
    wi_setImageWithURL(
        button, url("/w10.png"), platform::ControlStateNormal,
        [&](const ImagePtr&, const OptionalError&, WIImageCacheType, const OptionalURL&) {
          wi_setImageWithURL(button, url("/w40.png"), platform::ControlStateNormal,
                             [&](const ImagePtr& image, const OptionalError&, WIImageCacheType,
                                 const OptionalURL&) {
                               if (image) ++full;
                             });
        });
  };
  thumbnailThenFull();
  ASSERT_TRUE(runMainUntil([&] { return full == 3; }));
  // Back on screen: every thumbnail is in memory now.
  for (const char* path : {"/w20.png", "/w30.png", "/w40.png"}) {
    bool removed = false;
    WIImageCache::sharedImageCache()->removeImageForKey(url(path).absoluteString(), true,
                                                        [&] { removed = true; });
    ASSERT_TRUE(runMainUntil([&] { return removed; }));
  }
  thumbnailThenFull();
  ASSERT_TRUE(runMainUntil([&] { return full == 6; }));
  EXPECT_EQ(pixelWidth(view->image()), 20);
  EXPECT_EQ(pixelWidth(view->highlightedImage()), 30);
  EXPECT_EQ(pixelWidth(button->imageForState(platform::ControlStateNormal)), 40);
}

TEST_F(WebCacheBindingsTest, DelayPlaceholderAndAvoidAutoSetImage) {
  auto delayed = ImageView::create();
  Deliveries failed, handed;
  wi_setImageWithURL(delayed, url("/missing.png"), placeholder_, WIImageDelayPlaceholder, nullptr,
                     failed.viewBlock());
  EXPECT_EQ(delayed->image(), nullptr);  // not shown while loading
  ASSERT_TRUE(failed.waitFor(1));
  EXPECT_EQ(delayed->image(), placeholder_);  // shown once the load ended without an image
  ASSERT_TRUE(failed.at(0).error);
  EXPECT_EQ(failed.at(0).error->code, 404);

  auto manual = ImageView::create();
  wi_setImageWithURL(manual, url("/w30.png"), placeholder_, WIImageAvoidAutoSetImage, nullptr,
                     handed.viewBlock());
  ASSERT_TRUE(handed.waitFor(1));
  EXPECT_EQ(manual->image(), placeholder_);
  EXPECT_EQ(pixelWidth(handed.at(0).image), 30);
}

TEST_F(WebCacheBindingsTest, NoURLReportsTheNilURLErrorAndKeepsThePlaceholder) {
  auto view = ImageView::create();
  Deliveries done, highlighted;
  wi_setImageWithURL(view, std::nullopt, placeholder_, {}, nullptr, done.viewBlock());
  ASSERT_EQ(done.size(), 1u);  // on the main thread: at once
  const auto error = done.at(0).error;
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain, "WIImageErrorDomain");
  EXPECT_EQ(error->code, -1);
  EXPECT_EQ(error->localizedDescription(), "Trying to load a nil url");
  EXPECT_EQ(view->image(), placeholder_);
  EXPECT_EQ(server_->requestCount(), 0u);

  wi_setHighlightedImageWithURL(view, std::nullopt, highlighted.viewBlock());
  ASSERT_EQ(highlighted.size(), 1u);
  EXPECT_EQ(highlighted.at(0).error->code, -1);
}

TEST_F(WebCacheBindingsTest, HighlightedImageAndAnimationImagesKeepTheirOrder) {
  auto view = ImageView::create();
  Deliveries highlighted;
  wi_setHighlightedImageWithURL(view, url("/w40.png"), highlighted.viewBlock());
  ASSERT_TRUE(highlighted.waitFor(1));
  EXPECT_EQ(pixelWidth(view->highlightedImage()), 40);
  EXPECT_EQ(view->image(), nullptr);

  view->setAnimationImages({placeholder_});
  // The slow first URL finishes last, yet stays first; the earlier animation is replaced.
  wi_setAnimationImagesWithURLs(view, {url("/slow.png"), url("/w10.png"), url("/w20.png")});
  ASSERT_TRUE(runMainUntil([&] { return view->animationImages().size() == 2; }));
  gate_.open();
  ASSERT_TRUE(runMainUntil([&] { return view->animationImages().size() == 3; }));
  const auto& frames = view->animationImages();
  EXPECT_EQ(pixelWidth(frames[0]), 50);
  EXPECT_EQ(pixelWidth(frames[1]), 10);
  EXPECT_EQ(pixelWidth(frames[2]), 20);
  EXPECT_TRUE(view->isAnimating());
}

// A reused cell plays none of the frames it loaded for its earlier item, not even while the new
// ones are on their way.
TEST_F(WebCacheBindingsTest, AReusedViewDropsItsEarlierWebAnimationAtOnce) {
  auto view = ImageView::create();
  wi_setAnimationImagesWithURLs(view, {url("/w10.png"), url("/w20.png")});
  ASSERT_TRUE(runMainUntil([&] { return view->animationImages().size() == 2; }));
  wi_setAnimationImagesWithURLs(view, {url("/slow.png")});
  EXPECT_TRUE(view->animationImages().empty());
  EXPECT_FALSE(view->isAnimating());
  gate_.open();
  ASSERT_TRUE(runMainUntil([&] { return view->animationImages().size() == 1; }));
  EXPECT_EQ(pixelWidth(view->animationImages()[0]), 50);
  wi_setAnimationImagesWithURLs(view, {});
  EXPECT_TRUE(view->animationImages().empty());
}

TEST_F(WebCacheBindingsTest, ActivityIndicatorShowsWhileLoading) {
  auto view = ImageView::create({{0, 0}, {100, 60}});
  setShowActivityIndicatorView(*view, true);
  setIndicatorStyle(*view, platform::ActivityIndicatorViewStyle::Gray);
  Deliveries done;
  wi_setImageWithURL(view, url("/slow.png"), done.viewBlock());
  auto indicator = activityIndicator(*view);
  ASSERT_TRUE(indicator);
  EXPECT_EQ(indicator->superview().get(), view.get());
  EXPECT_TRUE(indicator->isAnimating());
  EXPECT_EQ(indicator->activityIndicatorViewStyle(), platform::ActivityIndicatorViewStyle::Gray);
  EXPECT_DOUBLE_EQ(indicator->center().x, 50);
  EXPECT_DOUBLE_EQ(indicator->center().y, 30);
  gate_.open();
  ASSERT_TRUE(done.waitFor(1));
  EXPECT_EQ(activityIndicator(*view), nullptr);
  EXPECT_EQ(indicator->superview(), nullptr);
}

TEST_F(WebCacheBindingsTest, ButtonLoadsPerStateAndFallsBackToTheNormalURL) {
  auto button = platform::Button::create({{0, 0}, {80, 40}});
  Deliveries normal, highlighted, background, cleared;
  wi_setImageWithURL(button, url("/w10.png"), platform::ControlStateNormal, placeholder_,
                     normal.viewBlock());
  EXPECT_EQ(button->imageForState(platform::ControlStateNormal), placeholder_);
  wi_setImageWithURL(button, url("/w20.png"), platform::ControlStateHighlighted,
                     highlighted.viewBlock());
  wi_setBackgroundImageWithURL(button, url("/w30.png"), platform::ControlStateNormal,
                               background.viewBlock());
  ASSERT_TRUE(normal.waitFor(1) && highlighted.waitFor(1) && background.waitFor(1));
  EXPECT_EQ(pixelWidth(button->imageForState(platform::ControlStateNormal)), 10);
  EXPECT_EQ(pixelWidth(button->imageForState(platform::ControlStateHighlighted)), 20);
  EXPECT_EQ(pixelWidth(button->backgroundImageForState(platform::ControlStateNormal)), 30);
  EXPECT_EQ(wi_imageURLForState(*button, platform::ControlStateHighlighted), url("/w20.png"));
  EXPECT_EQ(wi_currentImageURL(*button), url("/w10.png"));  // normal state now
  button->setSelected(true);  // no URL for selected: the normal state's answers
  EXPECT_EQ(wi_currentImageURL(*button), url("/w10.png"));

  wi_setImageWithURL(button, std::nullopt, platform::ControlStateHighlighted, cleared.viewBlock());
  ASSERT_EQ(cleared.size(), 1u);
  EXPECT_EQ(cleared.at(0).error->code, -1);
  EXPECT_FALSE(wi_imageURLForState(*button, platform::ControlStateHighlighted));
}

TEST_F(WebCacheBindingsTest, CancellingASlotStopsItsLoadOnly) {
  auto view = ImageView::create();
  Deliveries slow, highlighted;
  wi_setImageWithURL(view, url("/slow.png"), slow.viewBlock());
  wi_setHighlightedImageWithURL(view, url("/w40.png"), highlighted.viewBlock());
  EXPECT_EQ(wi_imageLoadOperations(*view, kWIImageViewImageLoadKey).size(), 1u);
  wi_cancelCurrentImageLoad(*view);
  EXPECT_TRUE(wi_imageLoadOperations(*view, kWIImageViewImageLoadKey).empty());
  gate_.open();
  ASSERT_TRUE(highlighted.waitFor(1));
  fence();
  EXPECT_EQ(slow.size(), 0u);
}

TEST_F(WebCacheBindingsTest, OlderEntryPointsForwardWithTheShorterCompletion) {
  auto view = ImageView::create();
  int calls = 0;
  ImagePtr heard;
  setImageWithURL(view, url("/w20.png"), placeholder_,
                  [&](const ImagePtr& image, const OptionalError& error, WIImageCacheType) {
                    ++calls;
                    heard = error ? nullptr : image;
                  });
  EXPECT_EQ(view->image(), placeholder_);
  EXPECT_EQ(imageURL(*view), url("/w20.png"));
  ASSERT_TRUE(runMainUntil([&] { return calls > 0; }));
  EXPECT_EQ(pixelWidth(heard), 20);
  EXPECT_EQ(view->image(), heard);

  // The button's older cancel acts on its current state only.
  auto button = platform::Button::create();
  Deliveries slow;
  wi_setImageWithURL(button, url("/slow.png"), platform::ControlStateNormal, slow.viewBlock());
  cancelCurrentImageLoad(*button);
  EXPECT_TRUE(wi_imageLoadOperations(*button, "UIButtonImageOperation0").empty());
  gate_.open();
  fence();
  EXPECT_EQ(slow.size(), 0u);
}

// A completion that holds its view strongly may be its last owner: the view must still die on
// the main thread (views are main-thread only; debug builds abort otherwise), not on the thread
// that finished the download.
TEST_F(WebCacheBindingsTest, AViewHeldOnlyByItsCompletionDiesOnTheMainThread) {
  auto view = ImageView::create();
  auto button = platform::Button::create();
  std::weak_ptr<ImageView> watchView = view;
  std::weak_ptr<platform::Button> watchButton = button;
  int calls = 0;
  wi_setImageWithURL(view, url("/w40.png"),
                     [view, &calls](const ImagePtr&, const OptionalError&, WIImageCacheType,
                                    const OptionalURL&) { ++calls; });
  wi_setImageWithURL(button, url("/w30.png"), platform::ControlStateNormal,
                     [button, &calls](const ImagePtr&, const OptionalError&, WIImageCacheType,
                                      const OptionalURL&) { ++calls; });
  view.reset();
  button.reset();
  ASSERT_TRUE(runMainUntil([&] { return calls == 2; }));
  // Whatever still holds the blocks lets go of them once the loads are over, on main or not.
  ASSERT_TRUE(runMainUntil([&] { return watchView.expired() && watchButton.expired(); }));
}

}  // namespace
}  // namespace sprout::test
