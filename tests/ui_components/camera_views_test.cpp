#include <cairo.h>

#include "tests/ui_components/components_support.h"
#include "ui/components/camera/PPCameraImageView.h"
#include "ui/components/camera/SCCameraImageView.h"
#include "ui/components/camera/SCCameraView.h"

namespace sprout {
namespace {

using platform::media_test::near;

class SelectionCounter : public SCCameraViewDelegate,
                         public SCCameraImageViewDelegate,
                         public PPCameraImageViewDelegate {
 public:
  void cameraDidSelected(SCCameraView&) override { ++selected; }
  void deleteImageView(SCCameraImageView& view) override { deleted.push_back(&view); }
  void ppCameraImageViewSendBtnTouched() override { ++sent; }
  void ppCameraImageViewCancleBtnTouched() override { ++cancelled; }
  int selected = 0, sent = 0, cancelled = 0;
  std::vector<SCCameraImageView*> deleted;
};

class CameraViews : public components_test::ComponentsTest {
 protected:
  CameraViews() {
    focus->setBackgroundColor(platform::Color::clear());
    focus->setDelegate(counter);
    window->addSubview(focus);
  }
  // The yellow square's side, measured across its middle row in the rendered view (0: none).
  int measuredSide() {
    platform::RenderOptions options;
    options.scale = 1;
    auto b = platform::renderView(*focus, options)->bitmap();
    const int y = static_cast<int>(focus->point().y);
    int first = -1, last = -1;
    for (int x = 0; x < b->width(); ++x) {
      const auto p = b->pixel(x, y);
      if ((p >> 24) > 0x60 && ((p >> 16) & 0xFF) > 0x60 && (p & 0xFF) < 0x20) {  // yellow
        if (first < 0) first = x;
        last = x;
      }
    }
    return first < 0 ? 0 : last - first;
  }
  void frame() { advance(platform::DisplayLink::kFrameDuration); }

  std::shared_ptr<SelectionCounter> counter = std::make_shared<SelectionCounter>();
  std::shared_ptr<SCCameraView> focus = SCCameraView::create(platform::makeRect(0, 40, 320, 427));
  platform::TouchDriver finger{window};
};

TEST_F(CameraViews, TheFocusSquareShrinksFrameByFrameAndEndsAtThirty) {
  finger.begin({100, 140});  // (100, 100) in the focus view
  EXPECT_TRUE(focus->isPlayerEnd());
  EXPECT_EQ(focus->point(), (platform::Point{100, 100}));
  EXPECT_EQ(counter->selected, 1);
  finger.end();
  std::vector<int> sides;
  for (int i = 0; i < 29; ++i) {
    frame();
    sides.push_back(measuredSide());
  }
  EXPECT_NEAR(sides.front(), 59, 1);
  EXPECT_NEAR(sides[14], 45, 1);
  EXPECT_NEAR(sides.back(), 31, 1);
  EXPECT_TRUE(std::is_sorted(
      sides.rbegin(), sides.rend()));  // one pixel less each frame, give or take the anti-aliasing
  frame();                             // side 30: gone
  EXPECT_FALSE(focus->isPlayerEnd());
  EXPECT_EQ(focus->link(), nullptr);
  EXPECT_EQ(focus->time(), 0);
  EXPECT_EQ(measuredSide(), 0);
}

TEST_F(CameraViews, TouchesWhileShrinkingAreIgnoredAndEdgesAreNotClamped) {
  finger.tap({4, 44});
  frame();
  finger.tap({200, 300});
  EXPECT_EQ(counter->selected, 1);
  EXPECT_EQ(focus->point(), (platform::Point{4, 4}));
  platform::RenderOptions options;
  options.scale = 1;
  auto b = platform::renderView(*focus, options)->bitmap();
  // Side 59 around (4, 4): the right edge at x ≈ 33.5, the left one outside the view.
  EXPECT_GT(b->pixel(33, 20) >> 24, 0x40u);
  for (int i = 0; i < 40; ++i) frame();
  finger.tap({200, 300});
  EXPECT_EQ(counter->selected, 2);
}

TEST_F(CameraViews, LeavingTheWindowOrGoingStopsTheFrames) {
  finger.tap({100, 140});
  std::weak_ptr<platform::DisplayLink> link = focus->link();
  ASSERT_TRUE(link.lock());
  focus->removeFromSuperview();
  EXPECT_FALSE(focus->isPlayerEnd());
  EXPECT_FALSE(link.lock() && link.lock()->isValid());

  window->addSubview(focus);
  finger.tap({100, 140});
  link = focus->link();
  focus->removeFromSuperview();
  focus.reset();
  frame();
  EXPECT_FALSE(link.lock() && link.lock()->isValid());
}

TEST_F(CameraViews, TheDeleteBadgeReachesOnlyTheDelegate) {
  auto thumb = SCCameraImageView::create(platform::makeRect(0, 0, 80, 80));
  window->addSubview(thumb);
  EXPECT_TRUE(thumb->isUserInteractionEnabled());
  thumb->setEdit(true);
  EXPECT_FALSE(thumb->deleBjView()->isHidden());
  EXPECT_EQ(thumb->deleBjView()->frame(), platform::makeRect(50, 0, 25, 25));
  EXPECT_TRUE(thumb->deleBjView()->image());  // "X.png" from the app's resources
  finger.tap({62, 12});
  advance(1);
  thumb->setDelegatge(counter);
  finger.tap({62, 12});
  advance(1);
  ASSERT_EQ(counter->deleted.size(), 1u);
  EXPECT_EQ(counter->deleted[0], thumb.get());
  thumb->setEdit(false);
  EXPECT_TRUE(thumb->deleBjView()->isHidden());
}

TEST_F(CameraViews, ThePreviewShowsThePhotoAcrossTheScreenWithRetakeAndUse) {
  auto preview = PPCameraImageView::create(kScreen);
  preview->setDelegate(counter);
  window->addSubview(preview);
  EXPECT_EQ(preview->retakeButton()->frame(), platform::makeRect(20, 0, 80, 60));
  EXPECT_EQ(preview->useButton()->frame(), platform::makeRect(220, 0, 80, 60));
  EXPECT_EQ(preview->useButton()->superview()->frame(), platform::makeRect(0, 508, 320, 60));
  EXPECT_EQ(*preview->retakeButton()->titleForState(platform::ControlStateNormal), "重拍");
  EXPECT_EQ(*preview->useButton()->titleForState(platform::ControlStateNormal), "使用照片");

  preview->setImageToDisplay(platform::media_test::photo(300, 400));
  const auto f = preview->photoDisplayView()->frame();
  EXPECT_DOUBLE_EQ(f.size.width, 320);
  EXPECT_NEAR(f.size.height, 426.67, 0.01);
  EXPECT_NEAR(f.origin.y, (568 - 426.6667) / 2, 0.01);
  preview->setImageToDisplay(nullptr);
  EXPECT_EQ(preview->imageToDisplay(), nullptr);
  EXPECT_TRUE(preview->photoDisplayView()->image());

  finger.tap({260, 538});
  EXPECT_EQ(counter->sent, 1);
  EXPECT_TRUE(preview->superview());
  finger.tap({60, 538});
  EXPECT_EQ(counter->cancelled, 1);
  EXPECT_FALSE(preview->superview());
}

}  // namespace
}  // namespace sprout
