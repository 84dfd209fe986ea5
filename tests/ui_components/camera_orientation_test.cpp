#include "tests/ui_components/components_support.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {
namespace {

class CameraOrientation : public components_test::ComponentsTest {};

TEST_F(CameraOrientation, TheCameraTurnsEveryWayButComesUpUpright) {
  auto camera = SCCameraViewController::create();
  const platform::ViewController& asked = *camera;  // the system asks through the base
  EXPECT_TRUE(asked.shouldAutorotate());
  EXPECT_EQ(asked.supportedInterfaceOrientations(), 30u);
  for (auto o : {platform::InterfaceOrientation::Portrait,
                 platform::InterfaceOrientation::PortraitUpsideDown,
                 platform::InterfaceOrientation::LandscapeLeft,
                 platform::InterfaceOrientation::LandscapeRight}) {
    EXPECT_TRUE(asked.shouldAutorotateToInterfaceOrientation(o));
  }
  // Upright even when the interface lies on its side as it comes up.
  platform::ApplicationWindows::shared().setStatusBarOrientation(
      platform::InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(asked.preferredInterfaceOrientationForPresentation(),
            platform::InterfaceOrientation::Portrait);
  EXPECT_NE(root->preferredInterfaceOrientationForPresentation(),
            asked.preferredInterfaceOrientationForPresentation());
}

}  // namespace
}  // namespace sprout
