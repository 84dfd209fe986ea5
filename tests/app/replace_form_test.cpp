#include "app/SPReplaceViewController.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/ui/controllers/AlertController.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/media_support.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"

namespace sprout {
namespace {

class ReplaceForm : public app_test::AppTest {
 protected:
  ReplaceForm() { show(form); }
  std::uint32_t headPixel() {
    auto image = form->headButton()->backgroundImageForState(platform::ControlStateNormal);
    if (!image) return 0;
    const auto& bitmap = image->bitmap();
    return bitmap->pixel(bitmap->width() / 5, bitmap->height() / 5);
  }

  platform::media_test::ScopedPhotoHome home;
  std::shared_ptr<SPReplaceViewController> form = SPReplaceViewController::create();
};

TEST_F(ReplaceForm, PicksOnePhotoFromTheLibraryAndShowsItOnTheHeadButton) {
  const std::string roll = home.album(platform::kSavedPhotosAlbumName);
  platform::media_test::writePhoto(roll + "/a.jpg", 120, 90, 0x20A040);
  platform::media_test::writePhoto(roll + "/b.jpg", 120, 90, 0xE02020);
  tap(*form->headButton());
  loop.runPending();
  auto picker =
      std::dynamic_pointer_cast<PPPhotoPickerViewController>(form->presentedViewController());
  ASSERT_TRUE(picker);
  auto grid = std::dynamic_pointer_cast<PPPhotoPickerAssetsViewController>(
      picker->navigation()->topViewController());
  ASSERT_TRUE(grid);  // the camera roll opened by itself
  loop.runPending();
  window->layoutIfNeeded();
  ASSERT_EQ(grid->collectionView()->dataArray().size(), 2u);
  grid->collectionView()->tickBtnTouched(1);
  grid->collectionView()->tickBtnTouched(0);  // over the limit of one: refused
  auto alert =
      std::dynamic_pointer_cast<platform::AlertController>(grid->presentedViewController());
  ASSERT_TRUE(alert);
  alert->dismissViewControllerAnimated(false);
  loop.advance(1);
  tap(*grid->sendBtn());
  loop.runPending();
  loop.advance(1);
  EXPECT_EQ(form->presentedViewController(), nullptr);
  ASSERT_EQ(form->photos().size(), 1u);
  EXPECT_TRUE(platform::media_test::near(headPixel(), 0xE02020));
  EXPECT_EQ(form->headButton()->titleForState(platform::ControlStateNormal), "");
  EXPECT_DOUBLE_EQ(form->headButton()->layer()->cornerRadius(), 60);
}

TEST_F(ReplaceForm, TakesAPhotoWithTheCameraAndShowsIt) {
  tap(*form->cameraButton());
  loop.runPending();
  auto camera = std::dynamic_pointer_cast<SCCameraViewController>(form->presentedViewController());
  ASSERT_TRUE(camera);
  loop.advance(1);
  tap(*camera->shutterBtn());
  ASSERT_TRUE(loop.runUntil([&] { return camera->previewView() != nullptr; }, 20.0));
  camera->ppCameraImageViewSendBtnTouched();
  loop.advance(1);
  EXPECT_EQ(form->presentedViewController(), nullptr);
  ASSERT_EQ(form->photos().size(), 1u);
  EXPECT_EQ(form->headButton()->backgroundImageForState(platform::ControlStateNormal),
            form->photos()[0]);
}

TEST_F(ReplaceForm, NothingUsableChangesNothing) {
  form->view();
  form->pickerViewControllerDoneAsstes({}, false);
  form->pickerViewControllerDoneAsstes({PPPhotoAssets::create()}, true);
  form->cameraDidTake({});
  EXPECT_TRUE(form->photos().empty());
  EXPECT_FALSE(form->headButton()->backgroundImageForState(platform::ControlStateNormal));
}

}  // namespace
}  // namespace sprout
