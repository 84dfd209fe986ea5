#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "tests/support/Stage.h"

namespace sprout::ui_test {

// A key window filling a screen of `size` on the virtual clock, and a finger to touch it with.
// The stage puts the screen and the app's windows back afterwards.
class ScreenTest : public ::testing::Test, protected platform::test::Stage {
 protected:
  explicit ScreenTest(platform::Size size, double now = kStart)
      : Stage({{0, 0}, size}, std::nullopt, now),
        window(platform::Window::create({{0, 0}, size})) {}

  std::shared_ptr<platform::Window> window;
  platform::TouchDriver fingers{window};
};

// `view` drawn as it shows now, at `scale` pixels per point, over `background`.
inline std::shared_ptr<platform::Image> render(platform::View& view, double scale = 1,
                                               platform::Color background = {}) {
  platform::RenderOptions options;
  options.scale = scale;
  options.background = background;
  return platform::renderView(view, options);
}

// The colour at a point (in points) of an image.
inline platform::Color pixelAt(const platform::Image& image, double x, double y) {
  const double s = image.scale();
  return platform::Color::fromPremultipliedARGB(
      image.bitmap()->pixel(static_cast<int>(x * s), static_cast<int>(y * s)));
}

inline bool near(const platform::Color& a, const platform::Color& b, double within = 0.02) {
  return std::abs(a.r - b.r) < within && std::abs(a.g - b.g) < within &&
         std::abs(a.b - b.b) < within;
}

inline std::shared_ptr<platform::Image> solidImage(platform::Size size, platform::Color color) {
  auto context = platform::Context::create(size, 1, false);
  context->fillRect(platform::makeRect(0, 0, size.width, size.height), color);
  return context->makeImage();
}

}  // namespace sprout::ui_test
