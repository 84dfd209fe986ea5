// The photo library's thumbnail grid and browser page, the still camera on the simulated back
// camera, and the circular progress ring. Time runs on a
// virtual clock so the focus square and the ring's animation are caught at chosen frames; the
// photos live in a temporary photo library that goes when the scene ends.
#include <cairo.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "app/SPReplaceViewController.h"
#include "catalog/Scenes.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/CaptureDevice.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "ui/components/browser/PPImagePickerSelectView.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhotoScrollView.h"
#include "ui/components/camera/SCCameraImageView.h"
#include "ui/components/camera/SCCameraViewController.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"
#include "ui/components/photopicker/PPPhotoPickerViewController.h"
#include "ui/components/progress/CPCircularProgressView.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

// A playground under a blue sky: what a parent photographs at pick-up time.
std::shared_ptr<platform::Image> playground(int width, int height, double hue) {
  auto context = platform::Context::createBitmap(width, height, platform::AlphaInfo::NoneSkipFirst);
  cairo_t* cr = context->cairo();
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height * 0.65);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.35, 0.6, 0.92);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.78, 0.88, 0.98);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  cairo_set_source_rgb(cr, 1, 0.86, 0.35);
  cairo_arc(cr, width * 0.78, height * 0.16, width * 0.08, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.36, 0.66, 0.3);
  cairo_move_to(cr, 0, height * 0.62);
  cairo_curve_to(cr, width * 0.3, height * 0.55, width * 0.6, height * 0.68, width, height * 0.6);
  cairo_line_to(cr, width, height);
  cairo_line_to(cr, 0, height);
  cairo_fill(cr);
  // A slide and a ball in the child's favourite colour.
  cairo_set_source_rgb(cr, 0.9, 0.35 + hue * 0.4, 0.25);
  cairo_set_line_width(cr, width * 0.025);
  cairo_move_to(cr, width * 0.2, height * 0.75);
  cairo_line_to(cr, width * 0.2, height * 0.45);
  cairo_line_to(cr, width * 0.55, height * 0.72);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.2 + hue * 0.6, 0.4, 0.85 - hue * 0.5);
  cairo_arc(cr, width * 0.7, height * 0.78, width * 0.07, 0, 2 * M_PI);
  cairo_fill(cr);
  return context->makeImage();
}

class CameraStage {
 public:
  explicit CameraStage(Catalog& catalog)
      : catalog_(catalog),
        clock_(std::make_shared<platform::VirtualClock>()),
        savedBounds_(platform::Screen::main().bounds()),
        savedScale_(platform::Screen::main().scale()) {
    platform::Clock::setCurrent(clock_);
    platform::Screen::main().setBounds(makeRect(0, 0, 320, 568));
    platform::Screen::main().setScale(2);
    char pattern[] = "/tmp/sprout-catalog-photos-XXXXXX";
    if (mkdtemp(pattern)) home_ = pattern;
    platform::FileManager::setHomeDirectory(home_);
    window_ = platform::Window::create(makeRect(0, 0, 320, 568));
    root_ = platform::ViewController::create();
    window_->setRootViewController(root_);
    window_->makeKeyAndVisible();
  }
  ~CameraStage() {
    loop().runPending();
    window_->setHidden(true);
    platform::ApplicationWindows::shared().reset();
    platform::CaptureDevice::resetDevices();
    platform::FileManager::defaultManager().removeItem(home_);
    platform::FileManager::setHomeDirectory("");
    platform::Screen::main().setBounds(savedBounds_);
    platform::Screen::main().setScale(savedScale_);
    platform::Clock::setCurrent(nullptr);
  }
  CameraStage(const CameraStage&) = delete;
  CameraStage& operator=(const CameraStage&) = delete;

