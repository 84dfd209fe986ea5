#include "platform/render/RenderView.h"

#include <cairo.h>

#include "platform/dispatch/Clock.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {

std::shared_ptr<Image> renderView(View& view, const RenderOptions& options) {
  view.updateTree();  // laying out and drawing are part of showing
  return renderLayer(*view.layer(), options);
}

std::shared_ptr<Image> renderScreen(const RenderOptions& options) {
  const TimeInterval time = options.time.value_or(Clock::current().now());
  const Rect screen = Screen::main().bounds();
  auto context = Context::create(screen.size, options.scale, false);
  if (!context) return nullptr;
  if (!options.background.isClear()) context->fillRect(screen, options.background);
  cairo_translate(context->cairo(), -screen.origin.x, -screen.origin.y);
  for (const auto& window : ApplicationWindows::shared().visibleWindows()) {
    window->updateTree();
    renderSublayerInContext(*window->layer(), *context, time);
  }
  return context->shareImage();  // the context goes; its pixels stay with the image
}

}  // namespace platform
