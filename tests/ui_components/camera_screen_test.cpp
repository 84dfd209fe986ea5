#include "platform/ui/controllers/AlertController.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {
namespace {

using Photos = std::vector<std::shared_ptr<SCCamera>>;

class CameraScreen : public components_test::ComponentsTest {
 protected:
  CameraScreen() { platform::AlertController::clearPresentations(); }
  void open(std::int64_t type, std::int64_t max) {
    camera->setMaxCount(max);
    camera->setCameraType(type);
    camera->setCallback([this](const Photos& photos) { delivered.push_back(photos); });
    camera->showPickerVc(root);
    loop.runPending();
  }
  void shutter() {
    camera->shutterBtn()->sendActionsForControlEvents(platform::ControlEventTouchUpInside);
    runUntil([&] { return camera->pendingCaptures() == 0; });
  }

  std::shared_ptr<SCCameraViewController> camera = SCCameraViewController::create();
  std::vector<Photos> delivered;
};

TEST_F(CameraScreen, BarsAndButtonsSitWhereTheyShouldOnAPhone) {
  open(1, 0);
  EXPECT_EQ(camera->topView()->frame(), platform::makeRect(0, 0, 320, 40));
  EXPECT_EQ(camera->switchBtn()->frame(), platform::makeRect(250, 0, 80, 40));
  EXPECT_EQ(camera->flashBtn()->frame(), platform::makeRect(10, 0, 80, 40));
  EXPECT_EQ(camera->controlView()->frame(), platform::makeRect(0, 508, 320, 60));
  const double b = (320 - 50) / 3.0;
  EXPECT_EQ(camera->cancelBtn()->frame(), platform::makeRect(0, 0, b, 60));
  EXPECT_EQ(camera->shutterBtn()->frame(), platform::makeRect(b + 20, 5, b, 50));
  ASSERT_TRUE(camera->doneBtn());
  EXPECT_EQ(camera->doneBtn()->frame(), platform::makeRect(230, 0, 50, 60));
  EXPECT_EQ(camera->doneBtn()->titleForState(platform::ControlStateNormal), "完成");
  EXPECT_EQ(camera->cancelBtn()->titleForState(platform::ControlStateNormal), "取消");
  EXPECT_EQ(camera->view()->subviews().back(), camera->controlView());
}

TEST_F(CameraScreen, SingleShotUsePhotoDeliversOneAndRetakeEmpties) {
  open(0, 1);
  EXPECT_FALSE(camera->doneBtn());
  shutter();
  ASSERT_EQ(camera->images().size(), 1u);
  ASSERT_TRUE(camera->previewView());
  camera->Captureimage();  // refused while the preview waits
  EXPECT_EQ(camera->pendingCaptures(), 0);
  EXPECT_EQ(camera->images().size(), 1u);
  camera->ppCameraImageViewCancleBtnTouched();
  camera->previewView()->removeFromSuperview();
  EXPECT_TRUE(camera->images().empty());
  shutter();
  ASSERT_EQ(camera->images().size(), 1u);
  camera->ppCameraImageViewSendBtnTouched();
  advance(1);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].size(), 1u);
  EXPECT_TRUE(delivered[0][0]->photoImage());
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(CameraScreen, TheLimitCountsShotsOnTheirWayAndDeletingFreesOne) {
  open(1, 3);
  for (int i = 0; i < 3; ++i) shutter();
  ASSERT_EQ(camera->images().size(), 3u);
  EXPECT_TRUE(platform::AlertController::presentations().empty());
  shutter();
  EXPECT_EQ(camera->images().size(), 3u);
  ASSERT_EQ(platform::AlertController::presentations().size(), 1u);
  const auto& alert = platform::AlertController::presentations()[0];
  EXPECT_EQ(alert.title, "提示");
  EXPECT_EQ(alert.message, "拍照的个数不能超过3");
  EXPECT_EQ(alert.actionTitles, std::vector<std::string>{"好的"});
  camera->dismissViewControllerAnimated(false);  // the alert goes
  // Delete the middle one by its thumbnail picture.
  auto strip = camera->collectionView();
  strip->layoutIfNeeded();
  const auto middle = camera->images()[1];
  auto cell = strip->cellForItemAtIndexPath({0, 1});
  ASSERT_TRUE(cell);
  auto thumb = std::dynamic_pointer_cast<SCCameraImageView>(cell->contentView()->subviews().back());
  ASSERT_TRUE(thumb);
  camera->deleteImageView(*thumb);
  ASSERT_EQ(camera->images().size(), 2u);
  EXPECT_NE(camera->images()[0], middle);
  EXPECT_NE(camera->images()[1], middle);
  shutter();
  EXPECT_EQ(camera->images().size(), 3u);
}

TEST_F(CameraScreen, NoLimitBelowOneAndTheStripOpensABareBrowser) {
  open(1, 0);
  for (int i = 0; i < 4; ++i) shutter();
  EXPECT_EQ(camera->images().size(), 4u);
  EXPECT_TRUE(platform::AlertController::presentations().empty());
  camera->collectionView()->layoutIfNeeded();
  camera->didSelectItemAtIndexPath(*camera->collectionView(), {0, 2});
  loop.runPending();
  auto browser = std::dynamic_pointer_cast<PPPhotoPickerBrowserViewController>(
      camera->presentedViewController());
  ASSERT_TRUE(browser);
  EXPECT_TRUE(browser->needHidenBar());
  EXPECT_EQ(browser->currentPage(), 2);
  EXPECT_EQ(browser->photos()[2]->photoImage(), camera->images()[2]->photoImage());
  EXPECT_TRUE(browser->photos()[2]->toView());
  browser->pickerPhotoScrollViewDidSingleClick(*browser->cellScrollView());
  advance(1);
  EXPECT_EQ(camera->presentedViewController(), nullptr);
}

TEST_F(CameraScreen, DoneWithNothingTakenCallsBackEmptyAndCancelDoesNot) {
  open(1, 2);
  camera->doneBtn()->sendActionsForControlEvents(platform::ControlEventTouchUpInside);
  advance(1);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_TRUE(delivered[0].empty());
  auto other = SCCameraViewController::create();
  other->setCallback([this](const Photos& photos) { delivered.push_back(photos); });
  other->showPickerVc(root);
  loop.runPending();
  other->cancelBtn()->sendActionsForControlEvents(platform::ControlEventTouchUpInside);
  advance(1);
  EXPECT_EQ(delivered.size(), 1u);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

}  // namespace
}  // namespace sprout
