#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "images/UIButtonWebCache.h"
#include "images/UIImageViewHighlightedWebCache.h"
#include "images/UIImageViewWebCache.h"
#include "images/UIViewWebCacheOperation.h"
#include "images/WebCacheDeprecated.h"
#include "platform/dispatch/DispatchQueue.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/support/net_test_server.h"

namespace sprout::test {
namespace {

using platform::ImageView;

// Holds a route's answer until opened, so a load can be overtaken at a known point.
class Latch {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

struct Completion {
  int calls = 0;
  ImagePtr image;
  OptionalError error;
  WIImageCacheType cacheType = WIImageCacheTypeNone;
  OptionalURL url;

  WIImageCompletionBlock block() {
    return [this](const ImagePtr& i, const OptionalError& e, WIImageCacheType t,
                  const OptionalURL& u) {
      ++calls;
      image = i;
      error = e;
      cacheType = t;
      url = u;
    };
  }
};

int pixelWidth(const ImagePtr& image) { return image ? image->bitmap()->width() : 0; }

// Pictures of different widths tell the loads apart. The shared manager serves every test, so
// each test's server port keeps its URLs apart from the others'.
class WebCacheBindingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = nettest::TestHTTPServer::start();
    for (int width : {10, 20, 30, 40}) {
      server_->serve("/w" + std::to_string(width) + ".png",
                     asString(pngData(width, 8, kOpaqueBlue, false)), "image/png");
    }
    server_->handle("/slow.png", [this](const nettest::RecordedRequest&, nettest::Reply& reply) {
      ++slowArrived_;
      platform::runOnMainAsync([] {});  // wakes a main loop waiting for the arrival
      latch_.wait();
      reply.body = asString(pngData(50, 8, kOpaqueRed, false));
      reply.contentType = "image/png";
    });
  }
  void TearDown() override {
    latch_.open();
    server_.reset();
  }

  platform::URL url(const std::string& path) const {
    return *platform::URL::parse(server_->url(path));
  }

  // Loads the slow picture once more and waits for it: anything the earlier load of it would
  // still deliver is through the same pipeline by then.
  void fence() {
    auto other = ImageView::create();
    Completion done;
    wi_setImageWithURL(other, url("/slow.png"), done.block());
    ASSERT_TRUE(runMainUntil([&] { return done.calls > 0; }));
  }

  static std::string asString(const platform::Data& data) {
    return std::string(data.begin(), data.end());
  }

