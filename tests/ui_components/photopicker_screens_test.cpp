// The picker's screens: the album list, an album's grid with its toolbar, and the picker that
// presents them, with a parent's finger going back and forth between albums.
#include <any>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/ImagePickerController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerGroupTableViewCell.h"
#include "ui/components/photopicker/PPPhotoPickerGroupViewController.h"
#include "ui/components/photopicker/PPPhotoPickerImageView.h"

namespace sprout {
namespace {

using components_test::centreOf;
using platform::media_test::near;
using Grid = PPPhotoPickerAssetsViewController;
using List = PPPhotoPickerGroupViewController;
using Picker = PPPhotoPickerViewController;
using Records = Picker::Records;

constexpr const char* kRoll = platform::kSavedPhotosAlbumName;
constexpr const char* kTrip = "春游";

// Roll photo i and trip photo i have blocks of colours no other photo of the test has.
std::uint32_t rollColour(int i) {
  return 0x1E1E1E + static_cast<std::uint32_t>(i % 5) * 0x320000 +
         static_cast<std::uint32_t>(i / 5) * 0x003200;
}
std::uint32_t tripColour(int i) { return 0x1E1EE6 + static_cast<std::uint32_t>(i) * 0x320000; }

class PhotoPicker : public components_test::ComponentsTest {
 protected:
  PhotoPicker() {
    components_test::writeAlbum(home, kRoll, 30, 120, 90, rollColour);
    components_test::writeAlbum(home, "Class", 6, 48, 36,
                                [](int i) { return 0x2050A0 + 0x101010 * i; });
    components_test::writeAlbum(home, kTrip, 4, 90, 120, tripColour);
    platform::AlertController::clearPresentations();
  }
  ~PhotoPicker() override {
    platform::AssetsLibrary::setAuthorizationStatus(platform::AuthorizationStatus::Authorized);
    if (auto grid = topGrid()) {
      runUntil([&] { return grid->collectionView()->pendingThumbnails() == 0; });
    }
  }

  static std::shared_ptr<PPPhotoPickerGroup> group(const std::string& name) {
    for (const auto& g : platform::AssetsLibrary::listGroups()) {
      if (g->name() != name) continue;
      auto group = PPPhotoPickerGroup::create();
      group->setGroup(g);
      group->setGroupName(name);
      return group;
    }
    return nullptr;
  }
  static Records recordsOf(const std::string& name) {
    Records records;
    group(name)->group()->enumerateAssets(
        [&](const std::shared_ptr<platform::Asset>& a, std::size_t, bool&) {
          if (a) records.push_back(PPPhotoAssets::create(a));
        });
    return records;
  }
  void present(const std::shared_ptr<platform::ViewController>& first) {
    nav = platform::NavigationController::create(first);
    root->presentViewController(nav, false);
    loop.runPending();
    window->layoutIfNeeded();
  }
  // An album's grid opened the way the album list does it.
  std::shared_ptr<Grid> openGrid(const std::shared_ptr<PPPhotoPickerGroup>& album,
                                 const Records& selection, long maxCount, bool camera = false) {
    auto screen = Grid::create();
    screen->setSelectedAssetsBlock([this](const Records& r) { handedBack = r; });
    screen->setSelectPickerAssets(selection);
    screen->setAssetsGroup(album);
    screen->setTopShowPhotoPicker(camera);
    screen->setMaxCount(maxCount);
    present(screen);
    return screen;
  }
  std::shared_ptr<List> openList(long status) {
    auto list = List::create();
    list->setStatus(status);
    list->setMaxCount(9);
    present(list);
    return list;
  }
  std::shared_ptr<Grid> topGrid() const {
    return nav ? std::dynamic_pointer_cast<Grid>(nav->topViewController()) : nullptr;
  }
  std::string sendTitle() const {
    return topGrid()->sendBtn()->titleForState(platform::ControlStateNormal).value_or("");
  }