  static platform::RunLoop& loop() { return platform::RunLoop::main(); }
  void frames(int n) {
    for (int i = 0; i < n; ++i) loop().advance(platform::DisplayLink::kFrameDuration);
  }
  void capture(const std::string& slug, const std::string& what, platform::View* view = nullptr) {
    platform::RenderOptions options;
    options.scale = 2;
    options.background = Color::black();
    auto image = view ? platform::renderView(*view, options) : platform::renderScreen(options);
    catalog_.addFrame(slug, *image, what);
  }
  // A photo written into the library's camera-roll album (or another); its path.
  std::string addPhoto(const std::string& name, int width, int height, double hue,
                       const std::string& albumName = platform::kSavedPhotosAlbumName) {
    const std::string album = home_ + "/Photos/" + albumName;
    platform::FileManager::defaultManager().createDirectory(album);
    const std::string path = album + "/" + name;
    auto jpeg = platform::encodeJPEG(*playground(width, height, hue), 0.88);
    if (!jpeg) return path;
    if (auto written = platform::FileManager::defaultManager().writeFile(path, *jpeg); !written) {
      platform::log(platform::LogLevel::Warning, "catalog",
                    "photo not added: " + written.error().localizedDescription());
    }
    return path;
  }
  // Lays the grid out and runs the main loop until every thumbnail it asked for has landed: they
  // decode off the main thread.
  void settle(sprout::PPPhotoPickerCollectionView& grid) {
    grid.layoutIfNeeded();
    loop().runUntil([&] { return grid.pendingThumbnails() == 0; }, 20);
  }
  const std::shared_ptr<platform::Window>& window() const { return window_; }
  const std::shared_ptr<platform::ViewController>& root() const { return root_; }

 private:
  Catalog& catalog_;
  std::shared_ptr<platform::VirtualClock> clock_;
  platform::Rect savedBounds_;
  double savedScale_;
  std::string home_;
  std::shared_ptr<platform::Window> window_;
  std::shared_ptr<platform::ViewController> root_;
};

}  // namespace

void sceneStillCamera(Catalog& catalog) {
  CameraStage stage(catalog);
  auto camera = sprout::SCCameraViewController::create();
  stage.root()->presentViewController(camera, false);
  camera->view()->setBackgroundColor(Color::black());
  camera->device()->setTestPattern(1920, 1080);
  stage.frames(2);
  stage.capture("camera-test-pattern",
                "The camera on the back camera's test pattern: the 3:4 preview box under the "
                "40-point top bar (flash \"关闭\", camera switch), \"取消\" and the shutter below");

  platform::TouchDriver finger(stage.window());
  finger.tap({210, 230});
  stage.frames(14);
  char caption[160];
  std::snprintf(caption, sizeof caption,
                "A tap at (210, 190) in the preview: the focus square %d frames on, side %.0f",
                static_cast<int>(camera->caramView()->time()), camera->caramView()->side());
  stage.capture("focus-square", caption);
  stage.frames(20);

  camera->device()->setImageFiles({stage.addPhoto("IMG_0001.JPG", 1080, 1920, 0.2)});
  camera->Captureimage();
  stage.loop().runUntil([&] { return camera->pendingCaptures() == 0; }, 20);
  stage.frames(1);
  const auto& photo = camera->images().at(0)->photoImage();
  std::snprintf(caption, sizeof caption,
                "One shot: the %d x %d upright cut shown with \"重拍\" and \"使用照片\"",
                photo->bitmap()->width(), photo->bitmap()->height());
  stage.capture("photo-preview", caption);

  // Several shots as the strip's thumbnails, each with its delete badge.
  camera->previewView()->cancel1();
  camera->setCameraType(1);
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i)
    files.push_back(stage.addPhoto("S" + std::to_string(i) + ".JPG", 1080, 1920, i / 3.0));
  camera->device()->setImageFiles(files);
  for (int i = 0; i < 4; ++i) {
    camera->Captureimage();
    stage.loop().runUntil([&] { return camera->pendingCaptures() == 0; }, 20);
  }
  auto strip = platform::View::create(makeRect(0, 0, 360, 100));
  strip->setBackgroundColor(Color::black());
  for (std::size_t i = 0; i < camera->images().size(); ++i) {
    auto thumb = sprout::SCCameraImageView::create(makeRect(10 + 88.0 * i, 10, 80, 80));
    thumb->setContentMode(platform::ViewContentMode::ScaleAspectFill);
    thumb->setClipsToBounds(true);
    thumb->setImage(camera->images()[i]->thumbImage());
    thumb->setEdit(true);
    strip->addSubview(thumb);
  }
  stage.capture("thumbnails",
                "Four shots as the strip's 80 x 80 thumbnails with their \"X.png\" "
                "delete badges",
                strip.get());
}

