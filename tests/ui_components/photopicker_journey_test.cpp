// A parent picks photos from two albums with a finger and sends them.
#include <cstdio>

#include "platform/media/AssetsLibrary.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "tests/ui_components/components_support.h"
#include "tests/ui_components/picker_receiver.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerViewController.h"

namespace sprout {
namespace {

using platform::IndexPath;
using platform::media_test::near;
using platform::media_test::ScopedPhotoHome;
using Records = PPPhotoPickerViewController::Records;

using Receiver = components_test::PickerReceiver;

// Roll photo i and trip photo i have blocks of colours no other photo of the test has.
std::uint32_t rollColour(int i) {
  return 0x1E1E1E + static_cast<std::uint32_t>(i % 5) * 0x320000 +
         static_cast<std::uint32_t>(i / 5) * 0x003200;
}
std::uint32_t tripColour(int i) { return 0x1E1EE6 + static_cast<std::uint32_t>(i) * 0x320000; }

class PickerJourney : public components_test::ComponentsTest {
 protected:
  PickerJourney() {
    const std::string roll = home.album(platform::kSavedPhotosAlbumName);
    for (int i = 0; i < 30; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i);
      platform::media_test::writePhoto(roll + name, 120, 90, rollColour(i));
    }
    const std::string trip = home.album("春游");
    for (int i = 0; i < 4; ++i) {
      platform::media_test::writePhoto(trip + "/T" + std::to_string(i) + ".jpg", 90, 120,
                                       tripColour(i));
    }
  }
  ~PickerJourney() override {
    if (auto grid = topGrid()) {
      runUntil([&] { return grid->collectionView()->pendingThumbnails() == 0; });
    }
  }

  // A frame's layout first, as the screen is laid out before a person sees it.
  void tapView(const platform::View& view, platform::Point at) {
    window->layoutIfNeeded();
    finger.tap(view.convertPointTo(at, nullptr));
    advance(1);
  }
  std::shared_ptr<PPPhotoPickerAssetsViewController> topGrid() const {
    if (!picker) return nullptr;
    return std::dynamic_pointer_cast<PPPhotoPickerAssetsViewController>(
        picker->navigation()->topViewController());
  }
  void openAlbum(const std::string& name) {
    auto list = picker->groupVc();
    window->layoutIfNeeded();
    long row = -1;
    for (std::size_t i = 0; i < list->groups().size(); ++i) {
      if (list->groups()[i]->groupName() == name) row = static_cast<long>(i);
    }
    ASSERT_GE(row, 0) << name;
    auto cell = list->tableView()->cellForRowAtIndexPath({0, row});
    ASSERT_TRUE(cell) << name << " is not listed on screen";
    tapView(*cell, {160, 40});
    ASSERT_TRUE(topGrid());
    ASSERT_EQ(topGrid()->title(), name);
  }
  // Drives the main loop until every thumbnail the grid asked for is shown.
  std::shared_ptr<PPPhotoPickerCollectionView> landedGrid() {
    auto grid = topGrid()->collectionView();
    grid->layoutIfNeeded();
    EXPECT_TRUE(runUntil([&] { return grid->pendingThumbnails() == 0; }));
    return grid;
  }
  void expectThumbnail(PPPhotoPickerCollectionView& grid, long item, std::uint32_t colour) {
    auto cell = grid.cellForItemAtIndexPath({0, item});
    ASSERT_TRUE(cell) << "item " << item << " is not shown";
    auto image =
        std::dynamic_pointer_cast<platform::ImageView>(cell->contentView()->subviews().at(0))
            ->image();
    ASSERT_TRUE(image) << "item " << item;
    const auto& bitmap = *image->bitmap();
    EXPECT_TRUE(near(bitmap.pixel(bitmap.width() / 5, bitmap.height() / 5), colour, 20))
        << "item " << item;
  }
  void tapTick(PPPhotoPickerCollectionView& grid, long item) {
    auto cell = grid.cellForItemAtIndexPath({0, item});
    ASSERT_TRUE(cell) << "item " << item;
    tapView(*cell, {cell->bounds().size.width - 12, 12});
  }
  void tapBack() {
    const auto& bar = picker->navigation()->navigationBar();
    std::shared_ptr<platform::View> left;
    for (const auto& view : bar->subviews()) {
      if (view->isHidden() || view->frame().size.width > 120) continue;
      if (!left || view->frame().origin.x < left->frame().origin.x) left = view;
    }
    ASSERT_TRUE(left);
    tapView(*left, {left->bounds().size.width / 2, left->bounds().size.height / 2});
  }
  std::string sendTitle() {
    return topGrid()->sendBtn()->titleForState(platform::ControlStateNormal).value_or("");
  }

  ScopedPhotoHome home;
  platform::TouchDriver finger{window};
  std::shared_ptr<Receiver> receiver = std::make_shared<Receiver>();
  std::shared_ptr<PPPhotoPickerViewController> picker;
};

TEST_F(PickerJourney, PicksInTwoAlbumsAndSendsThemInTheOrderTicked) {
  picker = PPPhotoPickerViewController::create();
  picker->setDelegate(receiver);
  picker->setMaxCount(9);
  picker->showPickerVc(root);
  advance(1);
  ASSERT_EQ(picker->groupVc()->groups().size(), 2u);

  ASSERT_NO_FATAL_FAILURE(openAlbum(platform::kSavedPhotosAlbumName));
  auto roll = landedGrid();
  // The grid opens at its end, the newest photos shown with their own pictures.
  for (long item : {29L, 28L, 24L})
    expectThumbnail(*roll, item, rollColour(static_cast<int>(item)));
  EXPECT_FALSE(roll->cellForItemAtIndexPath({0, 0}));
  EXPECT_EQ(sendTitle(), "发送(0)");
  tapTick(*roll, 29);
  tapTick(*roll, 26);
  EXPECT_EQ(sendTitle(), "发送(2)");
  EXPECT_TRUE(topGrid()->sendBtn()->isEnabled());

  ASSERT_NO_FATAL_FAILURE(tapBack());
  ASSERT_EQ(picker->navigation()->topViewController(), picker->groupVc());
  ASSERT_NO_FATAL_FAILURE(openAlbum("春游"));
  auto trip = landedGrid();
  for (long item = 0; item < 4; ++item)
    expectThumbnail(*trip, item, tripColour(static_cast<int>(item)));
  EXPECT_EQ(sendTitle(), "发送(2)");  // the roll's ticks came along
  tapTick(*trip, 1);
  EXPECT_EQ(sendTitle(), "发送(3)");

  auto send = topGrid()->sendBtn();
  tapView(*send, {send->bounds().size.width / 2, send->bounds().size.height / 2});
  EXPECT_EQ(root->presentedViewController(), nullptr);
  ASSERT_EQ(receiver->results.size(), 1u);
  const auto& sent = receiver->results[0];
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0]->asset()->location().file, "IMG_0029.JPG");
  EXPECT_EQ(sent[1]->asset()->location().file, "IMG_0026.JPG");
  EXPECT_EQ(sent[2]->asset()->location().file, "T1.jpg");
  EXPECT_FALSE(receiver->originals[0]);
  auto picked = sent[2]->thumbImage();
  ASSERT_TRUE(picked);
  EXPECT_TRUE(
      near(picked->bitmap()->pixel(picked->bitmap()->width() / 5, picked->bitmap()->height() / 5),
           tripColour(1), 20));
}

}  // namespace
}  // namespace sprout