  // --- a finger on the screens
  // Taps the album's row in the list; the grid it opens, once every thumbnail it asked for shows.
  std::shared_ptr<PPPhotoPickerCollectionView> tapAlbum(List& list, const std::string& name) {
    long row = -1;
    for (std::size_t i = 0; i < list.groups().size(); ++i) {
      if (list.groups()[i]->groupName() == name) row = static_cast<long>(i);
    }
    EXPECT_GE(row, 0) << name;
    window->layoutIfNeeded();
    auto table = list.tableView();
    finger.tap(centreOf(table->convertRectTo(table->rectForRowAtIndexPath({0, row}), nullptr)));
    advance(1);
    auto grid = topGrid();
    if (!grid || grid->title() != name) return nullptr;
    grid->collectionView()->layoutIfNeeded();
    EXPECT_TRUE(runUntil([&] { return grid->collectionView()->pendingThumbnails() == 0; }));
    return grid->collectionView();
  }
  // The system camera the grid presented takes a picture, and the shot joins the selection.
  void shootWithPresentedCamera(Grid& screen) {
    auto camera = std::dynamic_pointer_cast<platform::ImagePickerController>(
        screen.presentedViewController());
    ASSERT_TRUE(camera);
    camera->takePicture();
    ASSERT_TRUE(runUntil([&] { return !screen.selectAssets().empty(); }));
    advance(1);
  }
  void tapTick(PPPhotoPickerCollectionView& grid, long item) {
    auto cell = grid.cellForItemAtIndexPath({0, item});
    ASSERT_TRUE(cell) << "item " << item;
    window->layoutIfNeeded();
    finger.tap(cell->convertPointTo({cell->bounds().size.width - 12, 12}, nullptr));
    advance(1);
  }
  void tapBack() {
    auto button = nav->navigationBar()->leftView();
    ASSERT_TRUE(button);
    finger.tap(centreOf(*button));
    advance(1);
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

  platform::media_test::ScopedPhotoHome home;
  std::shared_ptr<platform::NavigationController> nav;
  std::shared_ptr<components_test::PickerReceiver> receiver =
      std::make_shared<components_test::PickerReceiver>();
  Records handedBack;
};

TEST_F(PhotoPicker, AParentPicksInTwoAlbumsGoingBackAndForthAndSendsInTheOrderTicked) {
  auto picker = Picker::create();
  picker->setDelegate(receiver);
  picker->setMaxCount(3);
  picker->showPickerVc(root);
  advance(1);
  nav = picker->navigation();
  auto list = picker->groupVc();
  ASSERT_EQ(list->groups().size(), 3u);
  window->layoutIfNeeded();
  const platform::Rect listFrame = list->tableView()->frame();
  ASSERT_GT(listFrame.size.height, 0);

  auto roll = tapAlbum(*list, kRoll);
  ASSERT_TRUE(roll);
  EXPECT_NE(list->selectGroupURL().find("assets-library"), std::string::npos);
  // The grid opens at its end, the newest photos shown with their own pictures.
  for (int item : {29, 28, 24}) expectThumbnail(*roll, item, rollColour(item));
  EXPECT_FALSE(roll->cellForItemAtIndexPath({0, 0}));
  EXPECT_EQ(sendTitle(), "发送(0)");
  tapTick(*roll, 29);
  tapTick(*roll, 26);
  EXPECT_EQ(sendTitle(), "发送(2)");
  EXPECT_TRUE(topGrid()->sendBtn()->isEnabled());

  ASSERT_NO_FATAL_FAILURE(tapBack());
  ASSERT_EQ(nav->topViewController(), list);
  window->layoutIfNeeded();
  EXPECT_EQ(list->tableView()->frame(), listFrame);  // the list keeps its place
  auto trip = tapAlbum(*list, kTrip);
  ASSERT_TRUE(trip) << "the album list took no tap after Back";
  for (int item = 0; item < 4; ++item) expectThumbnail(*trip, item, tripColour(item));
  EXPECT_EQ(sendTitle(), "发送(2)");  // the roll's ticks came along
  tapTick(*trip, 1);
  EXPECT_EQ(sendTitle(), "发送(3)");
  tapTick(*trip, 2);  // a fourth is over the limit of three
  EXPECT_EQ(sendTitle(), "发送(3)");
  auto refusal =
      std::dynamic_pointer_cast<platform::AlertController>(topGrid()->presentedViewController());
  ASSERT_TRUE(refusal);
  refusal->chooseAction(0);
  advance(1);

  // Back into the first album, with the second's tick carried along.
  ASSERT_NO_FATAL_FAILURE(tapBack());
  EXPECT_EQ(list->tableView()->frame(), listFrame);
  ASSERT_TRUE(tapAlbum(*list, kRoll));
  EXPECT_EQ(topGrid()->selectAssets().size(), 3u);
  EXPECT_EQ(sendTitle(), "发送(3)");

  finger.tap(centreOf(*topGrid()->sendBtn()));
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
  ASSERT_EQ(receiver->results.size(), 1u);
  const auto& sent = receiver->results[0];
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0]->asset()->location().file, "P029.jpg");
  EXPECT_EQ(sent[1]->asset()->location().file, "P026.jpg");
  EXPECT_EQ(sent[2]->asset()->location().file, "P001.jpg");
  EXPECT_EQ(sent[2]->asset()->location().album, kTrip);
  EXPECT_FALSE(receiver->originals[0]);
  auto picked = sent[2]->thumbImage();
  ASSERT_TRUE(picked);
  EXPECT_TRUE(
      near(picked->bitmap()->pixel(picked->bitmap()->width() / 5, picked->bitmap()->height() / 5),
           tripColour(1), 20));
}

TEST_F(PhotoPicker, ADoubleTapOpensTheAlbumOrThePhotoAndTheSecondTapTouchesNothingNew) {
  PPPhotoPickerBrowserViewController::setBarAlpha(1);
  auto list = openList(0);
  long row = -1;
  for (std::size_t i = 0; i < list->groups().size(); ++i) {
    if (list->groups()[i]->groupName() == "Class") row = static_cast<long>(i);
  }
  ASSERT_GE(row, 0);
  window->layoutIfNeeded();
  auto table = list->tableView();
  doubleTap(centreOf(table->convertRectTo(table->rectForRowAtIndexPath({0, row}), nullptr)));
  auto grid = topGrid();
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->title(), "Class");
  EXPECT_FALSE(grid->presentedViewController());  // no photo opened under the second tap
  window->layoutIfNeeded();
  ASSERT_TRUE(runUntil([&] { return grid->collectionView()->pendingThumbnails() == 0; }));
  auto cell = grid->collectionView()->cellForItemAtIndexPath({0, 2});
  ASSERT_TRUE(cell);
  doubleTap(cell->convertPointTo({20, 60}, nullptr));
  auto browser = grid->browser();
  ASSERT_TRUE(browser);
  EXPECT_EQ(grid->presentedViewController(), browser);
  EXPECT_DOUBLE_EQ(browser->imagePickerSelectView()->alpha(), 1);  // its bars stay up
}

