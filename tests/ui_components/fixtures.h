#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/CaptureDevice.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/platform/media_support.h"
#include "tests/support/Stage.h"
#include "ui/components/photopicker/PPPhotoPickerViewController.h"
#include "ui/components/photopicker/PPPhotoPickerViewControllerDelegate.h"

namespace sprout::components_test {

// The colour at a point (in points) of an image.
inline platform::Color pixelAt(const platform::Image& image, double x, double y) {
  const double s = image.scale();
  return platform::Color::fromPremultipliedARGB(image.bitmap()->pixel(
      static_cast<int>(std::floor(x * s)), static_cast<int>(std::floor(y * s))));
}

// Each channel within `tolerance` 255ths.
inline ::testing::AssertionResult near255(const platform::Color& actual,
                                          const platform::Color& expected, int tolerance = 1) {
  auto to255 = [](double v) { return static_cast<int>(std::lround(v * 255)); };
  const int a[4] = {to255(actual.r), to255(actual.g), to255(actual.b), to255(actual.a)};
  const int e[4] = {to255(expected.r), to255(expected.g), to255(expected.b), to255(expected.a)};
  for (int i = 0; i < 4; ++i) {
    if (std::abs(a[i] - e[i]) > tolerance) {
      return ::testing::AssertionFailure()
             << "rgba(" << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3] << ") is not rgba("
             << e[0] << ", " << e[1] << ", " << e[2] << ", " << e[3] << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

// A picture of one colour.
inline std::shared_ptr<platform::Image> solidPicture(int width, int height,
                                                     const platform::Color& color) {
  auto context = platform::Context::createBitmap(width, height, platform::AlphaInfo::NoneSkipFirst);
  platform::Context::setSourceColor(context->cairo(), color);
  cairo_paint(context->cairo());
  return context->makeImage();
}

inline platform::Point centreOf(const platform::Rect& r) {
  return {r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2};
}
// The middle of a view, in window points.
inline platform::Point centreOf(const platform::View& view) {
  return centreOf(view.convertRectTo(view.bounds(), nullptr));
}

// Sets the main screen for a test and puts the old one back after it.
using ScopedScreen = platform::test::ScopedScreen;

// A phone on the virtual clock: a key window with a root controller and a finger on it, the
// default cameras, and nothing scheduled or shown left behind for the next test (the stage).
class ComponentsTest : public ::testing::Test, protected platform::test::Stage {
 protected:
  static constexpr platform::Rect kScreen = platform::makeRect(0, 0, 320, 568);
  static constexpr double kFrame = platform::TouchDriver::kFrame;

  explicit ComponentsTest(const platform::Rect& screen = kScreen, double scale = 1)
      : Stage(screen, scale), window(platform::Window::create(screen)), finger(window) {
    window->setRootViewController(root);
    window->makeKeyAndVisible();
  }
  // `view` drawn at the screen's scale as it stands at clock time `at`.
  std::shared_ptr<platform::Image> render(platform::View& view, double at) {
    platform::RenderOptions options;
    options.scale = platform::Screen::main().scale();
    options.time = at;
    return platform::renderView(view, options);
  }
  // What a person sees at a point of the window, now.
  platform::Color seen(platform::Point p) {
    return pixelAt(*render(*window, clock.now()), p.x, p.y);
  }
  // Down at `from`, `steps` frames moving evenly by `delta`; lifted there unless `lift` is off.
  void drag(platform::Point from, platform::Point delta, int steps, bool lift = true) {
    finger.drag(from, {from.x + delta.x, from.y + delta.y}, steps);
    if (lift) finger.end();
  }
  // Two taps a tenth of a second apart, then time for what they start.
  void doubleTap(platform::Point p) {
    finger.tap(p);
    advance(0.1);
    finger.tap(p);
    advance(1);
  }
  // Two fingers level about `centre`, `from` apart, spread to `to` apart over ten frames; lifted.
  void pinch(platform::Point centre, double from, double to) { finger.pinch(centre, from, to); }
  // Holds still until the finger carries no speed, then lifts.
  void holdAndLift() { finger.holdAndLift(0.25); }

  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::ViewController> root = platform::ViewController::create();
  platform::TouchDriver finger;
};

// Photo `i` of an album written by `writeAlbum` is named P000.jpg, P001.jpg ... in that order.
inline void writeAlbum(platform::media_test::ScopedPhotoHome& home, const std::string& name, int n,
                       int width, int height, const std::function<std::uint32_t(int)>& colour) {
  const std::string album = home.album(name);
  for (int i = 0; i < n; ++i) {
    char file[32];
    std::snprintf(file, sizeof file, "/P%03d.jpg", i);
    platform::media_test::writePhoto(album + file, width, height, colour(i));
  }
}

// A record for every photo of every album, album by album.
inline std::vector<std::shared_ptr<PPPhotoAssets>> allRecords() {
  std::vector<std::shared_ptr<PPPhotoAssets>> records;
  for (const auto& group : platform::AssetsLibrary::listGroups()) {
    group->enumerateAssets([&](const std::shared_ptr<platform::Asset>& a, std::size_t, bool&) {
      if (a) records.push_back(PPPhotoAssets::create(a));
    });
  }
  return records;
}

// A picker delegate that keeps what each send delivered.
class PickerReceiver : public PPPhotoPickerViewControllerDelegate {
 public:
  using Records = PPPhotoPickerViewController::Records;
  void pickerViewControllerDoneAsstes(const Records& assets, bool isOriginal) override {
    results.push_back(assets);
    originals.push_back(isOriginal);
  }
  std::vector<Records> results;
  std::vector<bool> originals;
};

}  // namespace sprout::components_test
