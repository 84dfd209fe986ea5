#include <cstdio>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/AssetsLibrary.h"
#include "tests/ui_components/components_support.h"
#include "tests/ui_components/picker_receiver.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerViewController.h"

namespace sprout {
namespace {

using platform::media_test::ScopedPhotoHome;
using Picker = PPPhotoPickerViewController;
using Records = Picker::Records;

using Receiver = components_test::PickerReceiver;

class PickerEntry : public components_test::ComponentsTest {
 protected:
  PickerEntry() {
    const std::string album = home.album(platform::kSavedPhotosAlbumName);
    for (int i = 0; i < 3; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "/p%d.jpg", i);
      platform::media_test::writePhoto(album + file, 40, 30, 0x405060 + 0x300000 * i);
    }
  }
  void post(const Records& records, std::optional<bool> original) {
    platform::Dictionary info{{"selectAssets", records}};
    if (original) info["isOriginal"] = *original;
    platform::NotificationCenter::defaultCenter().post(kPickerTakeDoneNotification, nullptr, info);
  }
  Records one() { return {PPPhotoAssets::create()}; }

  ScopedPhotoHome home;
  std::shared_ptr<Receiver> receiver = std::make_shared<Receiver>();
};

TEST_F(PickerEntry, TheDelegateWinsOverTheBlockLaterAndThePickerAlwaysCloses) {
  auto picker = Picker::create();
  picker->setDelegate(receiver);
  int blockCalls = 0;
  picker->setCallBack([&](const Records&) { ++blockCalls; });
  picker->showPickerVc(root);
  loop.runPending();
  post(one(), true);
  EXPECT_TRUE(receiver->results.empty());  // not yet: on the next turn
  EXPECT_TRUE(picker->isOriginal());
  loop.runPending();
  ASSERT_EQ(receiver->results.size(), 1u);
  EXPECT_EQ(receiver->originals[0], true);
  EXPECT_EQ(blockCalls, 0);
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PickerEntry, WithoutADelegateTheBlockGetsItAndAMissingFlagIsNo) {
  Records got;
  {
    auto picker = Picker::create();
    picker->setCallBack([&](const Records& r) { got = r; });
    picker->showPickerVc(root);
    loop.runPending();
    picker->showPickerVc(nullptr);  // no presenter: nothing happens
  }
  root->dismissViewControllerAnimated(false);  // the picker is released here
  post(one(), std::nullopt);
  EXPECT_TRUE(got.empty());  // a released picker hears nothing
  auto picker = Picker::create();
  picker->setCallBack([&](const Records& r) { got = r; });
  picker->showPickerVc(root);
  loop.runPending();
  post(one(), std::nullopt);
  EXPECT_FALSE(picker->isOriginal());
  root->dismissViewControllerAnimated(false);
  picker.reset();  // kept alive until delivery
  loop.runPending();
  EXPECT_EQ(got.size(), 1u);
}

TEST_F(PickerEntry, TheDelegateReachesTheAlbumListUntilThePickerGoes) {
  std::shared_ptr<PPPhotoPickerGroupViewController> list;
  {
    auto picker = Picker::create();
    picker->setDelegate(receiver);
    list = picker->groupVc();
    EXPECT_EQ(list->delegate(), receiver);
  }
  EXPECT_EQ(list->delegate(), nullptr);  // the list outlives the picker without its receiver
}

TEST_F(PickerEntry, AnEmptySelectionIsNotDeliveredAndLimitsBelowOneAreIgnored) {
  auto picker = Picker::create();
  picker->setDelegate(receiver);
  picker->setMaxCount(3);
  picker->setMaxCount(0);
  picker->setMaxCount(-2);
  EXPECT_EQ(picker->maxCount(), 3);
  EXPECT_EQ(picker->groupVc()->maxCount(), 3);
  picker->showPickerVc(root);
  loop.runPending();
  post({}, false);
  advance(1);
  EXPECT_TRUE(receiver->results.empty());
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PickerEntry, StatusOnePicksFromTheCameraRollAndSends) {
  auto picker = Picker::create(0);
  picker->setDelegate(receiver);
  picker->setStatus(1);
  picker->setMaxCount(1);
  picker->showPickerVc(root);
  loop.runPending();
  auto grid = std::dynamic_pointer_cast<PPPhotoPickerAssetsViewController>(
      picker->navigation()->topViewController());
  ASSERT_TRUE(grid);
  loop.runPending();
  grid->collectionView()->tickBtnTouched(1);
  grid->collectionView()->tickBtnTouched(2);  // over the limit of one
  grid->sendBtnTouched();
  EXPECT_EQ(root->presentedViewController(), nullptr);
  loop.runPending();
  ASSERT_EQ(receiver->results.size(), 1u);
  ASSERT_EQ(receiver->results[0].size(), 1u);
  EXPECT_TRUE(receiver->results[0][0]->thumbImage());
}

}  // namespace
}  // namespace sprout