// --- the album list

TEST_F(PhotoPicker, RefusedAccessShowsTheLockTextAndReadsNothing) {
  platform::AssetsLibrary::setAuthorizationStatus(platform::AuthorizationStatus::Denied);
  auto list = openList(1);
  EXPECT_TRUE(list->isRefused());
  EXPECT_TRUE(list->groups().empty());
  EXPECT_EQ(nav->topViewController(), list);
  bool shown = false;
  for (const auto& v : list->view()->subviews()) {
    if (auto label = std::dynamic_pointer_cast<platform::Label>(v)) {
      shown = label->text() == List::kRefusalText;
    }
  }
  EXPECT_TRUE(shown);
}

TEST_F(PhotoPicker, TheListShowsAlbumsInReverseWithPosterNameAndCount) {
  auto list = openList(0);
  std::vector<std::string> expected;
  for (const auto& g : platform::AssetsLibrary::listGroups())
    expected.insert(expected.begin(), g->name());
  std::vector<std::string> names;
  for (const auto& g : list->groups()) names.push_back(g->groupName());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(list->title(), "选择相册");
  EXPECT_EQ(nav->topViewController(), list);
  auto table = list->tableView();
  table->layoutIfNeeded();
  ASSERT_EQ(table->numberOfRowsInSection(0), 3);
  auto cell = std::dynamic_pointer_cast<PPPhotoPickerGroupTableViewCell>(
      table->cellForRowAtIndexPath({0, 0}));
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->groupNameLabel()->text(), names[0]);
  EXPECT_EQ(cell->groupPicCountLabel()->text(),
            "(" + std::to_string(list->groups()[0]->assetsCount()) + ")");
  EXPECT_TRUE(cell->groupImageView()->image());
  EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath({0, 1}).origin.y, 80);
}

