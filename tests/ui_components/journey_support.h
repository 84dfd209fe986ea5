#pragma once

#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/render/RenderView.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "tests/ui_components/component_test_support.h"

namespace sprout::components_test {

// A finger on a window, moved a frame apart on the virtual clock, as a person's would.
class Finger {
 public:
  explicit Finger(const std::shared_ptr<platform::Window>& window)
      : window_(window), touch_(window) {}

  void tap(platform::Point p) {
    touch_.tap(p);
    platform::RunLoop::main().runPending();
  }
  // Down at `from`, `steps` frames moving evenly by `delta`; lifted there unless `lift` is off.
  void drag(platform::Point from, platform::Point delta, int steps, bool lift = true) {
    touch_.begin(from);
    for (int i = 1; i <= steps; ++i) {
      platform::RunLoop::main().advance(kFrame);
      touch_.move({from.x + delta.x * i / steps, from.y + delta.y * i / steps});
    }
    if (lift) touch_.end();
  }
  // Holds still until the finger carries no speed, then lifts.
  void holdAndLift() {
    platform::RunLoop::main().advance(0.25);
    touch_.end();
  }
  // What a person sees at a point of the window, now.
  platform::Color seen(platform::Point p) {
    platform::RenderOptions options;
    options.scale = 1;
    return pixelAt(*platform::renderView(*window_, options), p.x, p.y);
  }

  static constexpr double kFrame = 1.0 / 60.0;

 private:
  std::shared_ptr<platform::Window> window_;
  platform::TouchDriver touch_;
};

// A picture of one colour.
inline std::shared_ptr<platform::Image> solidPicture(int width, int height,
                                                     const platform::Color& color) {
  auto context = platform::Context::createBitmap(width, height, platform::AlphaInfo::NoneSkipFirst);
  platform::Context::setSourceColor(context->cairo(), color);
  cairo_paint(context->cairo());
  return context->makeImage();
}

}  // namespace sprout::components_test
