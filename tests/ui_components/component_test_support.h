#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/graphics/Image.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Screen.h"

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

// A 320 x 568 screen at scale 2 on the virtual clock; nothing scheduled outlives the test.
class ComponentTest : public ::testing::Test {
 protected:
  ComponentTest() {
    platform::Screen::main().setBounds(platform::makeRect(0, 0, 320, 568));
    platform::Screen::main().setScale(2);
  }
  ~ComponentTest() override {
    loop.runPending();
    loop.invalidateAllTimers();
    platform::Screen::main().setBounds(savedBounds);
    platform::Screen::main().setScale(savedScale);
  }

  std::shared_ptr<platform::Image> render(platform::View& view, double at) {
    platform::RenderOptions options;
    options.scale = 2;
    options.time = at;
    return platform::renderView(view, options);
  }

  platform::RunLoop& loop = platform::RunLoop::main();
  platform::ScopedVirtualClock clock;
  const platform::Rect savedBounds = platform::Screen::main().bounds();
  const double savedScale = platform::Screen::main().scale();
};

}  // namespace sprout::components_test