TEST_F(PhotoPicker, StatusOneOpensTheCameraRollAtOnceAndTwoWithNoMatchStaysOnTheList) {
  openList(1);
  auto grid = topGrid();
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->title(), kRoll);
  loop.runPending();
  EXPECT_EQ(grid->collectionView()->dataArray().size(), 30u);
  root->dismissViewControllerAnimated(false);
  auto list = openList(2);
  EXPECT_EQ(nav->topViewController(), list);
}

// --- an album's grid

TEST_F(PhotoPicker, AGridLoadsItsAlbumWithAnEmptySelectionAndNothingWithoutAName) {
  auto screen = openGrid(group("Class"), {}, 9);
  EXPECT_EQ(screen->title(), "Class");
  ASSERT_EQ(screen->collectionView()->dataArray().size(), 6u);
  EXPECT_EQ(screen->collectionView()->dataArray()[0]->assetURL(),
            recordsOf("Class")[0]->assetURL());
  EXPECT_EQ(sendTitle(), "发送(0)");
  EXPECT_FALSE(screen->sendBtn()->isEnabled());
  EXPECT_FALSE(screen->previewBtn()->isEnabled());
  EXPECT_EQ(screen->toolBar()->frame(), platform::makeRect(0, 568 - 44, 320, 44));
  root->dismissViewControllerAnimated(false);

  auto unnamed = group("Class");
  unnamed->setGroupName("");
  EXPECT_TRUE(openGrid(unnamed, {}, 9)->collectionView()->dataArray().empty());
}

// Opened by a finger, an album that fits the screen rests at its top inset, through reloads and
// a drag let go; a long one rests within its edges. Either way it decodes one thumbnail for each
// cell shown, and no more.
TEST_F(PhotoPicker, AnOpenedGridRestsWithinItsInsetsAndDecodesOnlyWhatItShows) {
  auto list = openList(0);
  auto grid = tapAlbum(*list, "Class");
  ASSERT_TRUE(grid);
  const double top = -grid->contentInset().top;
  ASSERT_EQ(top, -5);
  EXPECT_EQ(grid->contentOffset().y, top);
  EXPECT_EQ(grid->visibleCells().size(), 6u);
  EXPECT_EQ(grid->thumbnailDecodesStarted(), 6u);
  grid->reloadData();
  window->layoutIfNeeded();
  EXPECT_EQ(grid->contentOffset().y, top);
  drag({160, 200}, {0, 120}, 10);  // nothing to scroll: the content stays
  advance(3);
  EXPECT_EQ(grid->contentOffset().y, top);
  EXPECT_EQ(grid->thumbnailDecodesStarted(), 6u);

  tapBack();
  auto roll = tapAlbum(*list, kRoll);
  ASSERT_TRUE(roll);
  EXPECT_GE(roll->contentOffset().y, roll->minimumContentOffset().y);
  EXPECT_LE(roll->contentOffset().y, roll->maximumContentOffset().y);
  EXPECT_GT(roll->contentOffset().y, 0);  // at the end of the album
  EXPECT_EQ(roll->thumbnailDecodesStarted(), roll->visibleCells().size());
  expectThumbnail(*roll, 29, rollColour(29));
}

TEST_F(PhotoPicker, TheCameraItemComesBackAfterLoadingAndIndicesMapPastIt) {
  auto screen = openGrid(group("Class"), {}, 9, true);
  const auto& data = screen->collectionView()->dataArray();
  const auto records = recordsOf("Class");
  ASSERT_EQ(data.size(), 7u);
  EXPECT_EQ(data[0]->asset(), nullptr);
  EXPECT_EQ(data[1]->assetURL(), records[5]->assetURL());
  screen->pickerCollectionCellTouchedIndexPath({0, 2});
  loop.runPending();
  ASSERT_TRUE(screen->browser());
  EXPECT_EQ(screen->browser()->currentItem()->asset()->assetURL(), records[4]->assetURL());
}

