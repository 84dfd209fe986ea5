#include "platform/render/RenderView.h"

#include <cairo.h>

#include "platform/foundation/Clock.h"
#include "platform/graphics/Context.h"
#include "platform/render/RenderTarget.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {

namespace {

RenderTarget& screenTarget() {
  thread_local RenderTarget target;
  return target;
}

}  // namespace

std::shared_ptr<Image> renderView(View& view, const RenderOptions& options) {
  view.updateTree();  // laying out and drawing are part of showing
  return renderLayer(*view.layer(), options);
}

std::shared_ptr<Image> renderView(View& view, RenderTarget& target, const RenderOptions& options) {
  view.updateTree();
  return renderLayer(*view.layer(), target, options);
}

std::shared_ptr<Image> renderScreen(const RenderOptions& options) {
  return renderScreen(screenTarget(), options);
}

std::shared_ptr<Image> renderScreen(RenderTarget& target, const RenderOptions& options) {
  const TimeInterval time = options.time.value_or(Clock::current().now());
  const Rect screen = Screen::main().bounds();
  Context* context = target.begin(screen.size, options.scale, true);
  if (!context) return nullptr;
  if (!options.background.isClear()) context->fillRect(screen, options.background);
  cairo_translate(context->cairo(), -screen.origin.x, -screen.origin.y);
  for (const auto& window : ApplicationWindows::shared().visibleWindows()) {
    window->updateTree();
    renderSublayerInContext(*window->layer(), *context, time);
  }
  return target.finish();  // the image shares the target's pixels
}

}  // namespace platform