void scenePhotoGridAndBrowser(Catalog& catalog) {
  CameraStage stage(catalog);
  for (int i = 0; i < 30; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", i + 1);
    stage.addPhoto(name, i % 3 == 0 ? 1200 : 1600, i % 3 == 0 ? 1600 : 1200, (i % 7) / 6.0);
  }
  std::vector<std::shared_ptr<sprout::PPPhotoAssets>> records;
  for (const auto& group : platform::AssetsLibrary::listGroups()) {
    group->enumerateAssets([&](const std::shared_ptr<platform::Asset>& a, std::size_t, bool&) {
      if (a) records.push_back(sprout::PPPhotoAssets::create(a));
    });
  }
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  layout->itemSize = {77, 77};
  layout->minimumLineSpacing = 4;
  layout->minimumInteritemSpacing = 4;
  layout->footerReferenceSize = {320, 44};
  auto grid = sprout::PPPhotoPickerCollectionView::create(makeRect(0, 0, 320, 568), layout);
  grid->setBackgroundColor(Color::whiteColor());
  grid->setMaxCount(9);
  grid->setStatus(1);
  grid->setDataArray(records);
  stage.window()->addSubview(grid);
  grid->layoutIfNeeded();
  for (long i : {1, 4, 6}) grid->tickBtnTouched(i);
  stage.settle(*grid);
  stage.frames(2);
  stage.capture("album-grid",
                "An album of 30 photos in the thumbnail grid, three of them ticked "
                "(limit 9)");
  grid->setContentOffset({0, grid->contentSize().height - 568});
  stage.settle(*grid);
  stage.frames(2);
  stage.capture("album-grid-footer", "The grid scrolled to its end: the footer counts the photos");
  grid->removeFromSuperview();

  auto page = sprout::PPPhotoPickerBrowserPhotoScrollView::create();
  page->setFrame(makeRect(0, 0, 320, 568));
  stage.window()->addSubview(page);
  page->setPhoto(sprout::PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(records[1]));
  auto bar = sprout::PPImagePickerSelectView::create();
  bar->selectBtn()->setSelected(true);
  stage.window()->addSubview(bar);
  stage.frames(2);
  stage.capture("browser-page",
                "The browser's page on the second photo, fitted to the screen, "
                "with the top bar: back, and the tick on");
  page->handleImageViewDoubleTap(page->photoImageView()->center());
  stage.frames(40);
  stage.capture("browser-page-zoomed", "After a double tap: zoomed in to twice the fitting scale");
}