TEST_F(PhotoPicker, ASelectionAtTheLimitLeavesNothingToTick) {
  const auto trip = recordsOf(kTrip);
  // One photo handed in twice, as another record, counts once.
  auto screen =
      openGrid(group("Class"), {trip[0], trip[1], PPPhotoAssets::create(trip[1]->asset())}, 2);
  EXPECT_EQ(screen->collectionView()->maxCount(), 0);
  screen->collectionView()->tickBtnTouched(1);
  EXPECT_EQ(screen->selectAssets().size(), 2u);
  // The refusal is an alert with one plain button and no cancel button.
  auto alert =
      std::dynamic_pointer_cast<platform::AlertController>(screen->presentedViewController());
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title(), "提醒");
  EXPECT_EQ(alert->message(), "您最多只能选择9张图片");
  ASSERT_EQ(alert->actions().size(), 1u);
  EXPECT_EQ(alert->actions()[0]->title(), "好的");
  EXPECT_EQ(alert->actions()[0]->style(), platform::AlertActionStyle::Default);
}

TEST_F(PhotoPicker, PreviewShowsTheSelectionAndTheBrowserHandsItsTicksBack) {
  auto screen = openGrid(group("Class"), {recordsOf(kTrip)[2]}, 9);
  screen->previewBtnTouched();
  loop.runPending();
  auto browser = screen->browser();
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->photos().size(), 1u);
  browser->selectedButtonTapped();  // unticks the one photo
  browser->customToolBarIsOriginalBtnTouched();
  browser->back();
  advance(1);
  EXPECT_TRUE(screen->selectAssets().empty());
  EXPECT_TRUE(screen->isOriginal());
  EXPECT_FALSE(screen->sendBtn()->isEnabled());
  // The grid's ticks follow at once.
  screen->pickerCollectionCellTouchedIndexPath({0, 1});
  loop.runPending();
  screen->browser()->selectedButtonTapped();
  screen->browser()->back();
  advance(1);
  auto cell = screen->collectionView()->cellForItemAtIndexPath({0, 1});
  ASSERT_TRUE(cell);
  EXPECT_TRUE(std::dynamic_pointer_cast<PPPhotoPickerImageView>(cell->contentView()->subviews()[0])
                  ->isMaskViewFlag());
  EXPECT_TRUE(screen->sendBtn()->isEnabled());
  // Sent from the preview, the selection goes with the original switch the browser shows.
  Records sent;
  std::optional<bool> original;
  auto token = platform::NotificationCenter::defaultCenter().addObserver(
      kPickerTakeDoneNotification, nullptr, [&](const platform::Notification& n) {
        sent = std::any_cast<Records>(n.userInfo.at("selectAssets"));
        original = std::any_cast<bool>(n.userInfo.at("isOriginal"));
      });
  screen->previewBtnTouched();
  loop.runPending();
  screen->browser()->customToolBarSendBtnTouched();
  loop.runPending();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]->assetURL(), recordsOf("Class")[1]->assetURL());
  EXPECT_EQ(original, true);
}

TEST_F(PhotoPicker, ACameraShotJoinsTheSelectionWithoutAURLAndNoCameraPresentsNothing) {
  auto screen = openGrid(group("Class"), {}, 9, true);
  screen->collectionView()->tickBtnTouched(0);
  ASSERT_NO_FATAL_FAILURE(shootWithPresentedCamera(*screen));
  EXPECT_FALSE(screen->selectAssets()[0]->assetURL());
  EXPECT_TRUE(screen->selectAssets()[0]->originImage());
  EXPECT_EQ(sendTitle(), "发送(1)");
  // Ticking a photo and unticking it leaves the shot alone.
  screen->collectionView()->tickBtnTouched(1);
  screen->collectionView()->tickBtnTouched(1);
  EXPECT_EQ(screen->selectAssets().size(), 1u);
  EXPECT_EQ(screen->presentedViewController(), nullptr);
  platform::CaptureDevice::setDevices({});
  screen->collectionView()->tickBtnTouched(0);
  EXPECT_EQ(screen->presentedViewController(), nullptr);
}

TEST_F(PhotoPicker, ACameraShotShowsTickedInThePreviewAndItsTickTakesItOut) {
  PPPhotoPickerBrowserViewController::setBarAlpha(1);
  auto screen = openGrid(group("Class"), {}, 9, true);
  ASSERT_NO_FATAL_FAILURE(tapTick(*screen->collectionView(), 0));
  ASSERT_NO_FATAL_FAILURE(shootWithPresentedCamera(*screen));
  finger.tap(centreOf(*screen->previewBtn()));
  advance(1);
  auto browser = screen->browser();
  ASSERT_TRUE(browser);
  auto tick = browser->imagePickerSelectView()->selectBtn();
  EXPECT_TRUE(tick->isSelected());
  finger.tap(centreOf(*tick));
  EXPECT_FALSE(tick->isSelected());
  finger.tap(centreOf(*browser->imagePickerSelectView()->backBtn()));
  advance(1);
  EXPECT_TRUE(screen->selectAssets().empty());
  EXPECT_EQ(sendTitle(), "发送(0)");
}