  TemporaryHome home_;
  std::unique_ptr<nettest::TestHTTPServer> server_;
  Latch latch_;
  std::atomic<int> slowArrived_{0};
  ImagePtr placeholder_ = solidImage(4, 4, kOpaqueGreen, false);
};

TEST_F(WebCacheBindingsTest, ImageViewShowsPlaceholderThenTheImage) {
  auto view = ImageView::create({{0, 0}, {100, 100}});
  Completion done;
  wi_setImageWithURL(view, url("/w10.png"), placeholder_, {}, nullptr, done.block());
  EXPECT_EQ(view->image(), placeholder_);
  EXPECT_EQ(wi_imageURL(*view), url("/w10.png"));
  ASSERT_TRUE(runMainUntil([&] { return done.calls > 0; }));
  EXPECT_EQ(done.calls, 1);
  EXPECT_EQ(pixelWidth(view->image()), 10);
  EXPECT_EQ(done.cacheType, WIImageCacheTypeNone);
  EXPECT_EQ(done.url, url("/w10.png"));
  EXPECT_FALSE(done.error);

  // The second time it is a memory hit, answered before the call returns.
  Completion again;
  wi_setImageWithURL(view, url("/w10.png"), again.block());
  EXPECT_EQ(again.calls, 1);
  EXPECT_EQ(again.cacheType, WIImageCacheTypeMemory);
}

TEST_F(WebCacheBindingsTest, AReusedViewNeverShowsTheEarlierSlowerImage) {
  auto view = ImageView::create();
  Completion first;
  Completion second;
  wi_setImageWithURL(view, url("/slow.png"), first.block());
  // The request leaves once the main loop has heard the disk miss.
  ASSERT_TRUE(runMainUntil([&] { return slowArrived_ > 0; }));
  wi_setImageWithURL(view, url("/w20.png"), second.block());
  ASSERT_TRUE(runMainUntil([&] { return second.calls > 0; }));
  latch_.open();
  fence();
  EXPECT_EQ(first.calls, 0);
  EXPECT_EQ(pixelWidth(view->image()), 20);
}

TEST_F(WebCacheBindingsTest, DelayPlaceholderAndAvoidAutoSetImage) {
  auto delayed = ImageView::create();
  Completion failed;
  wi_setImageWithURL(delayed, url("/missing.png"), placeholder_, WIImageDelayPlaceholder, nullptr,
                     failed.block());
  EXPECT_EQ(delayed->image(), nullptr);  // not shown while loading
  ASSERT_TRUE(runMainUntil([&] { return failed.calls > 0; }));
  EXPECT_EQ(delayed->image(), placeholder_);  // shown once the load ended without an image
  ASSERT_TRUE(failed.error);
  EXPECT_EQ(failed.error->code, 404);

  auto manual = ImageView::create();
  Completion handed;
  wi_setImageWithURL(manual, url("/w30.png"), placeholder_, WIImageAvoidAutoSetImage, nullptr,
                     handed.block());
  ASSERT_TRUE(runMainUntil([&] { return handed.calls > 0; }));
  EXPECT_EQ(manual->image(), placeholder_);
  EXPECT_EQ(pixelWidth(handed.image), 30);
}

TEST_F(WebCacheBindingsTest, NoURLReportsTheNilURLErrorAndKeepsThePlaceholder) {
  auto view = ImageView::create();
  Completion done;
  wi_setImageWithURL(view, std::nullopt, placeholder_, {}, nullptr, done.block());
  EXPECT_EQ(done.calls, 1);  // on the main thread: at once
  ASSERT_TRUE(done.error);
  EXPECT_EQ(done.error->domain, "WIImageErrorDomain");
  EXPECT_EQ(done.error->code, -1);
  EXPECT_EQ(done.error->localizedDescription(), "Trying to load a nil url");
  EXPECT_EQ(view->image(), placeholder_);
  EXPECT_EQ(server_->requestCount(), 0u);

  Completion highlighted;
  wi_setHighlightedImageWithURL(view, std::nullopt, highlighted.block());
  ASSERT_TRUE(highlighted.error);
  EXPECT_EQ(highlighted.error->code, -1);
}

TEST_F(WebCacheBindingsTest, AViewGoneBeforeTheImageArrivesIsNotTouched) {
  bool requested = false;
  Completion done;
  {
    auto view = ImageView::create();
    wi_setImageWithURL(view, url("/slow.png"), done.block());
    requested = runMainUntil([&] { return slowArrived_ > 0; });
  }
  latch_.open();
  fence();
  EXPECT_TRUE(requested);
  EXPECT_EQ(done.calls, 0);
}

TEST_F(WebCacheBindingsTest, HighlightedImageAndAnimationImagesKeepTheirOrder) {
  auto view = ImageView::create();
  Completion highlighted;
  wi_setHighlightedImageWithURL(view, url("/w40.png"), highlighted.block());
  ASSERT_TRUE(runMainUntil([&] { return highlighted.calls > 0; }));
  EXPECT_EQ(pixelWidth(view->highlightedImage()), 40);
  EXPECT_EQ(view->image(), nullptr);

  view->setAnimationImages({placeholder_});
  // The slow first URL finishes last, yet stays first; the earlier animation is replaced.
  wi_setAnimationImagesWithURLs(view, {url("/slow.png"), url("/w10.png"), url("/w20.png")});
  ASSERT_TRUE(runMainUntil([&] { return view->animationImages().size() == 2; }));
  latch_.open();
  ASSERT_TRUE(runMainUntil([&] { return view->animationImages().size() == 3; }));
  const auto& frames = view->animationImages();
  EXPECT_EQ(pixelWidth(frames[0]), 50);
  EXPECT_EQ(pixelWidth(frames[1]), 10);
  EXPECT_EQ(pixelWidth(frames[2]), 20);
  EXPECT_TRUE(view->isAnimating());
}

TEST_F(WebCacheBindingsTest, ActivityIndicatorShowsWhileLoading) {
  auto view = ImageView::create({{0, 0}, {100, 60}});
  setShowActivityIndicatorView(*view, true);
  setIndicatorStyle(*view, platform::ActivityIndicatorViewStyle::Gray);
  Completion done;
  wi_setImageWithURL(view, url("/slow.png"), done.block());
  auto indicator = activityIndicator(*view);
  ASSERT_TRUE(indicator);
  EXPECT_EQ(indicator->superview().get(), view.get());
  EXPECT_TRUE(indicator->isAnimating());
  EXPECT_EQ(indicator->activityIndicatorViewStyle(), platform::ActivityIndicatorViewStyle::Gray);
  EXPECT_DOUBLE_EQ(indicator->center().x, 50);
  EXPECT_DOUBLE_EQ(indicator->center().y, 30);
  latch_.open();
  ASSERT_TRUE(runMainUntil([&] { return done.calls > 0; }));
  EXPECT_EQ(activityIndicator(*view), nullptr);
  EXPECT_EQ(indicator->superview(), nullptr);
}

TEST_F(WebCacheBindingsTest, ButtonLoadsPerStateAndFallsBackToTheNormalURL) {
  auto button = platform::Button::create({{0, 0}, {80, 40}});
  Completion normal;
  Completion highlighted;
  Completion background;
  wi_setImageWithURL(button, url("/w10.png"), platform::ControlStateNormal, placeholder_,
                     normal.block());
  EXPECT_EQ(button->imageForState(platform::ControlStateNormal), placeholder_);
  wi_setImageWithURL(button, url("/w20.png"), platform::ControlStateHighlighted,
                     highlighted.block());
  wi_setBackgroundImageWithURL(button, url("/w30.png"), platform::ControlStateNormal,
                               background.block());
  ASSERT_TRUE(runMainUntil(
      [&] { return normal.calls > 0 && highlighted.calls > 0 && background.calls > 0; }));
  EXPECT_EQ(pixelWidth(button->imageForState(platform::ControlStateNormal)), 10);
  EXPECT_EQ(pixelWidth(button->imageForState(platform::ControlStateHighlighted)), 20);
  EXPECT_EQ(pixelWidth(button->backgroundImageForState(platform::ControlStateNormal)), 30);
  EXPECT_EQ(wi_imageURLForState(*button, platform::ControlStateHighlighted), url("/w20.png"));
  EXPECT_EQ(wi_currentImageURL(*button), url("/w10.png"));  // normal state now
  button->setSelected(true);  // no URL for selected: the normal state's answers
  EXPECT_EQ(wi_currentImageURL(*button), url("/w10.png"));

  Completion cleared;
  wi_setImageWithURL(button, std::nullopt, platform::ControlStateHighlighted, cleared.block());
  EXPECT_EQ(cleared.error->code, -1);
  EXPECT_FALSE(wi_imageURLForState(*button, platform::ControlStateHighlighted));
}

TEST_F(WebCacheBindingsTest, CancellingASlotStopsItsLoadOnly) {
  auto view = ImageView::create();
  Completion slow;
  Completion highlighted;
  wi_setImageWithURL(view, url("/slow.png"), slow.block());
  wi_setHighlightedImageWithURL(view, url("/w40.png"), highlighted.block());
  EXPECT_EQ(wi_imageLoadOperations(*view, kWIImageViewImageLoadKey).size(), 1u);
  wi_cancelCurrentImageLoad(*view);
  EXPECT_TRUE(wi_imageLoadOperations(*view, kWIImageViewImageLoadKey).empty());
  latch_.open();
  ASSERT_TRUE(runMainUntil([&] { return highlighted.calls > 0; }));
  fence();
  EXPECT_EQ(slow.calls, 0);
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
  Completion slow;
  wi_setImageWithURL(button, url("/slow.png"), platform::ControlStateNormal, slow.block());
  cancelCurrentImageLoad(*button);
  EXPECT_TRUE(wi_imageLoadOperations(*button, "UIButtonImageOperation0").empty());
  latch_.open();
  fence();
  EXPECT_EQ(slow.calls, 0);
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
