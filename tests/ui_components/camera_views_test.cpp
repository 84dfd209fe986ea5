#include <cairo.h>

#include "tests/ui_components/fixtures.h"
#include "ui/components/camera/PPCameraImageView.h"
#include "ui/components/camera/SCCameraImageSteps.h"
#include "ui/components/camera/SCCameraImageView.h"
#include "ui/components/camera/SCCameraView.h"

namespace sprout {
namespace {

using platform::DeviceOrientation;
using platform::media_test::near;
using platform::media_test::photo;

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
    auto b = render(*focus, clock.now())->bitmap();
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
  auto b = render(*focus, clock.now())->bitmap();
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

// --- the shot's cut and turn

constexpr std::uint32_t kBlock = 0xE03020;

// A sensor frame as the camera hands it: landscape pixels shown turned clockwise.
std::shared_ptr<platform::Image> sensorFrame(int width, int height) {
  return platform::Image::create(photo(width, height)->bitmap(), 1,
                                 platform::ImageOrientation::Right);
}

TEST(SCCameraImageSteps, TheCutIsWhatThePreviewBoxShowedTurnedUpright) {
  // 1920 x 1080 (1080 x 1920 shown), view 568 high: (236.62, 0, 1436.4, 1080) made integral is
  // (236, 0, 1438, 1080), inside the frame.
  auto hd = SCCameraCutImage(sensorFrame(1920, 1080).get(), 568);
  ASSERT_TRUE(hd);
  EXPECT_EQ(hd->bitmap()->width(), 1080);
  EXPECT_EQ(hd->bitmap()->height(), 1438);
  EXPECT_EQ(hd->scale(), 1);
  EXPECT_EQ(hd->orientation(), platform::ImageOrientation::Up);
  // The block spans x 192…576, y 108…324 of the sensor frame; its centre (384, 216) lands at
  // (1080 − 216, 384 − 236) after the clockwise turn.
  EXPECT_TRUE(near(hd->bitmap()->pixel(864, 148), kBlock));
  EXPECT_TRUE(near(hd->bitmap()->pixel(1080 - 120, 148 + 200), 0x73B3F2, 60));  // sky beside it
  // Sensor column 250 (just inside the cut) becomes row 14; column 200 was cut away.
  EXPECT_TRUE(near(hd->bitmap()->pixel(864, 14), kBlock));

  // 3264 x 2448, same view: (402.25, 0, 3255.84, 2448) → (402, 0, 3257, 2448), clipped at the
  // frame's end to (402, 0, 2862, 2448).
  auto big = SCCameraCutImage(sensorFrame(3264, 2448).get(), 568);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->bitmap()->width(), 2448);
  EXPECT_EQ(big->bitmap()->height(), 2862);
  // Block centre (652, 490) → (2448 − 490, 652 − 402).
  EXPECT_TRUE(near(big->bitmap()->pixel(1958, 250), kBlock));
}

TEST(SCCameraImageSteps, NothingToCutGivesNothing) {
  EXPECT_EQ(SCCameraCutImage(nullptr, 568), nullptr);
  EXPECT_EQ(SCCameraCutImage(sensorFrame(64, 48).get(), 0), nullptr);
  // A view so short the cut starts past the frame's end.
  EXPECT_EQ(SCCameraCutImage(sensorFrame(64, 48).get(), 0.5), nullptr);
  EXPECT_EQ(SCCameraFixOrientation(nullptr, DeviceOrientation::Portrait), nullptr);
}

TEST(SCCameraImageSteps, TheDeviceOrientationTurnsThePhoto) {
  auto upright = photo(30, 40);  // block at x 3…9, y 4…12: top left
  for (auto o : {DeviceOrientation::Unknown, DeviceOrientation::Portrait,
                 DeviceOrientation::PortraitUpsideDown, DeviceOrientation::FaceUp,
                 DeviceOrientation::FaceDown}) {
    auto same = SCCameraFixOrientation(upright.get(), o);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->bitmap()->width(), 30);
    EXPECT_TRUE(near(same->bitmap()->pixel(6, 8), kBlock)) << int(o);
  }
  // Landscape left: a quarter counter-clockwise, the block at the bottom left.
  auto left = SCCameraFixOrientation(upright.get(), DeviceOrientation::LandscapeLeft);
  EXPECT_EQ(left->bitmap()->width(), 40);
  EXPECT_EQ(left->bitmap()->height(), 30);
  EXPECT_TRUE(near(left->bitmap()->pixel(8, 30 - 1 - 6), kBlock));
  // Landscape right: a quarter clockwise, the block at the top right.
  auto right = SCCameraFixOrientation(upright.get(), DeviceOrientation::LandscapeRight);
  EXPECT_EQ(right->bitmap()->width(), 40);
  EXPECT_TRUE(near(right->bitmap()->pixel(40 - 1 - 8, 6), kBlock));
}

}  // namespace
}  // namespace sprout