TEST_F(PhotoPicker, CancellingTheCameraClosesItAndLeavesTheSelection) {
  auto screen = openGrid(group("Class"), {}, 9, true);
  ASSERT_NO_FATAL_FAILURE(tapTick(*screen->collectionView(), 1));
  for (int i = 0; i < 2; ++i) {
    ASSERT_NO_FATAL_FAILURE(tapTick(*screen->collectionView(), 0));
    auto camera = std::dynamic_pointer_cast<platform::ImagePickerController>(
        screen->presentedViewController());
    ASSERT_TRUE(camera) << "opening " << i;
    camera->cancel();
    advance(1);
    EXPECT_EQ(screen->presentedViewController(), nullptr);
  }
  EXPECT_EQ(screen->selectAssets().size(), 1u);
  EXPECT_EQ(sendTitle(), "发送(1)");
}

// --- the picker that presents them

void post(const Records& records, std::optional<bool> original) {
  platform::Dictionary info{{"selectAssets", records}};
  if (original) info["isOriginal"] = *original;
  platform::NotificationCenter::defaultCenter().post(kPickerTakeDoneNotification, nullptr, info);
}

TEST_F(PhotoPicker, TheDelegateWinsOverTheBlockLaterAndThePickerAlwaysCloses) {
  auto picker = Picker::create();
  picker->setDelegate(receiver);
  int blockCalls = 0;
  picker->setCallBack([&](const Records&) { ++blockCalls; });
  picker->showPickerVc(root);
  loop.runPending();
  post({PPPhotoAssets::create()}, true);
  EXPECT_TRUE(receiver->results.empty());  // not yet: on the next turn
  EXPECT_TRUE(picker->isOriginal());
  loop.runPending();
  ASSERT_EQ(receiver->results.size(), 1u);
  EXPECT_EQ(receiver->originals[0], true);
  EXPECT_EQ(blockCalls, 0);
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PhotoPicker, WithoutADelegateTheBlockGetsItAndAMissingFlagIsNo) {
  Records got;
  {
    auto picker = Picker::create();
    picker->setCallBack([&](const Records& r) { got = r; });
    picker->showPickerVc(root);
    loop.runPending();
    picker->showPickerVc(nullptr);  // no presenter: nothing happens
  }
  root->dismissViewControllerAnimated(false);  // the picker is released here
  post({PPPhotoAssets::create()}, std::nullopt);
  EXPECT_TRUE(got.empty());  // a released picker hears nothing
  auto picker = Picker::create();
  picker->setCallBack([&](const Records& r) { got = r; });
  picker->showPickerVc(root);
  loop.runPending();
  post({PPPhotoAssets::create()}, std::nullopt);
  EXPECT_FALSE(picker->isOriginal());
  root->dismissViewControllerAnimated(false);
  picker.reset();  // kept alive until delivery
  loop.runPending();
  EXPECT_EQ(got.size(), 1u);
}

TEST_F(PhotoPicker, TheDelegateReachesTheAlbumListUntilThePickerGoes) {
  std::shared_ptr<List> list;
  {
    auto picker = Picker::create();
    picker->setDelegate(receiver);
    list = picker->groupVc();
    EXPECT_EQ(list->delegate(), receiver);
  }
  EXPECT_EQ(list->delegate(), nullptr);  // the list outlives the picker without its receiver
}

TEST_F(PhotoPicker, AnEmptySelectionIsNotDeliveredAndLimitsBelowOneAreIgnored) {
  auto picker = Picker::create();
  picker->setDelegate(receiver);
  for (long limit : {3L, 0L, -2L}) picker->setMaxCount(limit);
  EXPECT_EQ(picker->maxCount(), 3);
  EXPECT_EQ(picker->groupVc()->maxCount(), 3);
  picker->showPickerVc(root);
  loop.runPending();
  post({}, false);
  advance(1);
  EXPECT_TRUE(receiver->results.empty());
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

}  // namespace
}  // namespace sprout