void scenePhotoPicker(Catalog& catalog) {
  CameraStage stage(catalog);
  for (int i = 0; i < 14; ++i) {
    stage.addPhoto("IMG_" + std::to_string(100 + i) + ".JPG", i % 4 == 0 ? 1200 : 1600,
                   i % 4 == 0 ? 1600 : 1200, (i % 5) / 4.0);
  }
  for (int i = 0; i < 5; ++i) {
    stage.addPhoto("T" + std::to_string(i) + ".JPG", 1600, 1200, i / 4.0, "春游");
  }
  auto picker = sprout::PPPhotoPickerViewController::create(0);
  picker->setMaxCount(9);
  picker->showPickerVc(stage.root());
  stage.loop().runPending();
  stage.frames(2);
  stage.capture(
      "album-list",
      "The album list \"选择相册\": albums newest-listed first with poster, name and count");

  auto list = picker->groupVc();
  long roll = 0;
  for (std::size_t i = 0; i < list->groups().size(); ++i) {
    if (list->groups()[i]->groupName() == platform::kSavedPhotosAlbumName)
      roll = static_cast<long>(i);
  }
  list->didSelectRowAtIndexPath(*list->tableView(), {0, roll});
  stage.frames(30);
  auto grid = std::dynamic_pointer_cast<sprout::PPPhotoPickerAssetsViewController>(
      picker->navigation()->topViewController());
  if (!grid) return;
  stage.loop().runPending();
  grid->view()->layoutIfNeeded();
  for (long i : {0, 3, 5}) grid->collectionView()->tickBtnTouched(i);
  stage.settle(*grid->collectionView());
  stage.frames(2);
  stage.capture("album-grid-screen",
                "The camera roll's grid with three photos ticked: \"预览\" and \"发送(3)\" below");

  grid->pickerCollectionCellTouchedIndexPath({0, 3});
  stage.frames(30);
  if (auto browser = grid->browser()) {
    browser->customToolBarIsOriginalBtnTouched();
    stage.frames(2);
    stage.capture("browser-bars",
                  "The browser on the fourth photo (\"4 / 14\"), ticked, with the original-size "
                  "switch on showing the file size and \"发送 (3)\"");
    browser->back();
    stage.frames(30);
  }
  picker->dismissViewControllerAnimated(false);
  stage.loop().runPending();

  auto form = sprout::SPReplaceViewController::create();
  stage.window()->setRootViewController(form);
  stage.window()->layoutIfNeeded();
  auto formPicker = form->choosePhoto();
  stage.loop().runPending();
  auto formGrid = std::dynamic_pointer_cast<sprout::PPPhotoPickerAssetsViewController>(
      formPicker->navigation()->topViewController());
  if (!formGrid) return;
  stage.loop().runPending();
  formGrid->collectionView()->tickBtnTouched(2);
  formGrid->sendBtnTouched();
  stage.frames(30);
  stage.capture("pick-up-form",
                "The proxy pick-up form after a pick: the photo on the round head-photo button");
}

void sceneCircularProgress(Catalog& catalog) {
  CameraStage stage(catalog);
  auto board = platform::View::create(makeRect(0, 0, 320, 150));
  board->setBackgroundColor(Color::hex(0x2B3440));
  const double values[] = {0, 0.25, 0.6, 1};
  for (int i = 0; i < 4; ++i) {
    auto ring = sprout::CPCircularProgressView::create(makeRect(20 + 78.0 * i, 20, 40, 40));
    ring->setProgress(values[i]);
    board->addSubview(ring);
    auto rounded = sprout::CPCircularProgressView::create(makeRect(20 + 78.0 * i, 85, 40, 40));
    rounded->setRoundedCorners(1);
    rounded->setThicknessRatio(0.2);
    rounded->setProgressTintColor(Color::hex(0x7ED957));
    rounded->setProgress(values[i]);
    board->addSubview(rounded);
  }
  stage.capture("rings",
                "Progress 0, 0.25, 0.6 and 1: square ends with the default colours "
                "(top), round ends at thickness 0.2 in green (bottom)",
                board.get());

  auto loading = platform::View::create(makeRect(0, 0, 320, 150));
  loading->setBackgroundColor(Color::hex(0x2B3440));
  auto ring = sprout::CPCircularProgressView::create(makeRect(135, 50, 50, 50));
  ring->setProgress(0.2);
  loading->addSubview(ring);
  ring->setProgress(0.9, true);
  stage.frames(21);
  stage.capture("animating", "From 0.2 to 0.9 over 0.7 s, caught at 0.35 s", loading.get());
}

}  // namespace catalog
