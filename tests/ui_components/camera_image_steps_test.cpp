#include "tests/ui_components/components_support.h"
#include "ui/components/camera/SCCameraImageSteps.h"

namespace sprout {
namespace {

using platform::DeviceOrientation;
using platform::media_test::near;
using platform::media_test::photo;

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
